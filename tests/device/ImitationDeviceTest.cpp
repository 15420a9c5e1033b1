#include "device/ImitationDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace
{

using Bytes = std::vector<std::uint8_t>;

template <typename Set> device::Faults faults(Set set)
{
    device::Faults f;
    set(f);
    return f;
}

// A full output report: report ID 0, the code, then `params` from byte 3 on.
Bytes request(std::string_view code, std::initializer_list<int> params = {})
{
    Bytes report(device::ReportLength, 0);
    report[1] = static_cast<std::uint8_t>(code[0]);
    report[2] = static_cast<std::uint8_t>(code[1]);
    std::size_t i = 3;
    for (int p : params)
        report[i++] = static_cast<std::uint8_t>(p);
    return report;
}

// Puts `text` into the report from byte `at` on.
Bytes& put(Bytes& report, std::size_t at, std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
        report[at + i] = static_cast<std::uint8_t>(text[i]);
    return report;
}

std::string textAt(const Bytes& data, std::size_t from, std::size_t width)
{
    std::string text;
    for (std::size_t i = from; i < from + width && data[i] != 0; ++i)
        text += static_cast<char>(data[i]);
    return text;
}

std::uint16_t be16(const Bytes& data, std::size_t at)
{
    return static_cast<std::uint16_t>(data[at] << 8 | data[at + 1]);
}

std::int32_t be32(const Bytes& data, std::size_t at)
{
    return static_cast<std::int32_t>(std::uint32_t{data[at]} << 24 |
                                     std::uint32_t{data[at + 1]} << 16 |
                                     std::uint32_t{data[at + 2]} << 8 | data[at + 3]);
}

class ImitationDeviceTest : public ::testing::Test
{
protected:
    std::chrono::milliseconds now{100000};
    device::ImitationDevice dev{[this] { return now; }};

    // Most tests look at a device that has been up long enough to register.
    void SetUp() override { now += 10s; }

    std::optional<Bytes> send(const Bytes& report) { return dev.handle(report).reply; }

    // The reply data as the tables count it (index 0 = first letter); fails
    // the test when there is no full reply.
    Bytes data(const Bytes& report)
    {
        const auto reply = send(report);
        EXPECT_TRUE(reply.has_value());
        if (!reply)
            return Bytes(device::ReportLength - 1, 0);
        EXPECT_EQ(reply->size(), device::ReportLength);
        EXPECT_EQ((*reply)[0], 0);
        return Bytes(reply->begin() + 1, reply->end());
    }

    Bytes status() { return data(request("GS")); }
};

struct CodeCase {
    const char* name;
    Bytes report;
    std::optional<std::string> replyCode; // nothing: no reply expected
};

TEST_F(ImitationDeviceTest, EveryCodeAnswersAsDocumented)
{
    const CodeCase cases[] = {
        {"GF", request("GF"), "GF"},
        {"GS", request("GS"), "GS"},
        {"GM page 0", request("GM", {0, 0}), "GM"},
        {"GN", request("GN", {0}), "GN"},
        {"GP", request("GP", {0}), "GP"},
        {"GA A", request("GA", {'A'}), "GA"},
        {"GA D", request("GA", {'D'}), "GA"},
        {"GK A", request("GK", {'A'}), "GK"},
        {"GC", request("GC", {0, 0}), "GC"},
        {"GO", request("GO"), "GO"},
        {"SN", request("SN", {0, '1'}), "SN"},
        {"SP", request("SP", {0, 'x'}), "SP"},
        {"SC", request("SC", {0, 5, '1'}), "SC"},
        {"SO T", request("SO", {'T'}), "SO"},
        {"SO P", request("SO", {'P', 10}), "SO"},
        {"SD E", request("SD", {'E', 1}), "SD"},
        {"SA A", request("SA", {'A'}), "SA"},
        {"SA D", request("SA", {'D'}), "SA"},
        {"SK A", request("SK", {'A'}), "SK"},
        {"ST S", request("ST", {'S'}), "ST"},
        {"SR B", request("SR", {'B'}), std::nullopt},
        {"SF", request("SF"), std::nullopt},
        {"GA other group", request("GA", {'X'}), std::nullopt},
        {"GK other group", request("GK", {'D'}), std::nullopt},
        {"SO other sub-code", request("SO", {'Q'}), std::nullopt},
        {"SR other sub-code", request("SR", {'X'}), std::nullopt},
        {"unknown code", request("XY"), std::nullopt},
        {"lower case", request("gs"), std::nullopt},
        {"GM page 128", request("GM", {0, 128}), std::nullopt},
        {"GM page 256 (low byte 0)", request("GM", {1, 0}), std::nullopt},
        {"SN index 6", request("SN", {6, '1'}), std::nullopt},
        {"SP index 9", request("SP", {9, 'x'}), std::nullopt},
        {"SC index 100", request("SC", {0, 100, '1'}), std::nullopt},
        {"SC index 356", request("SC", {1, 100, '1'}), std::nullopt},
        {"SO P 0", request("SO", {'P', 0}), std::nullopt},
        {"SO P 251", request("SO", {'P', 251}), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto reply = send(c.report);
        ASSERT_EQ(reply.has_value(), c.replyCode.has_value());
        if (!reply)
            continue;
        ASSERT_EQ(reply->size(), device::ReportLength);
        EXPECT_EQ((*reply)[0], 0);
        EXPECT_EQ(std::string({static_cast<char>((*reply)[1]), static_cast<char>((*reply)[2])}),
                  *c.replyCode);
    }
}

TEST_F(ImitationDeviceTest, ActionEchoCarriesItsSubCodeAtIndexThree)
{
    EXPECT_EQ(data(request("SO", {'T'}))[3], 'T');
    EXPECT_EQ(data(request("ST", {'S'}))[3], 'S');
}

TEST_F(ImitationDeviceTest, FirmwareTextFillsDataTwoOn)
{
    dev.setFirmwareText("FW 1.0");
    auto d = data(request("GF"));
    EXPECT_EQ(textAt(d, 2, 61), "FW 1.0");

    // A longer text is cut to the 61 bytes of the field; byte 63 stays free.
    dev.setFirmwareText(std::string(80, 'x'));
    d = data(request("GF"));
    EXPECT_EQ(textAt(d, 2, 62), std::string(61, 'x'));
    EXPECT_EQ(d[63], 0);
}

TEST_F(ImitationDeviceTest, GsmNumberWrittenWithSnComesBackWithGn)
{
    struct Case {
        std::string written;
        std::string readBack;
    };
    const Case cases[] = {
        {"+381641234567", "+381641234567"},
        {"123456789012345", "123456789012345"},
        {"1234567890123456789", "123456789012345"}, // the device keeps 15
        {"", ""},
        {std::string("123\0junk", 8), "123"}, // bytes after the first zero carry nothing
    };
    for (std::uint8_t index = 0; index < 6; ++index) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.written + " at " + std::to_string(index));
            auto sn = request("SN", {index});
            // SN carries 15 characters in bytes 4-18; fill up to 26 to see
            // that nothing past them is taken.
            put(sn, 4, c.written.substr(0, 23));
            ASSERT_TRUE(send(sn).has_value());

            const auto d = data(request("GN", {index}));
            EXPECT_EQ(d[2], index);
            EXPECT_EQ(textAt(d, 4, 16), c.readBack);
            for (std::size_t i = 4 + c.readBack.size(); i < 64; ++i)
                EXPECT_EQ(d[i], 0) << "index " << i;
        }
    }
}

