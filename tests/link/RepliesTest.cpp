#include "link/Replies.h"
#include "TestBytes.h"

#include <gtest/gtest.h>

#include <string>

using namespace vms::link;
using linktest::ascii;
using linktest::Bytes;
using linktest::hex;
using linktest::reply;

namespace
{

template <typename T> T decodeAs(const Bytes& data)
{
    const Reply r = decodeReply(data);
    EXPECT_TRUE(std::holds_alternative<T>(r)) << "variant index " << r.index();
    return std::holds_alternative<T>(r) ? std::get<T>(r) : T{};
}

} // namespace

TEST(ReplyBuffer, PadsShortAndCutsLongInput)
{
    const ReplyBuffer shortOne = toReplyBuffer(hex("47 53 05"));
    EXPECT_EQ(shortOne[2], 5);
    EXPECT_EQ(shortOne[63], 0);
    Bytes longOne(80, 0x11);
    longOne[63] = 0x63;
    longOne[64] = 0x64;
    const ReplyBuffer cut = toReplyBuffer(longOne);
    EXPECT_EQ(cut[63], 0x63);
    EXPECT_EQ(toReplyBuffer(Bytes{}), ReplyBuffer{});
}

TEST(Replies, IgnoredWithoutABranch)
{
    const Bytes cases[] = {
        Bytes{},
        hex("47"),
        reply("gs"),
        reply("Gs"),
        reply("gS"),
        reply("XX"),
        // actions have no branch
        reply("SO", {{3, ascii("T")}}),
        reply("SR"),
        reply("ST"),
        reply("SD"),
        reply("SA", {{3, ascii("A")}}),
        reply("SK", {{3, ascii("A")}}),
        reply("SF"),
        // wrong sub-codes
        reply("GA", {{3, ascii("X")}}),
        reply("GA", {{3, ascii("a")}}),
        reply("GA", {{2, ascii("A")}}), // sub-code is index 3, not 2
        reply("GA", {}, 3),             // too short to carry one
        reply("GK", {{3, ascii("D")}}),
        reply("GK", {{3, ascii("a")}}),
    };
    for (const Bytes& data : cases)
        EXPECT_TRUE(std::holds_alternative<Ignored>(decodeReply(data)))
            << linktest::toHex(data).substr(0, 11);
}

TEST(Replies, Acknowledgements)
{
    using Of = Acknowledgement::Of;
    EXPECT_EQ(decodeAs<Acknowledgement>(reply("SN")).of, Of::GsmNumber);
    EXPECT_EQ(decodeAs<Acknowledgement>(reply("SP", {}, 2)).of, Of::SmsText);
    EXPECT_EQ(decodeAs<Acknowledgement>(reply("SC", {{2, hex("FF FF")}}, 80)).of,
              Of::PhonebookRecord);
}

TEST(Replies, FirmwareKeepsEveryNonZeroByteOf2To62)
{
    EXPECT_EQ(
        decodeAs<FirmwareInfo>(reply("GF", {{2, hex("56 31 00 00 2E 33")}, {62, hex("45 5A")}}))
            .text,
        u"V1.3E"); // 'Z' at 63 is not part of it
    EXPECT_EQ(decodeAs<FirmwareInfo>(reply("GF")).text, u"");
    EXPECT_EQ(decodeAs<FirmwareInfo>(reply("GF", {{2, hex("E9")}}, 3)).text, u"\u00E9");
    EXPECT_EQ(decodeAs<FirmwareInfo>(Bytes(reply("GF", {{2, Bytes(78, 0x41)}}, 80))).text,
              std::u16string(61, u'A'));
}

TEST(Replies, StatusReportEveryField)
{
    const Bytes data = reply("GS", {{2, hex("04 17 01 00 02 01 0F FF 00 10 01 2C FF FF")},
                                    {16, hex("00 00 30 39 FF FF FF FF")},
                                    {24, hex("2B 33 38 31 36 34 00 39 39")},
                                    {40, hex("EE EE")},
                                    {54, hex("01 02 03 04 05 06 07 03 02 C8")}});
    StatusReport expected;
    expected.signal = 4;
    expected.rssi = 0x17;
    expected.din1 = 1;
    expected.din2 = 0;
    expected.din3 = 2;
    expected.relay = 1;
    expected.raw1 = 4095;
    expected.raw2 = 16;
    expected.smsTx = 300;
    expected.smsRx = 65535;
    expected.calc1 = 12345;
    expected.calc2 = -1;
    expected.phoneNumber = u"+38164";
    expected.debug = {1, 2, 3, 4, 5, 6, 7};
    expected.networkState = 3;
    expected.callFunction = 2;
    expected.debounce = 200;
    EXPECT_EQ(decodeAs<StatusReport>(data), expected);
}

