#include "link/CommandFrame.h"
#include "TestBytes.h"
#include "link/Requests.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace vms::link;
using linktest::Bytes;
using linktest::leading;
using linktest::toHex;

TEST(CommandFrame, ParamsFormFillsBytes3To26)
{
    Params params{};
    params[0] = u'T';
    params[23] = 0xAA;
    const CommandReport report = frameParams(u'S', u'O', params);
    Bytes expected = leading("00 53 4F 54", kCommandReportSize);
    expected[26] = 0xAA;
    EXPECT_EQ(toHex(report), toHex(expected));
}

TEST(CommandFrame, CodeLettersGoOutAsTheirLowByte)
{
    const CommandReport report = frameParams(char16_t{0x0147}, char16_t{0xFF53}, Params{});
    EXPECT_EQ(report[1], 0x47);
    EXPECT_EQ(report[2], 0x53);
}

TEST(CommandFrame, BlockFormLandsFromByte3)
{
    Bytes block32(32);
    for (std::size_t i = 0; i < block32.size(); ++i)
        block32[i] = static_cast<std::uint8_t>(0xA0 + i);
    const CommandReport report = frameBlock(u'S', u'C', block32);
    EXPECT_EQ(toHex(std::span(report).subspan(0, 3)), "00 53 43");
    EXPECT_EQ(toHex(std::span(report).subspan(3, 32)), toHex(block32));
    EXPECT_EQ(toHex(std::span(report).subspan(35)), toHex(Bytes(30, 0)));

    const Bytes block59(59, 0x5A);
    const CommandReport full = frameBlock(u'S', u'P', block59);
    EXPECT_EQ(toHex(std::span(full).subspan(3, 59)), toHex(block59));
    EXPECT_EQ(toHex(std::span(full).subspan(62)), "00 00 00");
}

TEST(CommandFrame, RefusesABlockLongerThan59Bytes)
{
    const Bytes block60(60, 0x5A);
    EXPECT_THROW(frameBlock(u'S', u'P', block60), std::length_error);
    Request request;
    request.form = Request::Form::Block;
    request.block = Bytes(200, 1);
    EXPECT_THROW(frame(request), std::length_error);
}

struct RequestCase {
    const char* name;
    Request request;
    const char* bytes; // report bytes from byte 0; the rest of the 65 is zero
};

void PrintTo(const RequestCase& c, std::ostream* os)
{
    *os << c.name;
}

class RequestBytes : public testing::TestWithParam<RequestCase>
{
};

TEST_P(RequestBytes, FramesExactly)
{
    const RequestCase& c = GetParam();
    EXPECT_EQ(toHex(frame(c.request)), toHex(leading(c.bytes, kCommandReportSize)));
}

namespace R = requests;

AnalogAlarm alarm(std::int32_t max, std::int32_t min, std::uint16_t repeat, std::uint8_t count,
                  bool on, std::optional<bool> custom)
{
    return AnalogAlarm{max, min, repeat, count, on, custom};
}

PhonebookEntry entry(std::uint16_t index, std::u16string number, std::u16string note, bool on)
{
    return PhonebookEntry{index, std::move(number), std::move(note), on};
}