TEST_F(ImitationDeviceTest, SmsTextWrittenWithSpComesBackWithGp)
{
    const std::string thirty(30, 'A');
    struct Case {
        std::uint8_t index;
        std::string written;
        std::string readBack;
    };
    const Case cases[] = {
        {0, "Ulaz 1 UP", "Ulaz 1 UP"},
        {6, "Analog", "Analog"},
        {8, thirty, thirty},
        {7, thirty + "BC", thirty}, // more than a text can hold is cut
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        auto sp = request("SP", {c.index});
        put(sp, 4, c.written);
        ASSERT_TRUE(send(sp).has_value());

        const auto d = data(request("GP", {c.index}));
        EXPECT_EQ(d[3], c.index);
        EXPECT_EQ(textAt(d, 4, 32), c.readBack);
    }
}

TEST_F(ImitationDeviceTest, PhonebookRecordWrittenWithScComesBackWithGcAtItsOffsets)
{
    auto sc = request("SC", {0, 99});
    put(sc, 5, "+38164123456789"); // 15 characters, bytes 5-19
    put(sc, 21, "Kucica");         // 6 characters, bytes 21-26
    sc[28] = 1;
    // Junk where the record has its terminators and unused bytes.
    sc[20] = 'Z';
    sc[27] = 'Z';
    sc[29] = 0x55;
    ASSERT_TRUE(send(sc).has_value());

    const auto d = data(request("GC", {0, 99}));
    EXPECT_EQ(be16(d, 2), 99);
    EXPECT_EQ(textAt(d, 4, 15), "+38164123456789");
    EXPECT_EQ(d[19], 0);
    EXPECT_EQ(textAt(d, 20, 6), "Kucica");
    EXPECT_EQ(d[26], 0);
    EXPECT_EQ(d[27], 1);
    for (std::size_t i = 28; i <= 33; ++i)
        EXPECT_EQ(d[i], 0) << "index " << i;

    // Other records are untouched.
    const auto other = data(request("GC", {0, 98}));
    EXPECT_EQ(be16(other, 2), 98);
    EXPECT_EQ(other[4], 0);
}

