#include "TestBytes.h"
#include "link/Bytes.h"
#include "link/FixedPoint.h"
#include "link/NumberText.h"
#include "link/TextCodec.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

using namespace vms::link;
using linktest::Bytes;
using linktest::hex;
using linktest::toHex;

TEST(BigEndian, ReadsAtOffsetMostSignificantFirst)
{
    const Bytes b = hex("AA 01 2C FF 9C 00 01 E8 48 FF FF 77 48");
    EXPECT_EQ(readU16BE(b, 1), 300);
    EXPECT_EQ(readI16BE(b, 3), -100);
    EXPECT_EQ(readU16BE(b, 3), 0xFF9C);
    EXPECT_EQ(readI32BE(b, 5), 125000);
    EXPECT_EQ(readI32BE(b, 9), -35000);
    EXPECT_EQ(readU32BE(b, 9), 0xFFFF7748u);
}

TEST(BigEndian, WritesOnlyItsOwnBytes)
{
    Bytes b(12, 0xEE);
    writeU16BE(b, 1, 300);
    writeI16BE(b, 3, -512);
    writeI32BE(b, 5, -20000);
    EXPECT_EQ(toHex(b), "EE 01 2C FE 00 FF FF B1 E0 EE EE EE");
    writeU32BE(b, 8, 0x01020304u);
    EXPECT_EQ(toHex(b), "EE 01 2C FE 00 FF FF B1 01 02 03 04");
}

struct ScaleCase {
    const char16_t* text;
    char16_t separator;
    std::int32_t scaled;
};

void PrintTo(const ScaleCase& c, std::ostream* os)
{
    *os << toUtf8(c.text) << " sep " << static_cast<char>(c.separator);
}

class FixedPointScale : public testing::TestWithParam<ScaleCase>
{
};

// Entered text -> wire integer, the path every decimal field of a write takes.
TEST_P(FixedPointScale, ParsesAndScalesWithHalfToEven)
{
    const ScaleCase& c = GetParam();
    EXPECT_EQ(toFixedPoint(parseDecimal(c.text, c.separator)), c.scaled);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FixedPointScale,
    testing::Values(ScaleCase{u"12.5", u'.', 125000}, ScaleCase{u"2.25", u'.', 22500},
                    ScaleCase{u"-3.5", u'.', -35000}, ScaleCase{u"-3,5", u',', -35000},
                    ScaleCase{u"1.5", u'.', 15000}, ScaleCase{u"-2", u'.', -20000},
                    ScaleCase{u"1.00004", u'.', 10000}, ScaleCase{u"1.00001", u'.', 10000},
                    ScaleCase{u"0.0244200244200244", u'.', 244},
                    // exact halves (x/32): 312.5 -> 312, 937.5 -> 938
                    ScaleCase{u"0.03125", u'.', 312}, ScaleCase{u"0.09375", u'.', 938},
                    ScaleCase{u"-0.03125", u'.', -312}, ScaleCase{u"0.00005", u'.', 0},
                    // beyond the 32-bit range: the low 32 bits
                    ScaleCase{u"214748.3647", u'.', std::numeric_limits<std::int32_t>::max()},
                    ScaleCase{u"214748.3648", u'.', std::numeric_limits<std::int32_t>::min()},
                    ScaleCase{u"-214748.3649", u'.', std::numeric_limits<std::int32_t>::max()},
                    ScaleCase{u"429496.7296", u'.', 0},
                    // 10^24 and -10^24: far beyond int64, low 32 bits A1000000 / 5F000000
                    ScaleCase{u"1e20", u'.', -1593835520}, ScaleCase{u"-1e20", u'.', 1593835520}));

TEST(FixedPoint, NonFiniteGivesZero)
{
    EXPECT_EQ(toFixedPoint(std::numeric_limits<long double>::infinity()), 0);
    EXPECT_EQ(toFixedPoint(std::numeric_limits<long double>::quiet_NaN()), 0);
    EXPECT_EQ(toFixedPoint(LDBL_MAX), 0); // the scaling overflows
}

struct FormatCase {
    std::int32_t scaled;
    char16_t separator;
    const char16_t* text;
};

void PrintTo(const FormatCase& c, std::ostream* os)
{
    *os << c.scaled << " sep " << static_cast<char>(c.separator);
}

class FixedPointFormat : public testing::TestWithParam<FormatCase>
{
};

TEST_P(FixedPointFormat, ShowsFourDecimals)
{
    const FormatCase& c = GetParam();
    EXPECT_EQ(formatFixedPoint(c.scaled, c.separator), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FixedPointFormat,
    testing::Values(FormatCase{12345, u'.', u"1.2345"}, FormatCase{0, u'.', u"0.0000"},
                    FormatCase{-5, u'.', u"-0.0005"}, FormatCase{2500000, u'.', u"250.0000"},
                    FormatCase{-1, u'.', u"-0.0001"}, FormatCase{-35000, u',', u"-3,5000"},
                    FormatCase{244, u'.', u"0.0244"}, FormatCase{-10000, u'.', u"-1.0000"},
                    FormatCase{std::numeric_limits<std::int32_t>::max(), u'.', u"214748.3647"},
                    FormatCase{std::numeric_limits<std::int32_t>::min(), u'.', u"-214748.3648"}));

TEST(TextCodec, EncodesLowByteOfEachUnitUpToTheLimit)
{
    struct Case {
        std::u16string text;
        std::size_t outSize;
        std::size_t maxChars;
        std::size_t written;
        const char* bytes;
    };
    const Case cases[] = {
        {u"abc", 6, 4, 3, "61 62 63 EE EE EE"},
        {u"abcdef", 6, 4, 4, "61 62 63 64 EE EE"},
        {u"abcdef", 2, 4, 2, "61 62"},              // never past the output
        {u"\u010D\u00E9+", 4, 4, 3, "0D E9 2B EE"}, // c with caron goes out as 0D
        {u"", 2, 2, 0, "EE EE"},
    };
    for (const Case& c : cases) {
        Bytes out(c.outSize, 0xEE);
        EXPECT_EQ(encodeText(c.text, out, c.maxChars), c.written);
        EXPECT_EQ(toHex(out), c.bytes);
    }
}

TEST(TextCodec, DecodesToFirstZeroWithinTheField)
{
    EXPECT_EQ(decodeText(hex("2B 33 38 00 39 39")), u"+38");
    EXPECT_EQ(decodeText(hex("00 41")), u"");
    EXPECT_EQ(decodeText(hex("E9 FF 01")), u"\u00E9\u00FF\u0001");
    EXPECT_EQ(decodeText(Bytes{}), u"");
}
