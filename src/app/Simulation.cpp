#include "app/Simulation.h"

#include "device/ImitationBehaviour.h"
#include "device/ImitationDevice.h"

namespace app
{

Simulation makeSimulation()
{
    Simulation sim;
    sim.bus = std::make_unique<hid::platform::virt::VirtualBus>();

    // One interface the tool has to pass over, as on any real machine.
    hid::platform::virt::InterfaceProfile mouse;
    mouse.attributes = {0x046D, 0xC077, 0x7200};
    mouse.lengths = {0x0002, 0x0001, 5, 0, 0};
    mouse.manufacturer = u"Logitech";
    mouse.product = u"USB Optical Mouse";
    mouse.languages = {0x0409};
    sim.bus->plug(mouse);

    const device::Identity identity = device::imitationIdentity();
    hid::platform::virt::InterfaceProfile veltrano;
    veltrano.attributes = identity.attributes;
    veltrano.lengths = identity.reportLengths;
    veltrano.manufacturer = identity.manufacturer;
    veltrano.product = identity.product;
    veltrano.serial = identity.serial;
    veltrano.languages = {0x0409};
    // The string descriptors a USB device carries for its identity strings.
    veltrano.indexedStrings = {
        {1, identity.manufacturer}, {2, identity.product}, {3, identity.serial}};
    sim.device = std::make_shared<device::ImitationDevice>();
    veltrano.behaviour = std::make_shared<device::ImitationBehaviour>(sim.device);
    sim.bus->plug(veltrano);
    return sim;
}

} // namespace app