TEST_F(ImitationDeviceTest, ListReadsPastTheEndAnswerWithAnEmptyItem)
{
    // The phonebook read asks for index 100 to end its chain.
    auto d = data(request("GC", {0, 100}));
    EXPECT_EQ(be16(d, 2), 100);
    for (std::size_t i = 4; i < 64; ++i)
        EXPECT_EQ(d[i], 0);

    d = data(request("GN", {7}));
    EXPECT_EQ(d[2], 7);
    EXPECT_EQ(d[4], 0);

    d = data(request("GP", {9}));
    EXPECT_EQ(d[3], 9);
    EXPECT_EQ(d[4], 0);
}

TEST_F(ImitationDeviceTest, AnalogAlarmGroupRoundTripsAtItsOffsets)
{
    // max 12.5, min -3.25, repeat 300 min, 4 SMS, alarm on, user's texts.
    const Bytes group = {0x00, 0x01, 0xE8, 0x48, 0xFF, 0xFF, 0x81, 0x0C, 0x01, 0x2C, 4, 1, 1};
    auto sa = request("SA", {'A'});
    std::copy(group.begin(), group.end(), sa.begin() + 4);
    sa[17] = 0x77; // past the group: not part of it
    ASSERT_TRUE(send(sa).has_value());

    const auto d = data(request("GA", {'A'}));
    EXPECT_EQ(d[3], 'A');
    EXPECT_EQ(Bytes(d.begin() + 4, d.begin() + 17), group);
    EXPECT_EQ(be32(d, 4), 125000);
    EXPECT_EQ(be32(d, 8), -32500);
    EXPECT_EQ(be16(d, 12), 300);
    EXPECT_EQ(d[17], 0);
}

TEST_F(ImitationDeviceTest, DigitalInputGroupTravelsAsBytesOutAndBitsBack)
{
    struct Case {
        int t1, t2, t3;
        std::uint8_t flags;
    };
    const Case cases[] = {{1, 0, 1, 0x05}, {0, 1, 0, 0x02}, {0, 0, 0, 0x00}, {1, 1, 7, 0x07}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.flags));
        ASSERT_TRUE(send(request("SA", {'D', c.t1, c.t2, c.t3, 7, 8, 250})).has_value());
        const auto d = data(request("GA", {'D'}));
        EXPECT_EQ(d[3], 'D');
        EXPECT_EQ(d[4], c.flags);
        EXPECT_EQ(d[5], 7);
        EXPECT_EQ(d[6], 8);
        EXPECT_EQ(d[7], 250);
    }
}

