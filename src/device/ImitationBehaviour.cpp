#include "device/ImitationBehaviour.h"

#include <utility>

namespace device
{

Identity imitationIdentity()
{
    return Identity{};
}

ImitationBehaviour::ImitationBehaviour(std::shared_ptr<ImitationDevice> device)
    : device_(std::move(device))
{
}

void ImitationBehaviour::onOutputReport(std::span<const std::uint8_t> report,
                                        hid::platform::virt::BusContext& bus)
{
    Response response = device_->handle(report);
    // The reply goes out before the drop, as a device answers before it restarts.
    if (response.reply)
        bus.reply(std::move(*response.reply), response.latency);
    if (response.dropConnection)
        bus.dropConnection(*response.dropConnection);
}

} // namespace device
