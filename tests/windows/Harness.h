#pragma once

// The tool's windows on a virtual HID bus, with the imitation device plugged
// in as "Veltrano 8" and a mouse that never answers, as --simulate runs them.

#include "ScriptedDialogs.h"

#include "windows/DevReader.h"
#include "windows/EventLoop.h"
#include "windows/Forms.h"

#include "device/ImitationBehaviour.h"
#include "device/ImitationDevice.h"
#include "hid/MainThreadHandoff.h"
#include "hid/platform/virtual/VirtualBus.h"

#include <QByteArray>
#include <QCheckBox>
#include <QListWidget>
#include <QTest>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace harness
{

inline hid::platform::virt::InterfaceProfile mouseProfile()
{
    hid::platform::virt::InterfaceProfile profile;
    profile.attributes = {0x046D, 0xC077, 0x7200};
    profile.lengths = {0x0002, 0x0001, 5, 0, 0};
    profile.product = u"USB Optical Mouse";
    profile.languages = {0x0409};
    return profile;
}

// An interface that identifies itself as given and never answers.
inline hid::platform::virt::InterfaceProfile
silentProfile(std::u16string product, std::uint16_t vid, std::uint16_t pid, std::u16string serial)
{
    hid::platform::virt::InterfaceProfile profile;
    profile.attributes = {vid, pid, 0x0100};
    profile.lengths = {0x0001, 0xFF00, 65, 65, 0};
    profile.product = std::move(product);
    if (!serial.empty()) {
        profile.serial = std::move(serial);
        profile.languages = {0x0409};
    }
    return profile;
}

inline hid::platform::virt::InterfaceProfile
veltranoProfile(std::shared_ptr<device::ImitationDevice> dev,
                std::u16string serial = u"VM8-SIM-0001")
{
    const device::Identity identity = device::imitationIdentity();
    hid::platform::virt::InterfaceProfile profile;
    profile.attributes = identity.attributes;
    profile.lengths = identity.reportLengths;
    profile.manufacturer = identity.manufacturer;
    profile.product = identity.product;
    profile.serial = std::move(serial);
    profile.languages = {0x0409};
    profile.behaviour = std::make_shared<device::ImitationBehaviour>(std::move(dev));
    return profile;
}

using Report = std::vector<std::uint8_t>;

// The reports with this command code in the device's log, in order.
inline std::vector<Report> reportsOf(const device::ImitationDevice& dev, char a, char b)
{
    std::vector<Report> out;
    for (const Report& report : dev.receivedReports())
        if (report.size() >= 3 && report[1] == a && report[2] == b)
            out.push_back(report);
    return out;
}

// Count of reports with this command code in the device's log.
inline int countCode(const device::ImitationDevice& dev, char a, char b)
{
    return static_cast<int>(reportsOf(dev, a, b).size());
}

// Bytes `from` to `to` (inclusive) of a report, to compare with a hex literal.
inline QByteArray bytes(const Report& report, std::size_t from, std::size_t to)
{
    QByteArray out;
    for (std::size_t i = from; i <= to && i < report.size(); ++i)
        out.append(static_cast<char>(report[i]));
    return out;
}

inline QStringList lines(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// Build order matters: the bus and hand-off outlive the windows.
struct Tool {
    hid::platform::virt::VirtualBus bus;
    std::shared_ptr<device::ImitationDevice> device = std::make_shared<device::ImitationDevice>();
    std::string mouseId;
    std::string deviceId;
    hid::MainThreadHandoff handoff;
    std::unique_ptr<windows::HandoffPump> pump;
    ScriptedDialogs dialogs;
    std::unique_ptr<windows::Forms> forms;

    // plugStandard: the mouse, then the imitation device.
    explicit Tool(bool plugStandard = true)
    {
        if (plugStandard) {
            mouseId = bus.plug(mouseProfile());
            deviceId = bus.plug(veltranoProfile(device));
        }
    }

    ~Tool()
    {
        forms.reset();
        pump.reset();
    }

    // Creates the windows and shows the main one, which starts the device scan.
    windows::TMainForm* start()
    {
        pump = std::make_unique<windows::HandoffPump>(handoff, bus);
        forms = std::make_unique<windows::Forms>(bus, handoff);
        windows::MainForm->show();
        // The controller's first notification rebuilds the device list once
        // more; run it now so that a test starts with the device object (and
        // read side) it keeps, and no report it sends is lost in the swap.
        handoff.drain();
        return windows::MainForm;
    }

    // Start-up is over once the device is in use and both start-up firmware
    // requests have reached it.
    bool settle()
    {
        return QTest::qWaitFor(
            [&] {
                return windows::MainForm->CurrentDevice() != nullptr &&
                       countCode(*device, 'G', 'F') >= 2;
            },
            5000);
    }

    // The main window once start-up is over, or nullptr.
    windows::TMainForm* startSettled()
    {
        start();
        return settle() ? windows::MainForm : nullptr;
    }

    // Settled, with polling off, so that only the test sends from here on.
    bool startQuiet()
    {
        const bool ready = startSettled() != nullptr;
        windows::MainForm->cbGetStatusAuto->setChecked(false);
        return ready;
    }
};

} // namespace harness