TEST_F(ImitationDeviceTest, CoefficientsRoundTripAtTheirOffsets)
{
    // K1 1.5, N1 -2, K2 0.0244, N2 0, offsets -512 and 100, voltage out 1, 0.
    const Bytes block = {0x00, 0x00, 0x3A, 0x98, 0xFF, 0xFF, 0xB1, 0xE0, 0x00, 0x00, 0x00,
                         0xF4, 0x00, 0x00, 0x00, 0x00, 0xFE, 0x00, 0x00, 0x64, 1,    0};
    auto sk = request("SK", {'A'});
    std::copy(block.begin(), block.end(), sk.begin() + 4);
    ASSERT_TRUE(send(sk).has_value());

    const auto d = data(request("GK", {'A'}));
    EXPECT_EQ(d[3], 'A');
    EXPECT_EQ(Bytes(d.begin() + 4, d.begin() + 26), block);
}

TEST_F(ImitationDeviceTest, RelayPeriodKeepsOnlyValuesInRange)
{
    struct Case {
        int written;
        int readBack;
    };
    const Case cases[] = {{1, 1}, {250, 250}, {0, 250}, {251, 250}, {17, 17}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        send(request("SO", {'P', c.written}));
        EXPECT_EQ(data(request("GO"))[3], c.readBack);
    }
}

TEST_F(ImitationDeviceTest, MemoryPagesShowTheSettings)
{
    auto sn = request("SN", {1});
    put(sn, 4, "0641112222");
    send(sn);

    const auto image = dev.memory();
    for (std::uint16_t page = 0; page < device::PageCount; ++page) {
        const auto d = data(request("GM", {page >> 8, page & 0xFF}));
        ASSERT_EQ(be16(d, 2), page);
        for (std::size_t i = 0; i < device::PageSize; ++i)
            ASSERT_EQ(d[4 + i], image[page * device::PageSize + i]) << "page " << page;
    }
    // Reply bytes after the page carry nothing.
    const auto last = data(request("GM", {0, 127}));
    for (std::size_t i = 36; i < 64; ++i)
        EXPECT_EQ(last[i], 0);

    // The number written is somewhere in the image, whole.
    const std::string flat(image.begin(), image.end());
    EXPECT_NE(flat.find(std::string("0641112222") + '\0'), std::string::npos);
}

TEST_F(ImitationDeviceTest, SettingsLandAtTheAddressesOfTheMemoryMap)
{
    // Fixed addresses, so a memory dump reads the same in every version.
    send(request("SO", {'P', 17}));
    send(request("SD", {'E', 0}));
    send(request("SA", {'A', 0x00, 0x01, 0xE8, 0x48, 0x00, 0x00, 0x57, 0xE4, 0x01, 0x2C, 5, 1, 0}));
    send(request("SA", {'D', 1, 0, 1, 7, 8, 9}));
    send(request("SK", {'A', 0x00, 0x00, 0x3A, 0x98}));
    auto sn = request("SN", {1});
    send(put(sn, 4, "0641"));
    auto sp = request("SP", {8});
    send(put(sp, 4, "Min"));
    auto sc = request("SC", {0, 99});
    send(put(sc, 5, "999"));

    const auto image = dev.memory();
    const auto at = [&](std::size_t address, std::size_t count) {
        return Bytes(image.begin() + static_cast<std::ptrdiff_t>(address),
                     image.begin() + static_cast<std::ptrdiff_t>(address + count));
    };
    EXPECT_EQ(image[0x000], 17);
    EXPECT_EQ(image[0x001], 0);
    EXPECT_EQ(at(0x020, 11),
              (Bytes{0x00, 0x01, 0xE8, 0x48, 0x00, 0x00, 0x57, 0xE4, 0x01, 0x2C, 5}));
    EXPECT_EQ(at(0x040, 4), (Bytes{0x05, 7, 8, 9})); // triggers as bits, then the delays
    EXPECT_EQ(at(0x060, 4), (Bytes{0x00, 0x00, 0x3A, 0x98}));
    EXPECT_EQ(textAt(Bytes(image.begin(), image.end()), 0x090, 16), "0641");
    EXPECT_EQ(textAt(Bytes(image.begin(), image.end()), 0x1E0, 31), "Min");
    EXPECT_EQ(be16(at(0xFE0, 2), 0), 99);
    EXPECT_EQ(textAt(Bytes(image.begin(), image.end()), 0xFE0 + 2, 15), "999");
}

