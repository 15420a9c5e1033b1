// The hidraw back end against fake nodes of a umockdev testbed; run under
// umockdev-wrapper.

#include "hid/platform/linux/LinuxPlatform.h"

#include "FakeHidraw.h"

#include <gtest/gtest.h>
#include <unicode/uloc.h>

#include <array>
#include <cerrno>
#include <future>
#include <thread>

using namespace hid::platform;
using namespace std::chrono_literals;
using vms::test::FakeBed;
using vms::test::FakeHidraw;
using vms::test::FakeNodeProfile;

namespace
{

using Bytes = std::vector<std::uint8_t>;

const Bytes VendorDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00,
                                0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40, 0x09, 0x01,
                                0x81, 0x02, 0x95, 0x40, 0x09, 0x01, 0x91, 0x02, 0xC0};

// Report 1: 3 input bytes; report 2: 1 output byte.
const Bytes NumberedDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01,
                                  0x75, 0x08, 0x95, 0x03, 0x09, 0x01, 0x81, 0x02, 0x85,
                                  0x02, 0x95, 0x01, 0x09, 0x01, 0x91, 0x02, 0xC0};

FakeNodeProfile veltrano(int number = 0)
{
    FakeNodeProfile s;
    s.number = number;
    s.manufacturer = "Veltrano d.o.o.";
    s.productName = "Veltrano 8 GSM";
    s.serial = "VM-0042";
    s.hidName = "Veltrano d.o.o. Veltrano 8 GSM";
    s.descriptor = VendorDescriptor;
    return s;
}

// Answers "GF" with the firmware text, as the device does.
void answerFirmware(FakeHidraw& node, const Bytes& report)
{
    if (report.size() == 65 && report[1] == 'G' && report[2] == 'F') {
        Bytes reply(64, 0);
        const std::string text = "GFVeltrano Mini 1.07";
        std::copy(text.begin(), text.end(), reply.begin());
        node.sendInput(reply);
    }
}

std::u16string text(std::span<const char16_t> buffer)
{
    std::u16string s;
    for (const char16_t c : buffer) {
        if (c == 0)
            break;
        s.push_back(c);
    }
    return s;
}

struct ReadOutcome {
    ReadResult result;
    Bytes bytes;
    ErrorCode err = NoError;
};

// One read on a thread of its own, as the HID layer's read thread does it.
std::future<ReadOutcome> readAsync(ReadHandle& handle, std::size_t length)
{
    return std::async(std::launch::async, [&handle, length] {
        Bytes buffer(length, 0xEE);
        std::size_t got = 0;
        ReadOutcome out;
        out.result = handle.read(buffer, got, out.err);
        buffer.resize(got);
        out.bytes = buffer;
        return out;
    });
}

class LinuxBackend : public testing::Test
{
protected:
    void SetUp() override
    {
        ErrorCode err = NoError;
        platform = hid::platform::linux_backend::makeLinuxPlatform(err);
        ASSERT_NE(platform, nullptr) << err;
    }

    std::unique_ptr<DeviceHandle> openOk(const std::string& path, OpenMode mode)
    {
        ErrorCode err = NoError;
        auto h = platform->open(path, mode, err);
        EXPECT_NE(h, nullptr) << platform->errorMessage(err);
        return h;
    }

    // Waits for the monitor to report, then lets the platform take its events.
    bool changeArrives()
    {
        if (!vms::test::waitReadable(platform->changeFd(), 10s))
            return false;
        platform->processChanges();
        return true;
    }

    FakeBed bed;
    std::unique_ptr<Platform> platform;
};

TEST_F(LinuxBackend, EnumeratesEveryHidrawNodeBySyspathAndDevnode)
{
    auto& second = bed.add([] {
        auto s = veltrano(1);
        s.usb = false;
        s.hidName = "Bluetooth Keyboard";
        return s;
    }());
    auto& first = bed.add(veltrano(0));

    const auto list = platform->enumerate();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], (InterfaceId{first.syspath(), "/dev/hidraw0"}));
    EXPECT_EQ(list[1], (InterfaceId{second.syspath(), "/dev/hidraw1"}));
    EXPECT_EQ(platform->enumerate(), list) << "order must be stable";
}