TEST(Replies, StatusPhoneNumberIsBoundedBy16Bytes)
{
    const auto full = decodeAs<StatusReport>(reply("GS", {{24, Bytes(17, 0x37)}}));
    EXPECT_EQ(full.phoneNumber, std::u16string(16, u'7'));
    EXPECT_EQ(decodeAs<StatusReport>(reply("GS", {{25, hex("37")}})).phoneNumber, u"");
    // A two-byte "GS" decodes as all zeros.
    EXPECT_EQ(decodeAs<StatusReport>(reply("GS", {}, 2)), StatusReport{});
}

TEST(Replies, MemoryPagePassesItsUntrustedNumberOn)
{
    Bytes page(33);
    for (std::size_t i = 0; i < page.size(); ++i)
        page[i] = static_cast<std::uint8_t>(i + 1);
    struct Case {
        Bytes data;
        std::uint16_t page;
        std::uint8_t first, last;
    };
    const Case cases[] = {
        {reply("GM", {{2, hex("00 7F")}, {4, page}}), 127, 1, 32}, // byte 36 is not data
        {reply("GM", {{2, hex("01 2C")}, {4, page}}), 300, 1, 32},
        {reply("GM", {{2, hex("FF FF")}, {4, hex("41")}}, 36), 0xFFFF, 0x41, 0},
    };
    for (const Case& c : cases) {
        const auto m = decodeAs<MemoryPage>(c.data);
        EXPECT_EQ(m.page, c.page);
        EXPECT_EQ(m.bytes.front(), c.first);
        EXPECT_EQ(m.bytes.back(), c.last);
    }
}

TEST(Replies, GsmNumberAndSmsText)
{
    const auto gn = decodeAs<GsmNumber>(reply("GN", {{2, hex("07 55")}, {4, Bytes(17, 0x39)}}));
    EXPECT_EQ(gn.index, 7); // out of range, but passed on: the read still counts it
    EXPECT_EQ(gn.number, std::u16string(16, u'9'));
    EXPECT_EQ(decodeAs<GsmNumber>(reply("GN", {{2, hex("02")}}, 5)), (GsmNumber{2, u""}));

    const auto gp = decodeAs<SmsText>(reply("GP", {{2, hex("05 03")}, {4, Bytes(33, 0x61)}}));
    EXPECT_EQ(gp.index, 3); // index 3, not 2
    EXPECT_EQ(gp.text, std::u16string(32, u'a'));
    EXPECT_EQ(decodeAs<SmsText>(reply("GP", {{3, hex("08 00 41")}})).text, u"");
    EXPECT_EQ(decodeAs<SmsText>(reply("GP", {{3, hex("00 E9 74")}})).text, u"\u00E9t");
}