TEST_F(ImitationDeviceTest, FormatErasesTheMemoryAndDropsTheConnection)
{
    ASSERT_NE(data(request("GN", {0}))[4], 0); // sample settings present

    dev.setFormatDownTime(1500ms);
    const auto response = dev.handle(request("SF"));
    EXPECT_FALSE(response.reply.has_value());
    ASSERT_TRUE(response.dropConnection.has_value());
    EXPECT_EQ(*response.dropConnection, 1500ms);

    for (std::uint16_t page = 0; page < device::PageCount; ++page) {
        const auto d = data(request("GM", {page >> 8, page & 0xFF}));
        for (std::size_t i = 4; i < 36; ++i)
            ASSERT_EQ(d[i], 0) << "page " << page;
    }
    EXPECT_EQ(data(request("GN", {0}))[4], 0);
    EXPECT_EQ(data(request("GO"))[3], 0);
    EXPECT_EQ(data(request("GC", {0, 0}))[4], 0);
    EXPECT_FALSE(dev.callFunctionOn());
}

TEST_F(ImitationDeviceTest, BootloaderRestartDropsTheConnectionAndKeepsTheMemory)
{
    send(request("SO", {'T'}));
    ASSERT_TRUE(dev.relayOn());
    const auto before = dev.memory();

    dev.setBootDownTime(700ms);
    const auto response = dev.handle(request("SR", {'B'}));
    EXPECT_FALSE(response.reply.has_value());
    ASSERT_TRUE(response.dropConnection.has_value());
    EXPECT_EQ(*response.dropConnection, 700ms);
    EXPECT_EQ(dev.memory(), before);
    EXPECT_FALSE(dev.relayOn());

    // Back after the down time, it registers on the network again.
    now += 700ms;
    EXPECT_EQ(status()[61], 3);
    now += 5s;
    EXPECT_EQ(status()[61], 1);
}

TEST_F(ImitationDeviceTest, StatusStartsSearchingThenRegisters)
{
    device::ImitationDevice fresh([this] { return now; });
    auto freshStatus = [&fresh] {
        const auto reply = fresh.handle(request("GS")).reply;
        return reply ? Bytes(reply->begin() + 1, reply->end()) : Bytes(64, 0xEE);
    };
    auto s = freshStatus();
    EXPECT_EQ(s[61], 3); // SEARCHING...
    EXPECT_EQ(s[2], 0);  // no signal yet
    EXPECT_EQ(s[54], 6); // STATE_COLDSTART

    now += 10s;
    s = freshStatus();
    EXPECT_EQ(s[61], 1); // HOME_NETWORK
    EXPECT_GE(s[2], 1);
    EXPECT_LE(s[2], 5);
    EXPECT_LE(s[3], 31);
    EXPECT_GE(s[54], 1);
    EXPECT_LE(s[54], 16);
}

TEST_F(ImitationDeviceTest, StatusFollowsTheRelayToggle)
{
    EXPECT_EQ(status()[7], 0);
    send(request("SO", {'T'}));
    EXPECT_NE(status()[7], 0);
    send(request("SO", {'T'}));
    EXPECT_EQ(status()[7], 0);
}

TEST_F(ImitationDeviceTest, TestSmsGoesToEveryStoredNumber)
{
    // Sample settings hold two numbers; add a third.
    auto sn = request("SN", {4});
    put(sn, 4, "0601234567");
    send(sn);

    const auto before = be16(status(), 12);
    send(request("ST", {'S'}));
    const auto s = status();
    EXPECT_EQ(be16(s, 12), before + 3);
    EXPECT_EQ(s[54], 4); // STATE_RAPORT_SMS while sending
    EXPECT_NE(s[60], 0);

    now += 5s;
    EXPECT_EQ(status()[60], 0);
    EXPECT_EQ(be16(status(), 12), before + 3);
}

