#pragma once

// The tool's side of the HID layer: names every interface, picks the one that
// is the tool's device, makes it the device in use with the reply handler
// attached, and starts over whenever the set of interfaces changes. Plain
// C++, no Qt: the main window forwards its controller events here and reacts
// through the hooks.

#include "hid/HidControllerClass.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vms::link
{

// The text that marks the tool's device.
inline constexpr std::u16string_view kDeviceMatch = u"Veltrano 8";

// The product string, or "Device VID=%.4X PID=%.4X" without one; then
// " (Serial=%s)" when the device reports a serial number.
std::u16string DeviceName(std::u16string_view product, std::uint16_t vendorId,
                          std::uint16_t productId, std::u16string_view serial);
std::u16string DeviceName(hid::THidDevice& device);

// Contains kDeviceMatch, case-sensitive.
bool IsToolDevice(std::u16string_view deviceName);

// The system's text for an error as the history shows it: at most 256
// characters, trailing control characters, blanks and full stops removed.
std::u16string SystemErrorText(std::string_view systemMessage);

// "<prefix>: <text> (<code in upper-case hex>)", as in "WRITE ERROR: ... (13)".
std::u16string ErrorLine(std::u16string_view prefix, std::string_view systemMessage,
                         std::uint32_t code);

class DeviceConnection
{
public:
    struct Hooks {
        std::function<void(const std::u16string&)> log; // one history line
        std::function<void(const std::u16string&)> listAdd;
        std::function<void()> listClear;
        std::function<void(bool)> setAutomatic;
        std::function<void()> requestFirmware;
        hid::THidDataEvent data; // the reply handler of the device in use
    };

    DeviceConnection(hid::THidDeviceController& controller, Hooks hooks);
    // Hands every device back.
    ~DeviceConnection();

    DeviceConnection(const DeviceConnection&) = delete;
    DeviceConnection& operator=(const DeviceConnection&) = delete;

    hid::THidDevice* CurrentDevice() const { return FCurrentDevice; }
    bool VeltranoPresent() const { return FVeltranoPresent; }

    struct Line {
        std::u16string name;
        std::unique_ptr<hid::THidDevice> device; // null when the check-out failed
    };
    const std::vector<Line>& Lines() const { return FLines; }

    // Hands every device back and forgets the device in use. Replies still
    // queued by a read thread are handled meanwhile, so the hooks must work.
    void HandBackAll();

    // Controller events.
    bool Enumerate(hid::THidDevice* HidDev, int Idx);
    void DeviceChange();
    void Arrival(hid::THidDevice* HidDev);
    void Removal(hid::THidDevice* HidDev);
    void DataError(hid::THidDevice* HidDev, std::uint32_t Error);

private:
    hid::THidDeviceController& FController;
    Hooks FHooks;
    std::vector<Line> FLines;
    hid::THidDevice* FCurrentDevice = nullptr;
    bool FVeltranoPresent = false;
};

} // namespace vms::link
