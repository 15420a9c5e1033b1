#pragma once

// The hidraw back end of the platform seam: libudev for discovery and
// hot-plug, hidraw for reports, libusb only to query string descriptors.

#include "hid/platform/HidPlatform.h"

#include <memory>

namespace hid::platform::linux_backend
{

// Fails (nullptr, err set) only when udev itself is unavailable.
std::unique_ptr<Platform> makeLinuxPlatform(ErrorCode& err);

} // namespace hid::platform::linux_backend
