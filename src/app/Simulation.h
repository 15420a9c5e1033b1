#pragma once

// The bus of the simulated mode: the imitation device as "Veltrano 8" beside
// a mouse that never answers.

#include "hid/platform/virtual/VirtualBus.h"

#include <memory>

namespace device
{
class ImitationDevice;
}

namespace app
{

struct Simulation {
    std::unique_ptr<hid::platform::virt::VirtualBus> bus;
    std::shared_ptr<device::ImitationDevice> device; // for knobs and inspection
};

Simulation makeSimulation();

} // namespace app
