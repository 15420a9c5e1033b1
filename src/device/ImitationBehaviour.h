#pragma once

// Plugs the imitation device into the virtual HID bus.

#include "device/ImitationDevice.h"
#include "hid/platform/HidPlatform.h"
#include "hid/platform/virtual/VirtualBehaviour.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace device
{

// How the imitation device shows itself on the bus. The ids come from the
// pid.codes test range (vendor 0x1209); nothing real uses 0x5656 there.
struct Identity {
    hid::platform::Attributes attributes{0x1209, 0x5656, 0x0100};
    hid::platform::ReportLengths reportLengths{0x0001, 0xFF00, 65, 65, 0};
    std::u16string manufacturer = u"Brannisol";
    std::u16string product = u"Veltrano 8";
    std::u16string serial = u"VM8-SIM-0001";
};

Identity imitationIdentity();

class ImitationBehaviour final : public hid::platform::virt::Behaviour
{
public:
    // Shares the model so that a test can keep turning its knobs and reading
    // its log while the bus owns the behaviour.
    explicit ImitationBehaviour(std::shared_ptr<ImitationDevice> device);

    void onOutputReport(std::span<const std::uint8_t> report,
                        hid::platform::virt::BusContext& bus) override;

    ImitationDevice& device() const { return *device_; }

private:
    std::shared_ptr<ImitationDevice> device_;
};

} // namespace device