INSTANTIATE_TEST_SUITE_P(
    Table, RequestBytes,
    testing::Values(
        RequestCase{"GF", R::getFirmware(), "00 47 46"},
        RequestCase{"GS", R::getStatus(), "00 47 53"},
        RequestCase{"GM_127", R::getMemoryPage(127), "00 47 4D 00 7F"},
        RequestCase{"GM_300", R::getMemoryPage(300), "00 47 4D 01 2C"},
        RequestCase{"GN_5", R::getGsmNumber(5), "00 47 4E 05"},
        RequestCase{"SN_short", R::setGsmNumber(2, u"+38164"), "00 53 4E 02 2B 33 38 31 36 34"},
        RequestCase{"SN_15", R::setGsmNumber(0, u"123456789012345"),
                    "00 53 4E 00 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35"},
        RequestCase{"SN_16_cut", R::setGsmNumber(1, u"1234567890123456"),
                    "00 53 4E 01 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35"},
        RequestCase{"SN_empty", R::setGsmNumber(5, u""), "00 53 4E 05"},
        RequestCase{"SN_low_byte", R::setGsmNumber(3, u"\u010D\u00E9"), "00 53 4E 03 0D E9"},
        RequestCase{"GP_8", R::getSmsText(8), "00 47 50 08"},
        RequestCase{"SP_abc", R::setSmsText(3, u"abc"), "00 53 50 03 61 62 63"},
        RequestCase{"SP_31_cut", R::setSmsText(7, std::u16string(30, u'x') + u"y"),
                    "00 53 50 07 78 78 78 78 78 78 78 78 78 78 78 78 78 78 78 78 78 78 78 78 "
                    "78 78 78 78 78 78 78 78 78 78"},
        RequestCase{"GA_A", R::getAlarm(AlarmGroup::Analog), "00 47 41 41"},
        RequestCase{"GA_D", R::getAlarm(AlarmGroup::Digital), "00 47 41 44"},
        RequestCase{"SA_A", R::setAnalogAlarm(alarm(125000, 22500, 300, 5, true, true)),
                    "00 53 41 41 00 01 E8 48 00 00 57 E4 01 2C 05 01 01"},
        RequestCase{"SA_A_negative_min", R::setAnalogAlarm(alarm(0, -35000, 0, 0, false, false)),
                    "00 53 41 41 00 00 00 00 FF FF 77 48"},
        RequestCase{"SA_A_custom_unknown",
                    R::setAnalogAlarm(alarm(1, 0, 65535, 255, true, std::nullopt)),
                    "00 53 41 41 00 00 00 01 00 00 00 00 FF FF FF 01 00"},
        RequestCase{"SA_D",
                    R::setDigitalTriggers(DigitalTriggers{{true, false, true}, {10, 255, 0}}),
                    "00 53 41 44 01 00 01 0A FF 00"},
        RequestCase{"GK", R::getCoefficients(), "00 47 4B 41"},
        RequestCase{
            "SK", R::setCoefficients(Coefficients{15000, -20000, 244, -1, -512, 100, true, false}),
            "00 53 4B 41 00 00 3A 98 FF FF B1 E0 00 00 00 F4 FF FF FF FF FE 00 00 64 01"},
        RequestCase{"SK_voltage2", R::setCoefficients(Coefficients{0, 0, 0, 0, 0, 0, false, true}),
                    "00 53 4B 41 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                    "01"},
        RequestCase{"GC_0", R::getPhonebookRecord(0), "00 47 43 00 00"},
        RequestCase{"GC_99", R::getPhonebookRecord(99), "00 47 43 00 63"},
        RequestCase{"SC", R::setPhonebookRecord(entry(99, u"0641234567", u"Mama", true)),
                    "00 53 43 00 63 30 36 34 31 32 33 34 35 36 37 00 00 00 00 00 00 "
                    "4D 61 6D 61 00 00 00 01"},
        RequestCase{"SC_cut_to_fields",
                    R::setPhonebookRecord(entry(0, u"1234567890123456789", u"abcdefgh", false)),
                    "00 53 43 00 00 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35 00 "
                    "61 62 63 64 65 66 00 00"},
        RequestCase{"GO", R::getRelayPeriod(), "00 47 4F"},
        RequestCase{"SO_T", R::toggleRelay(), "00 53 4F 54"},
        RequestCase{"SO_P_1", R::setRelayPeriod(1), "00 53 4F 50 01"},
        RequestCase{"SO_P_250", R::setRelayPeriod(250), "00 53 4F 50 FA"},
        RequestCase{"SR_B", R::restartToBootloader(), "00 53 52 42"},
        RequestCase{"ST_S", R::sendTestSms(), "00 53 54 53"},
        RequestCase{"SD_on", R::setCallFunction(true), "00 53 44 45 01"},
        RequestCase{"SD_off", R::setCallFunction(false), "00 53 44 45 00"},
        RequestCase{"SF", R::formatMemory(), "00 53 46"}),
    [](const testing::TestParamInfo<RequestCase>& info) { return std::string(info.param.name); });

TEST(Requests, BlockCommandsCarry32ByteBlocks)
{
    // HIDSendCmdBuf takes the block; every caller passes 32 bytes.
    for (const Request& r : {R::setSmsText(0, u"x"), R::setPhonebookRecord(PhonebookEntry{})}) {
        EXPECT_EQ(r.form, Request::Form::Block);
        EXPECT_EQ(r.block.size(), 32u);
    }
    const Request sp = R::setSmsText(3, std::u16string(30, u'z'));
    EXPECT_EQ(sp.block[30], u'z');
    EXPECT_EQ(sp.block[31], 0); // a 30-character text still ends with a zero
    EXPECT_EQ(R::toggleRelay().form, Request::Form::Params);
}
