#include "hid/MainThreadHandoff.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace hid
{
namespace
{

using namespace std::chrono_literals;

TEST(MainThreadHandoff, InvokeReturnsOnlyAfterTheMainThreadRanTheCall)
{
    MainThreadHandoff handoff;
    std::atomic<int> wakeups{0};
    handoff.setWakeup([&] { ++wakeups; });
    std::thread::id ranOn;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        handoff.invoke([&] { ranOn = std::this_thread::get_id(); });
        returned = true;
    });
    ASSERT_TRUE(handoff.waitAndDrain(10s));
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(wakeups, 1);
}

TEST(MainThreadHandoff, InvokeOnTheMainThreadRunsAtOnce)
{
    MainThreadHandoff handoff;
    bool ran = false;
    handoff.invoke([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_EQ(handoff.drain(), 0u);
}

TEST(MainThreadHandoff, PostedCallsRunInOrderAndCallsQueuedWhileDrainingRunToo)
{
    MainThreadHandoff handoff;
    std::vector<int> order;
    handoff.post([&] {
        order.push_back(1);
        handoff.post([&] { order.push_back(3); });
    });
    handoff.post([&] { order.push_back(2); });
    EXPECT_EQ(handoff.drain(), 3u);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(handoff.waitAndDrain(1ms));
}

TEST(MainThreadHandoff, RunUntilFinishedRunsOnlyTheCallsOfThatThread)
{
    MainThreadHandoff handoff;
    std::atomic<bool> finished{false};
    std::vector<int> ran;
    handoff.post([&] { ran.push_back(0); }); // from the main thread: must stay queued
    std::thread worker([&] {
        for (int i = 1; i <= 3; ++i)
            handoff.invoke([&ran, i] { ran.push_back(i); });
        finished = true;
        handoff.notifyFinished();
    });
    handoff.runUntilFinished(worker.get_id(), [&] { return finished.load(); });
    worker.join();
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    handoff.drain();
    EXPECT_EQ(ran.back(), 0);
}

TEST(MainThreadHandoff, AThrowingCallStillReleasesItsCaller)
{
    MainThreadHandoff handoff;
    std::thread worker([&] { handoff.invoke([] { throw std::runtime_error("handler failed"); }); });
    bool thrown = false;
    while (!thrown) {
        try {
            ASSERT_TRUE(handoff.waitAndDrain(10s));
        } catch (const std::runtime_error&) {
            thrown = true;
        }
    }
    worker.join();
}

} // namespace
} // namespace hid
