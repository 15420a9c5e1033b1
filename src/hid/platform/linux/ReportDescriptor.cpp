#include "hid/platform/linux/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <vector>

namespace hid::platform::linux_backend
{

namespace
{

enum ItemType : std::uint8_t { Main = 0, Global = 1, Local = 2 };

enum MainTag : std::uint8_t { Input = 0x8, Output = 0x9, Collection = 0xA, Feature = 0xB };

enum GlobalTag : std::uint8_t {
    UsagePage = 0x0,
    ReportSize = 0x7,
    ReportId = 0x8,
    ReportCount = 0x9,
    Push = 0xA,
    Pop = 0xB
};

enum LocalTag : std::uint8_t { Usage = 0x0 };

struct Globals {
    std::uint32_t usagePage = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint8_t reportId = 0;
};

// Deeper nesting than this is no real device; further pushes are ignored.
constexpr std::size_t MaxPushDepth = 32;
constexpr std::uint64_t MaxReportBits = MaxReportBytes * 8;

std::uint32_t unsignedValue(std::span<const std::uint8_t> data)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < data.size(); ++i)
        v |= static_cast<std::uint32_t>(data[i]) << (8 * i);
    return v;
}

std::uint16_t bytesWithId(std::uint64_t bits)
{
    if (bits == 0)
        return 0;
    const std::uint64_t bytes = std::min<std::uint64_t>((bits + 7) / 8 + 1, MaxReportBytes);
    return static_cast<std::uint16_t>(bytes);
}

} // namespace

DescriptorInfo parseReportDescriptor(std::span<const std::uint8_t> d)
{
    // Bits per report ID for input, output, feature.
    std::array<std::array<std::uint64_t, 256>, 3> bits{};
    Globals g;
    std::vector<Globals> stack;
    DescriptorInfo info;
    std::uint32_t pendingUsage = 0;
    bool haveUsage = false;
    bool topFound = false;

    std::size_t pos = 0;
    while (pos < d.size()) {
        const std::uint8_t prefix = d[pos];
        if (prefix == 0xFE) { // long item: size, tag, data; nothing we need
            if (pos + 2 >= d.size())
                break;
            const std::size_t size = d[pos + 1];
            pos += 3 + size;
            continue;
        }
        const std::size_t size = (prefix & 0x3) == 3 ? 4 : (prefix & 0x3);
        if (pos + 1 + size > d.size())
            break; // truncated item: keep what was complete
        const auto data = d.subspan(pos + 1, size);
        const std::uint32_t value = unsignedValue(data);
        const auto type = static_cast<std::uint8_t>((prefix >> 2) & 0x3);
        const auto tag = static_cast<std::uint8_t>(prefix >> 4);
        pos += 1 + size;

        if (type == Global) {
            switch (tag) {
            case UsagePage:
                g.usagePage = value & 0xFFFF;
                break;
            case ReportSize:
                g.reportSize = value;
                break;
            case ReportCount:
                g.reportCount = value;
                break;
            case ReportId:
                g.reportId = static_cast<std::uint8_t>(value);
                info.numbered = true;
                break;
            case Push:
                if (stack.size() < MaxPushDepth)
                    stack.push_back(g);
                break;
            case Pop:
                if (!stack.empty()) {
                    g = stack.back();
                    stack.pop_back();
                }
                break;
            default:
                break;
            }
        } else if (type == Local) {
            if (tag == Usage && !haveUsage) {
                pendingUsage = size == 4 ? value : (g.usagePage << 16) | (value & 0xFFFF);
                haveUsage = true;
            }
        } else if (type == Main) {
            int kind = -1;
            if (tag == Input)
                kind = 0;
            else if (tag == Output)
                kind = 1;
            else if (tag == Feature)
                kind = 2;
            if (kind >= 0) {
                auto& slot = bits[static_cast<std::size_t>(kind)][g.reportId];
                const std::uint64_t add = static_cast<std::uint64_t>(g.reportSize) * g.reportCount;
                slot = std::min(slot + std::min(add, MaxReportBits), MaxReportBits);
            } else if (tag == Collection && !topFound) {
                topFound = true;
                info.lengths.UsagePage = static_cast<std::uint16_t>(pendingUsage >> 16);
                info.lengths.Usage = static_cast<std::uint16_t>(pendingUsage & 0xFFFF);
            }
            haveUsage = false; // locals end with every main item
        }
    }

    std::array<std::uint16_t, 3> longest{};
    for (std::size_t k = 0; k < 3; ++k)
        for (const std::uint64_t b : bits[k])
            longest[k] = std::max(longest[k], bytesWithId(b));
    info.lengths.InputReportByteLength = longest[0];
    info.lengths.OutputReportByteLength = longest[1];
    info.lengths.FeatureReportByteLength = longest[2];
    return info;
}

} // namespace hid::platform::linux_backend