TEST_F(ImitationDeviceTest, CallFunctionSwitchShowsInTheStatus)
{
    send(request("SD", {'E', 1}));
    auto s = status();
    EXPECT_EQ(s[62], 1);
    EXPECT_EQ(textAt(s, 24, 16), "+381641234567"); // first active record
    EXPECT_TRUE(dev.callFunctionOn());

    send(request("SD", {'E', 0}));
    s = status();
    EXPECT_EQ(s[62], 0);
    EXPECT_EQ(s[24], 0);
    EXPECT_FALSE(dev.callFunctionOn());
}

TEST_F(ImitationDeviceTest, CalculatedValueFollowsTheCoefficients)
{
    // K1 = 0.5, N1 = 1.25, offset1 = -100; K2 = -2, N2 = 0, offset2 = 0.
    auto sk = request("SK", {'A'});
    const Bytes block = {0x00, 0x00, 0x13, 0x88, 0x00, 0x00, 0x30, 0xD4, 0xFF, 0xFF, 0xB1,
                         0xE0, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x9C, 0x00, 0x00, 0,    0};
    std::copy(block.begin(), block.end(), sk.begin() + 4);
    send(sk);

    std::set<std::uint16_t> raws;
    for (int step = 0; step < 60; ++step) {
        now += 700ms;
        const auto s = status();
        const std::uint16_t raw1 = be16(s, 8);
        const std::uint16_t raw2 = be16(s, 10);
        raws.insert(raw1);
        EXPECT_EQ(be32(s, 16), 5000 * (raw1 - 100) + 12500) << "raw " << raw1;
        EXPECT_EQ(be32(s, 20), -20000 * raw2) << "raw " << raw2;
    }
    EXPECT_GT(raws.size(), 10u); // the reading drifts
}

TEST_F(ImitationDeviceTest, StatusMovesOverTime)
{
    std::set<int> din1, din2, din3, debug54, debug57, debug58;
    for (int step = 0; step < 200; ++step) {
        now += 250ms;
        const auto s = status();
        din1.insert(s[4]);
        din2.insert(s[5]);
        din3.insert(s[6]);
        debug54.insert(s[54]);
        debug57.insert(s[57]);
        debug58.insert(s[58]);
        EXPECT_LE(s[4], 1);
    }
    EXPECT_EQ(din1.size(), 2u);
    EXPECT_EQ(din2.size(), 2u);
    EXPECT_EQ(din3.size(), 2u);
    EXPECT_GT(debug54.size(), 1u);
    EXPECT_GT(debug57.size(), 10u);
    EXPECT_EQ(debug58.size(), 2u);
}

TEST_F(ImitationDeviceTest, AnalogAlarmDebounceCountsOnlyOutsideTheRange)
{
    // Alarm on with a range no reading leaves: the counter stays 0.
    auto wide = request("SA", {'A', 0x7F, 0xFF, 0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00, 0, 1, 1, 1, 0});
    send(wide);
    for (int step = 0; step < 40; ++step) {
        now += 1s;
        ASSERT_EQ(status()[63], 0);
    }
    // A range every reading is above: the counter moves.
    auto low = request("SA", {'A', 0x80, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0, 1, 1, 1, 0});
    send(low);
    now += 1s;
    EXPECT_NE(status()[63], 0);
}

TEST_F(ImitationDeviceTest, LatencyKnobIsCarriedInTheResponse)
{
    EXPECT_EQ(dev.handle(request("GS")).latency, 0ms);
    dev.setLatency(250ms);
    EXPECT_EQ(dev.handle(request("GS")).latency, 250ms);
}

TEST_F(ImitationDeviceTest, SilenceCanBeLimitedToOneCode)
{
    dev.setFaults(faults([](device::Faults& f) { f.silent = true; }));
    EXPECT_FALSE(send(request("GS")).has_value());
    EXPECT_FALSE(send(request("SN", {0})).has_value());

    dev.setFaults(faults([](device::Faults& f) {
        f.silent = true;
        f.onlyFor = device::Code{'S', 'N'};
    }));
    EXPECT_TRUE(send(request("GS")).has_value());
    EXPECT_FALSE(send(request("SN", {0})).has_value());

    // The write still happens: only the acknowledgement is lost.
    auto sn = request("SN", {2});
    put(sn, 4, "999");
    send(sn);
    EXPECT_EQ(textAt(data(request("GN", {2})), 4, 16), "999");

    dev.setFaults({});
    EXPECT_TRUE(send(request("SN", {0})).has_value());
}

