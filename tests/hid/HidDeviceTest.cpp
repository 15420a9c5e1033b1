#include "HidTestSupport.h"

#include <cerrno>

namespace hid::test
{
namespace
{

class HidDeviceTest : public ControllerFixture
{
protected:
    // Plugs `profile`, runs the first scan and checks the device out.
    std::unique_ptr<THidDevice> checkOut(InterfaceProfile profile)
    {
        identity = bus.plug(std::move(profile));
        makeController();
        handoff.drain();
        return ctl->CheckOutByIndex(ctl->Count() - 1);
    }

    std::string identity;
};

TEST(HidDeviceCreation, DirectCreationIsRefused)
{
    try {
        THidDevice device;
        FAIL() << "created";
    } catch (const EControllerError& e) {
        EXPECT_STREQ(e.what(), "Direct creation of a THidDevice object is not allowed");
    }
    try {
        THidDeviceReadThread thread;
        FAIL() << "created";
    } catch (const EControllerError& e) {
        EXPECT_STREQ(e.what(), "Direct creation of a THidDeviceReadThread object is not allowed");
    }
}

TEST_F(HidDeviceTest, QueriesOfACheckedOutDevice)
{
    InterfaceProfile profile = Veltrano();
    profile.languages = {0x0409, 0x0C1A};
    profile.indexedStrings = {{1, u"Veltrano"}, {4, u"Config A"}};
    auto dev = checkOut(profile);
    ASSERT_NE(dev, nullptr);
    EXPECT_EQ(dev->Attributes().VendorID, 0x1234);
    EXPECT_EQ(dev->Attributes().ProductID, 0x0001);
    EXPECT_EQ(dev->Attributes().VersionNumber, 0x0100);
    EXPECT_EQ(dev->Caps().InputReportByteLength, 65);
    EXPECT_EQ(dev->Caps().OutputReportByteLength, 65);
    EXPECT_EQ(dev->VendorName(), u"Veltrano");
    EXPECT_EQ(dev->ProductName(), u"Veltrano 8 Mini");
    EXPECT_EQ(dev->SerialNumber(), u"A1B2");
    EXPECT_EQ(dev->IndexedString(0), u"");
    EXPECT_EQ(dev->IndexedString(4), u"Config A");
    EXPECT_EQ(dev->IndexedString(5), u"");
    EXPECT_EQ(dev->IndexedString(256), u"");
    EXPECT_EQ(dev->LanguageStrings(), (std::vector<std::u16string>{u"English (United States)",
                                                                   u"unknown Locale ID $0c1a"}));
    EXPECT_TRUE(dev->HasReadWriteAccess());
}

TEST_F(HidDeviceTest, SerialNumberRule)
{
    struct Case {
        const char* what;
        std::optional<std::u16string> serial;
        std::vector<std::uint16_t> languages;
        std::u16string expected;
    };
    const Case cases[] = {
        {"a real serial", u"77", {0x0409}, u"77"},
        {"the language list given as serial", std::u16string(1, char16_t{0x0409}), {0x0409}, u""},
        {"two languages given as serial",
         std::u16string{char16_t{0x0409}, char16_t{0x081A}},
         {0x0409, 0x081A},
         u""},
        {"no language list", u"77", {}, u""},
        {"no serial", std::nullopt, {0x0409}, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InterfaceProfile profile = Veltrano();
        profile.serial = c.serial;
        profile.languages = c.languages;
        const std::string id = bus.plug(profile);
        ctl.reset();
        makeController();
        handoff.drain();
        auto dev = ctl->CheckOutByIndex(ctl->Count() - 1);
        ASSERT_NE(dev, nullptr);
        EXPECT_EQ(dev->SerialNumber(), c.expected);
        dev.reset();
        bus.unplug(id);
    }
}

TEST_F(HidDeviceTest, FailingStringsAndAnUnplugDoNotDisturbCachedData)
{
    InterfaceProfile profile = Veltrano();
    profile.stringError = EPIPE;
    auto dev = checkOut(profile);
    ASSERT_NE(dev, nullptr);
    EXPECT_EQ(dev->ProductName(), u"");
    EXPECT_EQ(dev->SerialNumber(), u"");
    EXPECT_TRUE(dev->LanguageStrings().empty());
    EXPECT_EQ(dev->IndexedString(1), u"");
    EXPECT_EQ(dev->Caps().InputReportByteLength, 65);

    bus.unplug(identity);
    handoff.drain();
    EXPECT_FALSE(dev->IsPluggedIn());
    EXPECT_EQ(dev->Caps().InputReportByteLength, 65) << "cached";
    EXPECT_EQ(dev->ProductName(), u"");
}

TEST_F(HidDeviceTest, ACheckedInDeviceOpensNothing)
{
    bus.plug(Veltrano());
    makeController();
    handoff.drain();
    THidDevice* dev = ctl->Items(0);
    ASSERT_NE(dev, nullptr);
    EXPECT_EQ(dev->VendorName(), u"") << "only read while offered to a handler";
    EXPECT_EQ(dev->Caps().InputReportByteLength, 0);
    std::uint8_t report[65] = {0, 'G', 'S'};
    std::uint32_t written = 7;
    EXPECT_FALSE(dev->WriteFile(report, sizeof report, written));
    EXPECT_EQ(written, 0u);
}

TEST_F(HidDeviceTest, WriteFailures)
{
    struct Case {
        const char* what;
        std::function<void(InterfaceProfile&)> setUp;
        bool unplug;
        std::uint32_t error;
    };
    const Case cases[] = {
        {"write refused by the system", [](InterfaceProfile& s) { s.writeError = EIO; }, false,
         EIO},
        {"query-only access", [](InterfaceProfile& s) { s.readWriteOpenError = EACCES; }, false,
         EBADF},
        {"device unplugged", [](InterfaceProfile&) {}, true, ENODEV},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InterfaceProfile profile = Veltrano();
        c.setUp(profile);
        ctl.reset();
        auto dev = checkOut(profile);
        ASSERT_NE(dev, nullptr);
        if (c.unplug) {
            bus.unplug(identity);
            handoff.drain();
        }
        std::uint8_t report[65] = {0, 'G', 'S'};
        std::uint32_t written = 0;
        SetLastError(0);
        EXPECT_FALSE(dev->WriteFile(report, sizeof report, written));
        EXPECT_EQ(written, 0u);
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_FALSE(dev->SysErrorMessage(GetLastError()).empty());
        dev.reset();
        if (!c.unplug)
            bus.unplug(identity);
    }
}

TEST_F(HidDeviceTest, AReportIsHandedToTheMainThreadWithItsIdAndSize)
{
    auto echo = std::make_shared<EchoDevice>();
    auto dev = checkOut(Veltrano(echo));
    ASSERT_NE(dev, nullptr);
    std::thread::id handlerThread;
    dev->SetOnData(
        [&](THidDevice* d, std::uint8_t id, const std::uint8_t* data, std::uint16_t size) {
            EXPECT_EQ(d, dev.get());
            handlerThread = std::this_thread::get_id();
            received.push_back(Data{id, std::vector<std::uint8_t>(data, data + size)});
        });
    ASSERT_TRUE(dev->IsReading());
    ASSERT_TRUE(bus.waitForReaders(identity, 1, 10s));

    std::uint8_t report[65] = {0, 'G', 'F'};
    std::uint32_t written = 0;
    ASSERT_TRUE(dev->WriteFile(report, sizeof report, written));
    EXPECT_EQ(written, 65u);
    ASSERT_TRUE(drainUntil([&] { return received.size() == 1; }));
    EXPECT_EQ(handlerThread, std::this_thread::get_id());
    EXPECT_EQ(received[0].reportId, 0);
    ASSERT_EQ(received[0].bytes.size(), 64u);
    EXPECT_EQ(received[0].bytes[0], 'G');
    EXPECT_EQ(received[0].bytes[1], 'F');
    EXPECT_EQ(bus.idleReaderWakeups(), 0u);
}

TEST_F(HidDeviceTest, AnAnswerRightAfterSetOnDataIsNotLost)
{
    // The device answers at once; the read side must already be open when
    // SetOnData returns, whatever the read thread is doing.
    for (int round = 0; round < 50; ++round) {
        auto echo = std::make_shared<EchoDevice>();
        auto dev = checkOut(Veltrano(echo));
        ASSERT_NE(dev, nullptr);
        received.clear();
        dev->SetOnData(
            [&](THidDevice*, std::uint8_t id, const std::uint8_t* data, std::uint16_t size) {
                received.push_back(Data{id, std::vector<std::uint8_t>(data, data + size)});
            });
        EXPECT_EQ(bus.openReaders(identity), 1);
        std::uint8_t report[65] = {0, 'G', 'F'};
        std::uint32_t written = 0;
        ASSERT_TRUE(dev->WriteFile(report, sizeof report, written));
        ASSERT_TRUE(drainUntil([&] { return received.size() == 1; })) << "round " << round;
        dev.reset();
        ctl.reset();
        bus.unplug(identity);
    }
}

TEST_F(HidDeviceTest, AnInterfaceWithoutInputReportsGetsNoReadThread)
{
    // Every read of a zero-length report would fail at once, forever.
    InterfaceProfile profile = Veltrano();
    profile.lengths.InputReportByteLength = 0;
    auto dev = checkOut(profile);
    ASSERT_NE(dev, nullptr);
    dev->SetOnData([](THidDevice*, std::uint8_t, const std::uint8_t*, std::uint16_t) {});
    EXPECT_FALSE(dev->IsReading());
    EXPECT_EQ(bus.openReaders(identity), 0);
}

TEST_F(HidDeviceTest, ReportsOfTheWrongLengthAreCutOrPassedAsTheyCame)
{
    auto dev = checkOut(Veltrano());
    dev->SetOnData(recorder());
    ASSERT_TRUE(bus.waitForReaders(identity, 1, 10s));
    struct Case {
        std::size_t length;
        std::size_t expectedSize;
    };
    const Case cases[] = {{70, 64}, {65, 64}, {10, 9}, {1, 0}};
    for (const Case& c : cases) {
        std::vector<std::uint8_t> report(c.length, 0xAB);
        report[0] = 2;
        bus.input(identity, report);
    }
    bus.input(identity, {}); // a read without data is dropped
    bus.input(identity, {3, 1, 2});
    ASSERT_TRUE(drainUntil([&] { return received.size() == 5; }));
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(cases[i].length);
        EXPECT_EQ(received[i].reportId, 2);
        EXPECT_EQ(received[i].bytes.size(), cases[i].expectedSize);
    }
    EXPECT_EQ(received[4].reportId, 3);
}

TEST_F(HidDeviceTest, AReadThatCannotStartIsReportedAndRetriedPacedByTheMainThread)
{
    InterfaceProfile profile = Veltrano();
    profile.openReadError = EACCES;
    auto dev = checkOut(profile);
    std::vector<std::uint32_t> errors;
    dev->SetOnDataError([&](THidDevice*, std::uint32_t e) { errors.push_back(e); });
    dev->SetOnData(recorder());
    ASSERT_TRUE(drainUntil([&] { return errors.size() >= 3; }));
    for (std::uint32_t e : errors)
        EXPECT_EQ(e, static_cast<std::uint32_t>(EACCES));
    dev->SetOnData(nullptr);
    EXPECT_FALSE(dev->IsReading());
    const std::size_t seen = errors.size();
    handoff.drain();
    EXPECT_EQ(errors.size(), seen) << "nothing after the thread stopped";
}

TEST_F(HidDeviceTest, ADeviceThatVanishesMidReadReportsErrorsUntilHandedBack)
{
    auto dev = checkOut(Veltrano());
    std::vector<std::uint32_t> errors;
    dev->SetOnDataError([&](THidDevice*, std::uint32_t e) { errors.push_back(e); });
    dev->SetOnData(recorder());
    ASSERT_TRUE(bus.waitForReaders(identity, 1, 10s));
    bus.unplug(identity);
    ASSERT_TRUE(drainUntil([&] { return !dev->IsPluggedIn() && !errors.empty(); }));
    for (std::uint32_t e : errors)
        EXPECT_EQ(e, static_cast<std::uint32_t>(ENODEV));
    dev.reset();
    EXPECT_EQ(ctl->Count(), 0);
}

TEST_F(HidDeviceTest, StoppingAReadThreadWaitingInAHandoffEndsWithoutDeadlock)
{
    auto dev = checkOut(Veltrano());
    ASSERT_NE(dev, nullptr);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        received.clear();
        dev->SetOnData(recorder());
        ASSERT_TRUE(bus.waitForReaders(identity, 1, 10s));
        const int seen = wakeupCount();
        bus.input(identity, std::vector<std::uint8_t>(65, 1));
        ASSERT_TRUE(waitForWakeup(seen)); // the thread now waits for the main thread
        dev->SetOnData(nullptr);          // must run that delivery, then end
        EXPECT_FALSE(dev->IsReading());
        EXPECT_EQ(received.size(), 1u);
    }
}

TEST_F(HidDeviceTest, AHandlerMayStopOrHandBackItsOwnDevice)
{
    auto dev = checkOut(Veltrano());
    int calls = 0;
    dev->SetOnData([&](THidDevice* d, std::uint8_t, const std::uint8_t*, std::uint16_t) {
        ++calls;
        d->SetOnData(nullptr);
    });
    ASSERT_TRUE(bus.waitForReaders(identity, 1, 10s));
    bus.input(identity, {0, 1});
    ASSERT_TRUE(drainUntil([&] { return calls == 1; }));
    EXPECT_FALSE(dev->IsReading());

    THidDevice* raw = dev.release();
    raw->SetOnData([&](THidDevice* d, std::uint8_t, const std::uint8_t*, std::uint16_t) {
        ++calls;
        delete d; // hands it back from inside its own delivery
    });
    ASSERT_TRUE(bus.waitForReaders(identity, 1, 10s));
    bus.input(identity, {0, 2});
    ASSERT_TRUE(drainUntil([&] { return calls == 2 && ctl->NumCheckedOutDevices() == 0; }));
    ASSERT_EQ(ctl->Count(), 1);
    EXPECT_FALSE(ctl->Items(0)->IsCheckedOut());
    // The orphaned thread lets go of its reader once it has ended.
    ASSERT_TRUE(bus.waitForReaders(identity, 0, 10s));
}

} // namespace
} // namespace hid::test