TEST_F(LinuxBackend, AttributesAndStringsOfAUsbInterface)
{
    auto profile = veltrano();
    profile.manufacturer = "Đurđević Elektronik";
    bed.add(profile);
    auto h = openOk("/dev/hidraw0", OpenMode::ReadWrite);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->mode(), OpenMode::ReadWrite);

    Attributes a;
    ErrorCode err = NoError;
    ASSERT_TRUE(h->attributes(a, err));
    EXPECT_EQ(a.VendorID, 0x1234);
    EXPECT_EQ(a.ProductID, 0x5678);
    EXPECT_EQ(a.VersionNumber, 0x0102);

    std::array<char16_t, 254> buf{};
    ASSERT_TRUE(h->string(StringKind::Product, buf, err));
    EXPECT_EQ(text(buf), u"Veltrano 8 GSM");
    ASSERT_TRUE(h->string(StringKind::Manufacturer, buf, err));
    EXPECT_EQ(text(buf), u"Đurđević Elektronik");
    ASSERT_TRUE(h->string(StringKind::Serial, buf, err));
    EXPECT_EQ(text(buf), u"VM-0042");

    // Zero-terminated when there is room; units after it are left alone.
    std::array<char16_t, 20> marked;
    marked.fill(0xFFFF);
    ASSERT_TRUE(h->string(StringKind::Serial, marked, err));
    EXPECT_EQ(marked[7], 0);
    EXPECT_EQ(marked[8], 0xFFFF);
    // A short buffer gets what fits, no terminator past its end.
    std::array<char16_t, 4> small{};
    ASSERT_TRUE(h->string(StringKind::Serial, small, err));
    EXPECT_EQ(std::u16string(small.begin(), small.end()), u"VM-0");
}

TEST_F(LinuxBackend, StringsOfNonUsbAndStringlessInterfaces)
{
    auto bt = veltrano(0);
    bt.usb = false;
    bt.hidName = "BT Veltrano 8";
    bt.hidUniq = "a4:c1:38:00:11:22";
    bed.add(bt);
    auto bare = veltrano(1);
    bare.manufacturer.reset();
    bare.productName.reset();
    bare.serial.reset();
    bed.add(bare);

    std::array<char16_t, 254> buf{};
    ErrorCode err = NoError;
    auto h = openOk("/dev/hidraw0", OpenMode::ReadWrite);
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(h->string(StringKind::Product, buf, err));
    EXPECT_EQ(text(buf), u"BT Veltrano 8");
    ASSERT_TRUE(h->string(StringKind::Serial, buf, err));
    EXPECT_EQ(text(buf), u"a4:c1:38:00:11:22");
    EXPECT_FALSE(h->string(StringKind::Manufacturer, buf, err));
    EXPECT_FALSE(h->indexedString(1, buf, err));

    auto b = openOk("/dev/hidraw1", OpenMode::ReadWrite);
    ASSERT_NE(b, nullptr);
    for (auto kind : {StringKind::Manufacturer, StringKind::Product, StringKind::Serial}) {
        err = NoError;
        EXPECT_FALSE(b->string(kind, buf, err));
        EXPECT_NE(err, NoError);
    }
    // No usbfs node to ask: indexed strings and languages are simply absent.
    err = NoError;
    EXPECT_FALSE(b->indexedString(0, buf, err));
    EXPECT_NE(err, NoError);
}

struct LengthCase {
    const char* name;
    Bytes descriptor;
    std::optional<int> claimedSize;
    std::uint16_t input, output;
};

void PrintTo(const LengthCase& c, std::ostream* os)
{
    *os << c.name;
}

class LinuxBackendLengths : public LinuxBackend, public testing::WithParamInterface<LengthCase>
{
};