TEST_F(ImitationDeviceTest, WrongCodeAndShortReplyKnobs)
{
    dev.setFaults(faults([](device::Faults& f) { f.wrongCode = device::Code{'G', 'O'}; }));
    auto reply = send(request("GS"));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ((*reply)[1], 'G');
    EXPECT_EQ((*reply)[2], 'O');

    const std::size_t lengths[] = {0, 1, 2, 3, 20, 65, 100};
    for (std::size_t length : lengths) {
        SCOPED_TRACE(length);
        dev.setFaults(faults([length](device::Faults& f) { f.replyLength = length; }));
        reply = send(request("GN", {0}));
        ASSERT_TRUE(reply.has_value());
        EXPECT_EQ(reply->size(), std::min<std::size_t>(length, device::ReportLength));
        if (length >= 3) {
            EXPECT_EQ((*reply)[1], 'G');
        }
    }
}

TEST_F(ImitationDeviceTest, WrongIndexKnobShiftsTheIndexOfListReplies)
{
    dev.setFaults(faults([](device::Faults& f) { f.indexShift = 1; }));
    EXPECT_EQ(data(request("GN", {2}))[2], 3);
    EXPECT_EQ(data(request("GP", {8}))[3], 9);
    EXPECT_EQ(be16(data(request("GC", {0, 99})), 2), 100);
    EXPECT_EQ(be16(data(request("GM", {0, 127})), 2), 128);

    // The content is still the requested item's.
    dev.setFaults({});
    const auto right = data(request("GN", {0}));
    dev.setFaults(faults([](device::Faults& f) { f.indexShift = -1; }));
    const auto shifted = data(request("GN", {0}));
    EXPECT_EQ(shifted[2], 0xFF);
    EXPECT_EQ(Bytes(shifted.begin() + 4, shifted.end()), Bytes(right.begin() + 4, right.end()));
}

TEST_F(ImitationDeviceTest, OddRequestsAreLoggedAndHandledSafely)
{
    const Bytes odd[] = {
        {},
        {0},
        {0, 'G'},
        {0, 'G', 'S'},       // short status request: still answered
        {0, 'G', 'C', 0},    // index cut short: the missing byte reads as 0
        {0, 'S', 'C', 0, 1}, // a record cut short: stored with empty fields
        {0, 'S', 'P', 3},
        Bytes(300, 0xFF),
    };
    for (const auto& report : odd)
        dev.handle(report);
    EXPECT_EQ(dev.receivedReports(), std::vector<Bytes>(std::begin(odd), std::end(odd)));

    EXPECT_TRUE(send(Bytes{0, 'G', 'S'}).has_value());
    EXPECT_EQ(be16(data(request("GC", {0, 1})), 2), 1);
    EXPECT_EQ(data(request("GC", {0, 1}))[4], 0);
    EXPECT_EQ(data(request("GP", {3}))[4], 0);
}

TEST_F(ImitationDeviceTest, LogIsSafeToReadWhileAnotherThreadSends)
{
    dev.clearLog();
    constexpr std::size_t Count = 500;
    std::thread bus([this] {
        for (std::size_t i = 0; i < Count; ++i)
            dev.handle(request("GN", {static_cast<int>(i % 6)}));
    });
    // Read the log while it grows.
    std::size_t seen = 0;
    while (seen < Count) {
        ASSERT_TRUE(dev.waitForReports(seen + 1, 10s));
        const auto log = dev.receivedReports();
        ASSERT_GE(log.size(), seen + 1);
        seen = log.size();
    }
    bus.join();
    const auto log = dev.receivedReports();
    ASSERT_EQ(log.size(), Count);
    for (std::size_t i = 0; i < Count; ++i)
        EXPECT_EQ(log[i][3], i % 6);
    EXPECT_FALSE(dev.waitForReports(Count + 1, 10ms));
}

} // namespace
