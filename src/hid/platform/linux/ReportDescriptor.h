#pragma once

// Report lengths from a HID report descriptor, as hidraw hands it over.
// The descriptor comes from the device and is untrusted: truncated items,
// absurd sizes and unbalanced Push/Pop must still give sane lengths.

#include "hid/platform/HidPlatform.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace hid::platform::linux_backend
{

// hidraw's largest report buffer; longer claims are cut to it.
inline constexpr std::size_t MaxReportBytes = 16384;

struct DescriptorInfo {
    ReportLengths lengths; // largest report of each kind, report-ID byte included
    bool numbered = false; // the device puts a report ID in front of its reports
};

DescriptorInfo parseReportDescriptor(std::span<const std::uint8_t> descriptor);

} // namespace hid::platform::linux_backend
