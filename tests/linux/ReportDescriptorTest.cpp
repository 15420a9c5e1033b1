#include "hid/platform/linux/ReportDescriptor.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using hid::platform::linux_backend::MaxReportBytes;
using hid::platform::linux_backend::parseReportDescriptor;

namespace
{

using Bytes = std::vector<std::uint8_t>;

// 64-byte input and output reports, no report IDs: the Veltrano 8 interface.
const Bytes VendorDevice = {
    0x06, 0x00, 0xFF, // Usage Page (Vendor 0xFF00)
    0x09, 0x01,       // Usage (1)
    0xA1, 0x01,       // Collection (Application)
    0x15, 0x00,       //   Logical Minimum (0)
    0x26, 0xFF, 0x00, //   Logical Maximum (255)
    0x75, 0x08,       //   Report Size (8)
    0x95, 0x40,       //   Report Count (64)
    0x09, 0x01,       //   Usage (1)
    0x81, 0x02,       //   Input (Data, Var, Abs)
    0x95, 0x40,       //   Report Count (64)
    0x09, 0x01,       //   Usage (1)
    0x91, 0x02,       //   Output (Data, Var, Abs)
    0xC0,             // End Collection
};

// The boot keyboard of the HID class definition, appendix B.1.
const Bytes BootKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01,
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0,
};

// A mouse (report 1, 4 bytes), consumer keys (report 2, 2 bytes) and a
// vendor feature (report 3, 2 bytes) on one interface.
const Bytes NumberedMouse = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09,
    0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
    0x95, 0x01, 0x75, 0x05, 0x81, 0x03, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38,
    0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03, 0x81, 0x06, 0xC0, 0xC0, //
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x15, 0x00, 0x26, 0xFF, 0x03, 0x19,
    0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0, //
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x09, 0x02, 0x75, 0x08, 0x95,
    0x02, 0x15, 0x00, 0x26, 0xFF, 0x00, 0xB1, 0x02, 0xC0,
};

Bytes prefix(const Bytes& d, std::size_t n)
{
    return Bytes(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(n));
}

struct Case {
    const char* name;
    Bytes descriptor;
    std::uint16_t input, output, feature;
    std::uint16_t usagePage, usage;
    bool numbered;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

class DescriptorLengths : public testing::TestWithParam<Case>
{
};

TEST_P(DescriptorLengths, LargestReportOfEachKindPlusIdByte)
{
    const Case& c = GetParam();
    const auto info = parseReportDescriptor(c.descriptor);
    EXPECT_EQ(info.lengths.InputReportByteLength, c.input);
    EXPECT_EQ(info.lengths.OutputReportByteLength, c.output);
    EXPECT_EQ(info.lengths.FeatureReportByteLength, c.feature);
    EXPECT_EQ(info.lengths.UsagePage, c.usagePage);
    EXPECT_EQ(info.lengths.Usage, c.usage);
    EXPECT_EQ(info.numbered, c.numbered);
}

const Bytes Lying = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,
    0x77, 0xFF, 0xFF, 0xFF, 0xFF, // Report Size (4294967295)
    0x97, 0xFF, 0xFF, 0xFF, 0xFF, // Report Count (4294967295)
    0x81, 0x02, 0x81, 0x02, 0x81, 0x02, 0xC0,
};

const Bytes UnbalancedPushPop = {
    0xB4, // Pop with nothing pushed
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,
    0x75, 0x08, 0x95, 0x04, 0xA4, 0xA4, 0xA4, // Push x3, never popped
    0x95, 0x10, 0x81, 0x02,                   // Input 16 bytes
    0xB4, 0xB4, 0xB4, 0xB4, 0xB4,             // Pop x5: back to count 4, then nothing
    0x91, 0x02, 0xC0,                         // Output 4 bytes
};

const Bytes LongItemPastEnd = {0x06, 0x00, 0xFF, 0x75, 0x08, 0x95, 0x02,
                               0x81, 0x02, 0xFE, 0xF0, 0x10, 0x01};

INSTANTIATE_TEST_SUITE_P(
    Linux, DescriptorLengths,
    testing::Values(
        Case{"VendorDefined64", VendorDevice, 65, 65, 0, 0xFF00, 0x01, false},
        Case{"BootKeyboard", BootKeyboard, 9, 2, 0, 0x01, 0x06, false},
        Case{"MouseWithNumberedReports", NumberedMouse, 5, 0, 3, 0x01, 0x02, true},
        Case{"Empty", {}, 0, 0, 0, 0, 0, false},
        // Cut inside the Input item: nothing complete was declared.
        Case{"TruncatedInsideInput", prefix(VendorDevice, 19), 0, 0, 0, 0xFF00, 0x01, false},
        // Cut after the Input item: the input report stands, no output yet.
        Case{"TruncatedAfterInput", prefix(VendorDevice, 20), 65, 0, 0, 0xFF00, 0x01, false},
        Case{"TruncatedLongItem", LongItemPastEnd, 3, 0, 0, 0, 0, false},
        Case{"SizesThatLie", Lying, MaxReportBytes, 0, 0, 0xFF00, 0x01, false},
        Case{"UnbalancedPushPop", UnbalancedPushPop, 17, 5, 0, 0xFF00, 0x01, false}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(LinuxDescriptorParser, RandomBytesNeverCrashOrOverflow)
{
    std::mt19937 rng(20240607);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 600);
    for (int round = 0; round < 5000; ++round) {
        Bytes d(static_cast<std::size_t>(length(rng)));
        for (auto& b : d)
            b = static_cast<std::uint8_t>(byte(rng));
        const auto info = parseReportDescriptor(d);
        ASSERT_LE(info.lengths.InputReportByteLength, MaxReportBytes);
        ASSERT_LE(info.lengths.OutputReportByteLength, MaxReportBytes);
        ASSERT_LE(info.lengths.FeatureReportByteLength, MaxReportBytes);
        ASSERT_NE(info.lengths.InputReportByteLength, 1); // an ID byte alone is never a report
    }
}

} // namespace
