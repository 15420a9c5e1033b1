#include "HidTestSupport.h"

#include <cerrno>

namespace hid::test
{
namespace
{

class HidDeviceControllerTest : public ControllerFixture
{
};

TEST_F(HidDeviceControllerTest, EmptyBusRaisesOneChangeOnTheInitialNotification)
{
    makeController();
    EXPECT_TRUE(log.empty()) << "the first scan waits for the main loop";
    EXPECT_EQ(handoff.drain(), 1u);
    EXPECT_EQ(log, (std::vector<std::string>{"change"}));
    EXPECT_EQ(ctl->Count(), 0);
    EXPECT_EQ(ctl->Version(), "1.0.34");
}

TEST_F(HidDeviceControllerTest, ArrivalsInScanOrderThenOneChange)
{
    bus.plug(Mouse());
    bus.plug(Veltrano());
    makeController();
    handoff.drain();
    // Setting OnDeviceChange scanned at once; the initial notification
    // counts as a change although it finds the same list.
    EXPECT_EQ(log, (std::vector<std::string>{"arrival USB Optical Mouse", "arrival Veltrano 8 Mini",
                                             "change", "change"}));
    EXPECT_EQ(ctl->NumCheckedInDevices(), 2);
    EXPECT_EQ(ctl->NumCheckedOutDevices(), 0);
}

TEST_F(HidDeviceControllerTest, ANotificationThatFindsTheSameInterfacesRaisesNothing)
{
    bus.plug(Veltrano());
    makeController();
    handoff.drain();
    log.clear();
    // An interface that cannot be opened or identified is left out, so the
    // notification it causes finds the same list.
    InterfaceProfile closed = Mouse();
    closed.openError = EACCES;
    bus.plug(closed);
    InterfaceProfile anonymous = Mouse();
    anonymous.attributesError = EIO;
    bus.plug(anonymous);
    EXPECT_EQ(handoff.drain(), 2u);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(ctl->Count(), 1);
}

TEST_F(HidDeviceControllerTest, SettingOnDeviceChangeScansAtOnce)
{
    bus.plug(Veltrano());
    ctl = std::make_unique<THidDeviceController>(bus, handoff);
    int changes = 0;
    ctl->SetOnDeviceChange([&] { ++changes; });
    EXPECT_EQ(ctl->Count(), 1);
    EXPECT_EQ(changes, 1);
    handoff.drain(); // the initial notification counts as a change
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(ctl->Count(), 1);
}

TEST_F(HidDeviceControllerTest, UnpluggedCheckedOutDeviceStaysListedUntilHandedBack)
{
    const std::string veltrano = bus.plug(Veltrano());
    makeController();
    handoff.drain();
    auto dev = ctl->CheckOutByIndex(0);
    ASSERT_NE(dev, nullptr);
    ASSERT_FALSE(dev->ProductName().empty());
    int unplugCalls = 0;
    dev->SetOnUnplug([&](THidDevice*) { ++unplugCalls; });
    log.clear();

    bus.unplug(veltrano);
    handoff.drain();
    EXPECT_EQ(log, (std::vector<std::string>{"removal Veltrano 8 Mini", "change"}));
    EXPECT_EQ(unplugCalls, 1);
    EXPECT_FALSE(dev->IsPluggedIn());
    EXPECT_EQ(ctl->Count(), 1);
    EXPECT_EQ(ctl->NumUnpluggedDevices(), 1);
    EXPECT_EQ(ctl->NumCheckedOutDevices(), 0);

    log.clear();
    bus.plug(Mouse());
    handoff.drain();
    EXPECT_EQ(log, (std::vector<std::string>{"removal Veltrano 8 Mini", "arrival USB Optical Mouse",
                                             "change"}));
    EXPECT_EQ(unplugCalls, 1) << "OnUnplug is cleared after its call";

    dev.reset();
    EXPECT_EQ(ctl->Count(), 1);
    EXPECT_EQ(ctl->NumUnpluggedDevices(), 0);
    log.clear();
    bus.plug(Mouse());
    handoff.drain();
    EXPECT_EQ(log, (std::vector<std::string>{"arrival USB Optical Mouse", "change"}));
}

TEST_F(HidDeviceControllerTest, HandingBackAPresentDeviceLeavesAFreshOneThatReadsWhenCheckedOut)
{
    const std::string veltrano = bus.plug(Veltrano());
    makeController();
    handoff.drain();
    THidDevice* first = nullptr;
    ASSERT_TRUE(ctl->CheckOutByIndex(first, 0));
    std::unique_ptr<THidDevice> owned(first);
    owned->SetOnData(recorder());
    ASSERT_TRUE(owned->IsReading());
    ASSERT_TRUE(bus.waitForReaders(veltrano, 1, 10s));
    EXPECT_EQ(ctl->NumCheckedOutDevices(), 1);

    const std::size_t logged = log.size();
    owned.reset();
    ASSERT_TRUE(bus.waitForReaders(veltrano, 0, 10s));
    ASSERT_EQ(ctl->Count(), 1);
    THidDevice* fresh = ctl->Items(0);
    EXPECT_FALSE(fresh->IsCheckedOut());
    EXPECT_FALSE(fresh->IsReading());
    EXPECT_TRUE(static_cast<bool>(fresh->OnData()));
    EXPECT_EQ(ctl->NumCheckedInDevices(), 1);
    EXPECT_EQ(ctl->NumCheckedOutDevices(), 0);

    auto again = ctl->CheckOutByIndex(0);
    ASSERT_EQ(again.get(), fresh);
    EXPECT_TRUE(again->IsReading());
    ASSERT_TRUE(bus.waitForReaders(veltrano, 1, 10s));
    bus.input(veltrano, {0, 'G', 'S'});
    ASSERT_TRUE(drainUntil([&] { return received.size() == 1; }));
    EXPECT_EQ(log.size(), logged) << "handing back raises no event";
}

TEST_F(HidDeviceControllerTest, CheckOutByIndexRefusesBadIndicesAndCheckedOutDevices)
{
    bus.plug(Veltrano());
    makeController();
    handoff.drain();
    auto dev = ctl->CheckOutByIndex(0);
    ASSERT_NE(dev, nullptr);
    for (int idx : {-1, 0, 1, 1000}) {
        SCOPED_TRACE(idx);
        THidDevice* out = dev.get();
        EXPECT_FALSE(ctl->CheckOutByIndex(out, idx));
        EXPECT_EQ(out, nullptr);
    }
}

TEST_F(HidDeviceControllerTest, EnumerateSkipsUnpluggedDevicesAndStopsOnFalse)
{
    const std::string a = bus.plug(Veltrano());
    bus.plug(Mouse());
    bus.plug(Mouse());
    makeController();
    EXPECT_EQ(ctl->Enumerate(), 0) << "no handler";
    handoff.drain();
    auto held = ctl->CheckOutByIndex(0);
    bus.unplug(a);
    handoff.drain();
    ASSERT_EQ(ctl->Count(), 3);

    std::vector<int> offered;
    bool enumerated = false;
    ctl->SetOnEnumerate([&](THidDevice* d, int idx) {
        offered.push_back(idx);
        enumerated = d->IsEnumerated() && !d->ProductName().empty();
        return true;
    });
    EXPECT_EQ(ctl->Enumerate(), 2);
    EXPECT_EQ(offered, (std::vector<int>{1, 2}));
    EXPECT_TRUE(enumerated) << "an offered device may be queried";
    EXPECT_FALSE(ctl->Items(1)->IsEnumerated());

    offered.clear();
    ctl->SetOnEnumerate([&](THidDevice*, int idx) {
        offered.push_back(idx);
        return false;
    });
    EXPECT_EQ(ctl->Enumerate(), 1);
    EXPECT_EQ(offered, (std::vector<int>{1}));
}

TEST_F(HidDeviceControllerTest, ANotificationDuringAScanIsNotNestedButNotLostEither)
{
    bus.plug(Veltrano());
    ctl = std::make_unique<THidDeviceController>(bus, handoff);
    std::string late;
    bool nested = false;
    int depth = 0;
    ctl->SetOnArrival([&](THidDevice* d) {
        ++depth;
        nested = nested || depth > 1;
        log.push_back("arrival " + name(d));
        if (late.empty()) {
            late = bus.plug(Mouse()); // its notification comes while we scan
            handoff.drain();          // a handler that lets messages through
        }
        --depth;
    });
    ctl->SetOnDeviceChange([&] { log.push_back("change"); });
    ASSERT_TRUE(drainUntil([&] { return ctl->Count() == 2; }));
    EXPECT_FALSE(nested);
    EXPECT_EQ(log, (std::vector<std::string>{"arrival Veltrano 8 Mini", "change",
                                             "arrival USB Optical Mouse", "change"}));
}

TEST_F(HidDeviceControllerTest, ARestartingDeviceGoesAwayAndComesBack)
{
    auto echo = std::make_shared<EchoDevice>();
    // Long enough that the scan of the unplug runs before the plug comes back,
    // however late the main thread gets to it.
    echo->downTime = 2s;
    bus.plug(Veltrano(echo));
    makeController();
    handoff.drain();
    auto dev = ctl->CheckOutByIndex(0);
    std::uint8_t restart[65] = {0, 'S', 'R'};
    std::uint32_t written = 0;
    ASSERT_TRUE(dev->WriteFile(restart, sizeof restart, written));
    ASSERT_TRUE(drainUntil([&] { return log.size() >= 8; }));
    // Held while gone, it is reported again at the scan that sees it back.
    EXPECT_EQ(log, (std::vector<std::string>{
                       "arrival Veltrano 8 Mini", "change", "change", "removal Veltrano 8 Mini",
                       "change", "removal Veltrano 8 Mini", "arrival Veltrano 8 Mini", "change"}));
    EXPECT_FALSE(dev->IsPluggedIn());
    dev.reset();
    EXPECT_EQ(ctl->Count(), 1);
    EXPECT_TRUE(ctl->Items(0)->IsPluggedIn());
}

TEST_F(HidDeviceControllerTest, DestroyingTheControllerLeavesHeldDevicesUnpluggedAndQuiet)
{
    const std::string veltrano = bus.plug(Veltrano());
    bus.plug(Mouse());
    makeController();
    handoff.drain();
    auto dev = ctl->CheckOutByIndex(0);
    dev->SetOnData(recorder());
    ASSERT_TRUE(bus.waitForReaders(veltrano, 1, 10s));
    ctl.reset();
    EXPECT_FALSE(dev->IsPluggedIn());
    EXPECT_FALSE(dev->IsReading());
    EXPECT_EQ(dev->MyController(), nullptr);
    EXPECT_EQ(bus.openReaders(veltrano), 0);
    std::uint8_t report[65] = {0, 'G', 'S'};
    std::uint32_t written = 0;
    EXPECT_FALSE(dev->WriteFile(report, sizeof report, written));
    bus.plug(Mouse()); // no controller listens any more
    EXPECT_EQ(handoff.drain(), 0u);
}

} // namespace
} // namespace hid::test