TEST_P(LinuxBackendLengths, SameFromTheNodeAndFromSysfs)
{
    const auto& c = GetParam();
    auto profile = veltrano();
    profile.descriptor = c.descriptor;
    profile.claimedDescriptorSize = c.claimedSize;
    bed.add(profile);
    for (const auto mode : {OpenMode::ReadWrite, OpenMode::QueryOnly}) {
        auto h = openOk("/dev/hidraw0", mode);
        ASSERT_NE(h, nullptr);
        ReportLengths l;
        ErrorCode err = NoError;
        ASSERT_TRUE(h->reportLengths(l, err)) << platform->errorMessage(err);
        EXPECT_EQ(l.InputReportByteLength, c.input);
        EXPECT_EQ(l.OutputReportByteLength, c.output);
        EXPECT_EQ(l.FeatureReportByteLength, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Linux, LinuxBackendLengths,
    testing::Values(LengthCase{"Vendor64", VendorDescriptor, std::nullopt, 65, 65},
                    LengthCase{"Numbered", NumberedDescriptor, std::nullopt, 4, 2},
                    // The node claims more than the largest descriptor hidraw allows.
                    LengthCase{"SizeClaimTooLarge", VendorDescriptor, 100000, 65, 65},
                    LengthCase{"NegativeSizeClaim", VendorDescriptor, -5, 65, 65}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinuxBackend, WriteOfGFIsAnsweredThroughABlockedRead)
{
    auto& node = bed.add(veltrano());
    node.onWrite(answerFirmware);
    auto h = openOk("/dev/hidraw0", OpenMode::ReadWrite);
    ErrorCode err = NoError;
    auto reader = platform->openRead("/dev/hidraw0", err);
    ASSERT_NE(reader, nullptr) << platform->errorMessage(err);

    auto pending = readAsync(*reader, 65);
    Bytes request(65, 0);
    request[1] = 'G';
    request[2] = 'F';
    ASSERT_TRUE(h->write(request, err)) << platform->errorMessage(err);

    ASSERT_EQ(pending.wait_for(10s), std::future_status::ready);
    const auto out = pending.get();
    ASSERT_EQ(out.result, ReadResult::Report);
    ASSERT_EQ(out.bytes.size(), 65u) << "report ID byte + 64 data bytes";
    EXPECT_EQ(out.bytes[0], 0) << "unnumbered: a 0 report ID goes in front";
    EXPECT_EQ(std::string(out.bytes.begin() + 1, out.bytes.begin() + 21), "GFVeltrano Mini 1.07");
    const auto written = node.written(1);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0], request);
}

TEST_F(LinuxBackend, NumberedReportsKeepTheirOwnIdByte)
{
    auto profile = veltrano();
    profile.descriptor = NumberedDescriptor;
    auto& node = bed.add(profile);
    ErrorCode err = NoError;
    auto reader = platform->openRead("/dev/hidraw0", err);
    ASSERT_NE(reader, nullptr);
    auto pending = readAsync(*reader, 4);
    node.sendInput({0x01, 0xA0, 0xA1, 0xA2});
    ASSERT_EQ(pending.wait_for(10s), std::future_status::ready);
    const auto out = pending.get();
    ASSERT_EQ(out.result, ReadResult::Report);
    EXPECT_EQ(out.bytes, (Bytes{0x01, 0xA0, 0xA1, 0xA2}));
}

TEST_F(LinuxBackend, CancelWakesABlockedReadAndStaysCancelled)
{
    bed.add(veltrano());
    ErrorCode err = NoError;
    auto reader = platform->openRead("/dev/hidraw0", err);
    ASSERT_NE(reader, nullptr);
    auto pending = readAsync(*reader, 65);
    EXPECT_EQ(pending.wait_for(100ms), std::future_status::timeout) << "nothing to read yet";
    reader->cancel();
    ASSERT_EQ(pending.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(pending.get().result, ReadResult::Cancelled);

    Bytes buffer(65);
    std::size_t got = 99;
    EXPECT_EQ(reader->read(buffer, got, err), ReadResult::Cancelled);
    EXPECT_EQ(got, 0u);
}

TEST_F(LinuxBackend, UnplugMidReadEndsTheReadWithAnErrorAndAnnouncesTheChange)
{
    auto& node = bed.add(veltrano());
    int changes = 0;
    platform->setChangeListener([&] { ++changes; });
    ErrorCode err = NoError;
    auto h = openOk("/dev/hidraw0", OpenMode::ReadWrite);
    auto reader = platform->openRead("/dev/hidraw0", err);
    ASSERT_NE(reader, nullptr);
    auto pending = readAsync(*reader, 65);

    bed.unplug(node);

    ASSERT_EQ(pending.wait_for(10s), std::future_status::ready);
    const auto out = pending.get();
    EXPECT_EQ(out.result, ReadResult::Error);
    EXPECT_EQ(out.err, static_cast<ErrorCode>(ENODEV));
    ASSERT_TRUE(changeArrives());
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(platform->enumerate().empty());

    // The handle of the gone node fails cleanly.
    Bytes request(65, 0);
    EXPECT_FALSE(h->write(request, err));
    EXPECT_EQ(err, static_cast<ErrorCode>(ENODEV));
    reader->cancel();
}

TEST_F(LinuxBackend, ArrivalIsAnnouncedOnTheChangeFd)
{
    ASSERT_GE(platform->changeFd(), 0);
    int changes = 0;
    platform->setChangeListener([&] { ++changes; });
    bed.add(veltrano(3), /*announce=*/true);
    ASSERT_TRUE(changeArrives());
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(platform->enumerate().size(), 1u);
    EXPECT_EQ(platform->enumerate()[0].path, "/dev/hidraw3");
}

TEST_F(LinuxBackend, NodeTheUserMayNotOpenIsStillQueryable)
{
    auto profile = veltrano();
    profile.accessible = false;
    bed.add(profile);
    vms::test::NoDacOverride asUser;

    ErrorCode err = NoError;
    EXPECT_EQ(platform->open("/dev/hidraw0", OpenMode::ReadWrite, err), nullptr);
    EXPECT_EQ(err, static_cast<ErrorCode>(EACCES));
    err = NoError;
    EXPECT_EQ(platform->openRead("/dev/hidraw0", err), nullptr) << "no read thread for it";
    EXPECT_EQ(err, static_cast<ErrorCode>(EACCES));

    auto q = openOk("/dev/hidraw0", OpenMode::QueryOnly);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->mode(), OpenMode::QueryOnly);
    Attributes a;
    ASSERT_TRUE(q->attributes(a, err));
    EXPECT_EQ(a.ProductID, 0x5678);
    std::array<char16_t, 254> buf{};
    ASSERT_TRUE(q->string(StringKind::Product, buf, err));
    EXPECT_EQ(text(buf), u"Veltrano 8 GSM");
    ReportLengths l;
    ASSERT_TRUE(q->reportLengths(l, err));
    EXPECT_EQ(l.InputReportByteLength, 65);
    Bytes request(65, 0);
    EXPECT_FALSE(q->write(request, err));
}

TEST_F(LinuxBackend, NodeThatVanishedAfterEnumerationFailsToOpen)
{
    auto& node = bed.add(veltrano());
    const auto list = platform->enumerate();
    ASSERT_EQ(list.size(), 1u);
    bed.unplug(node);
    for (const auto mode : {OpenMode::ReadWrite, OpenMode::QueryOnly}) {
        ErrorCode err = NoError;
        EXPECT_EQ(platform->open(list[0].path, mode, err), nullptr);
        EXPECT_NE(err, NoError);
    }
    ErrorCode err = NoError;
    EXPECT_EQ(platform->openRead(list[0].path, err), nullptr);
    EXPECT_NE(err, NoError);
}

TEST_F(LinuxBackend, ErrorTextsAndLanguageNames)
{
    EXPECT_EQ(platform->errorMessage(EACCES), "Permission denied");
    EXPECT_EQ(platform->errorMessage(ENODEV), "No such device");
    UErrorCode status = U_ZERO_ERROR;
    uloc_setDefault("en_US", &status);
    EXPECT_EQ(platform->languageName(0x0409),
              std::optional<std::u16string>(u"English (United States)"));
    EXPECT_EQ(platform->languageName(0x081A).has_value(), true); // Serbian (Latin, Serbia)
    EXPECT_EQ(platform->languageName(0xFFFF), std::nullopt);
}

} // namespace