TEST(Replies, ListItemsCutShortAreNotTaken)
{
    // Zero padding would otherwise be stored as the device's data.
    struct Case {
        Bytes data;
        bool taken;
    };
    const Case cases[] = {
        {reply("GM", {{2, hex("00 05")}, {4, Bytes(32, 0xAA)}}, 36), true},
        {reply("GM", {{2, hex("00 05")}, {4, Bytes(31, 0xAA)}}, 35), false},
        {reply("GC", {{2, hex("00 01")}, {4, ascii("123")}}, 28), true},
        {reply("GC", {{2, hex("00 01")}, {4, ascii("123")}}, 27), false},
        {reply("GN", {{2, hex("01 00")}, {4, ascii("0641")}}, 9), true}, // its zero came
        {reply("GN", {{2, hex("01 00")}, {4, ascii("0641")}}, 8), false},
        {reply("GN", {{2, hex("01 00")}, {4, Bytes(16, 0x39)}}, 20), true},
        {reply("GP", {{2, hex("00 04")}, {4, ascii("Alarm")}}, 10), true},
        {reply("GP", {{2, hex("00 04")}, {4, ascii("Alarm")}}, 9), false},
        {reply("GP", {{2, hex("00 04")}, {4, Bytes(32, 0x61)}}, 36), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(!std::holds_alternative<Ignored>(decodeReply(c.data)), c.taken)
            << linktest::toHex(c.data);
}

TEST(Replies, AnalogAlarm)
{
    const Bytes base = reply("GA", {{3, hex("41 00 01 E8 48 FF FF 77 48 01 2C 05 07")}});
    const auto a = decodeAs<AnalogAlarm>(base);
    EXPECT_EQ(a.maximum, 125000);
    EXPECT_EQ(a.minimum, -35000);
    EXPECT_EQ(a.repeatMinutes, 300);
    EXPECT_EQ(a.smsCount, 5);
    EXPECT_TRUE(a.alarmOn); // any non-zero byte
    EXPECT_EQ(a.customTexts, false);

    const std::pair<std::uint8_t, std::optional<bool>> custom[] = {
        {0, false}, {1, true}, {2, std::nullopt}, {0xFF, std::nullopt}};
    for (const auto& [byte, expected] : custom) {
        Bytes data = base;
        data[16] = byte;
        EXPECT_EQ(decodeAs<AnalogAlarm>(data).customTexts, expected) << int{byte};
    }
}

TEST(Replies, DigitalTriggersFromFlagBits)
{
    struct Case {
        std::uint8_t flags;
        std::array<bool, 3> trigger;
    };
    const Case cases[] = {{0x05, {true, false, true}},
                          {0x02, {false, true, false}},
                          {0xF8, {false, false, false}},
                          {0xFF, {true, true, true}}};
    for (const Case& c : cases) {
        const auto d = decodeAs<DigitalTriggers>(
            reply("GA", {{3, hex("44")}, {4, Bytes{c.flags, 10, 0, 255}}}));
        EXPECT_EQ(d.trigger, c.trigger) << int{c.flags};
        EXPECT_EQ(d.delay, (std::array<std::uint8_t, 3>{10, 0, 255}));
    }
}

TEST(Replies, Coefficients)
{
    const auto c = decodeAs<Coefficients>(reply(
        "GK", {{3, hex("41 00 00 3A 98 FF FF B1 E0 00 00 00 F4 80 00 00 00 FF 9C 7F FF 02 00")}}));
    EXPECT_EQ(c, (Coefficients{15000, -20000, 244, -2147483647 - 1, -100, 32767, true, false}));
}

TEST(Replies, PhonebookRecord)
{
    const auto r = decodeAs<PhonebookRecord>(
        reply("GC", {{2, hex("01 64")},
                     {4, Bytes(16, 0x35)}, // runs into the terminator byte: 16 characters
                     {20, hex("4D 61 6D 61 4D 61 4E")},
                     {27, hex("02")}}));
    EXPECT_EQ(r.index, 356);
    EXPECT_EQ(r.row, 100); // low byte only; 100 is past the grid
    EXPECT_EQ(r.number, std::u16string(16, u'5'));
    EXPECT_EQ(r.note, u"MamaMa"); // six at most
    EXPECT_EQ(r.flag, 2);
    EXPECT_EQ(phonebookActiveText(r), u"NEAKTIVAN");

    const auto empty = decodeAs<PhonebookRecord>(reply("GC", {{2, hex("00 05")}, {27, hex("01")}}));
    EXPECT_EQ(empty.row, 5);
    EXPECT_EQ(phonebookActiveText(empty), u""); // no number: no state, whatever the flag

    PhonebookRecord active;
    active.number = u"1";
    active.flag = 1;
    EXPECT_EQ(phonebookActiveText(active), u"AKTIVAN");
}

TEST(Replies, RelayPeriod)
{
    EXPECT_EQ(decodeAs<RelayPeriod>(reply("GO", {{2, hex("63 00")}})).period, 0);
    EXPECT_EQ(decodeAs<RelayPeriod>(reply("GO", {{3, hex("FA")}}, 4)).period, 250);
    EXPECT_EQ(decodeAs<RelayPeriod>(reply("GO", {}, 3)).period, 0);
}

TEST(NetworkState, TextAndColour)
{
    struct Case {
        std::uint8_t state;
        const char16_t* text;
        Rgb colour;
    };
    const Case cases[] = {
        {0, u"NOT_REGISTERED", {255, 0, 0}},  {1, u"HOME_NETWORK", {0, 128, 0}},
        {2, u"ROAMING_NETWORK", {0, 128, 0}}, {3, u"SEARCHING...", {128, 0, 128}},
        {4, u"UNDEFINED!?", {255, 0, 0}},     {7, u"UNDEFINED!?", {255, 0, 0}},
        {255, u"UNDEFINED!?", {255, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(networkStateText(c.state), c.text);
        EXPECT_EQ(networkStateColour(c.state), c.colour);
    }
}
