#include "link/connection/DeviceConnection.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace vms::link
{
namespace
{

std::u16string fromAscii(std::string_view text)
{
    return {text.begin(), text.end()};
}

// System messages are UTF-8; a broken sequence becomes U+FFFD.
std::u16string fromUtf8(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (i + static_cast<std::size_t>(extra) >= text.size()) {
            out.push_back(u'\uFFFD');
            break;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        if (!ok) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::u16string hex(std::uint32_t value, int minDigits)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", minDigits, value);
    return fromAscii(buffer);
}

} // namespace

std::u16string DeviceName(std::u16string_view product, std::uint16_t vendorId,
                          std::uint16_t productId, std::u16string_view serial)
{
    std::u16string name;
    if (!product.empty())
        name = product;
    else
        name = u"Device VID=" + hex(vendorId, 4) + u" PID=" + hex(productId, 4);
    if (!serial.empty())
        name += u" (Serial=" + std::u16string(serial) + u")";
    return name;
}

std::u16string DeviceName(hid::THidDevice& device)
{
    const hid::THIDDAttributes& attributes = device.Attributes();
    return DeviceName(device.ProductName(), attributes.VendorID, attributes.ProductID,
                      device.SerialNumber());
}

bool IsToolDevice(std::u16string_view deviceName)
{
    return deviceName.find(kDeviceMatch) != std::u16string_view::npos;
}

std::u16string SystemErrorText(std::string_view systemMessage)
{
    std::u16string text = fromUtf8(systemMessage);
    if (text.size() > 256)
        text.resize(256);
    while (!text.empty() && (text.back() <= u' ' || text.back() == u'.'))
        text.pop_back();
    return text;
}

std::u16string ErrorLine(std::u16string_view prefix, std::string_view systemMessage,
                         std::uint32_t code)
{
    return std::u16string(prefix) + u": " + SystemErrorText(systemMessage) + u" (" + hex(code, 1) +
           u")";
}

DeviceConnection::DeviceConnection(hid::THidDeviceController& controller, Hooks hooks)
    : FController(controller), FHooks(std::move(hooks))
{
}

DeviceConnection::~DeviceConnection()
{
    HandBackAll();
}

bool DeviceConnection::Enumerate(hid::THidDevice* HidDev, int Idx)
{
    Line line;
    line.name = DeviceName(*HidDev);
    line.device = FController.CheckOutByIndex(Idx);
    hid::THidDevice* device = line.device.get();
    const bool match = IsToolDevice(line.name) && device != nullptr;
    if (FHooks.listAdd)
        FHooks.listAdd(line.name);
    FLines.push_back(std::move(line));

    if (match) {
        FCurrentDevice = device;
        device->SetOnData(FHooks.data);
        FVeltranoPresent = true;
        if (FHooks.requestFirmware)
            FHooks.requestFirmware();
        if (FHooks.setAutomatic)
            FHooks.setAutomatic(true);
    }
    return true;
}

void DeviceConnection::DeviceChange()
{
    const bool hadLines = !FLines.empty();
    HandBackAll();
    if (hadLines && FHooks.setAutomatic)
        FHooks.setAutomatic(false);
    if (FHooks.listClear)
        FHooks.listClear();
    FController.Enumerate();
}

void DeviceConnection::HandBackAll()
{
    // Forget the device in use before handing anything back: handing a device
    // back runs the replies still queued by its read thread, and a handler
    // that sends must not reach a device that is going away.
    FCurrentDevice = nullptr;
    FVeltranoPresent = false;
    std::vector<Line> lines = std::move(FLines);
    FLines.clear();
    lines.clear();
}

void DeviceConnection::Arrival(hid::THidDevice* HidDev)
{
    if (FHooks.log)
        FHooks.log(u"Arrival of " + DeviceName(*HidDev));
}

void DeviceConnection::Removal(hid::THidDevice* HidDev)
{
    if (FHooks.log)
        FHooks.log(u"Removal of " + DeviceName(*HidDev));
}

void DeviceConnection::DataError(hid::THidDevice* HidDev, std::uint32_t Error)
{
    if (FHooks.log)
        FHooks.log(ErrorLine(u"READ ERROR", HidDev->SysErrorMessage(Error), Error));
}

} // namespace vms::link
