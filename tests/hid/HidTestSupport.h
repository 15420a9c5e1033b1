#pragma once

#include "hid/HidControllerClass.h"
#include "hid/MainThreadHandoff.h"
#include "hid/platform/virtual/VirtualBus.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace hid::test
{

using namespace std::chrono_literals;
using platform::virt::InterfaceProfile;

// Answers every output report with a 65-byte input report that repeats its
// two command letters; "SR" restarts the device instead.
class EchoDevice : public platform::virt::Behaviour
{
public:
    void onOutputReport(std::span<const std::uint8_t> report,
                        platform::virt::BusContext& bus) override
    {
        {
            std::lock_guard lock(mutex);
            received.emplace_back(report.begin(), report.end());
        }
        if (report.size() >= 3 && report[1] == 'S' && report[2] == 'R') {
            bus.dropConnection(downTime);
            return;
        }
        std::vector<std::uint8_t> reply(65, 0);
        for (std::size_t i = 1; i < std::min<std::size_t>(report.size(), 3); ++i)
            reply[i] = report[i];
        bus.reply(std::move(reply));
    }

    // How long an "SR" keeps it off the bus.
    std::chrono::milliseconds downTime = 20ms;
    std::mutex mutex;
    std::vector<std::vector<std::uint8_t>> received;
};

inline InterfaceProfile Veltrano(std::shared_ptr<platform::virt::Behaviour> behaviour = nullptr)
{
    InterfaceProfile profile;
    profile.attributes = {0x1234, 0x0001, 0x0100};
    profile.lengths = {1, 0xFF00, 65, 65, 0};
    profile.manufacturer = u"Veltrano";
    profile.product = u"Veltrano 8 Mini";
    profile.serial = u"A1B2";
    profile.languages = {0x0409};
    profile.behaviour = std::move(behaviour);
    return profile;
}

inline InterfaceProfile Mouse()
{
    InterfaceProfile profile;
    profile.attributes = {0x046D, 0xC077, 0x7200};
    profile.lengths = {2, 1, 5, 0, 0};
    profile.manufacturer = u"Logitech";
    profile.product = u"USB Optical Mouse";
    profile.languages = {0x0409};
    return profile;
}

struct Data {
    std::uint8_t reportId;
    std::vector<std::uint8_t> bytes;
};

// A bus, a hand-off drained by hand, and a controller whose events are logged.
class ControllerFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        handoff.setWakeup([this] {
            {
                std::lock_guard lock(wakeMutex);
                ++wakeups;
            }
            woken.notify_all();
        });
    }

    void makeController()
    {
        ctl = std::make_unique<THidDeviceController>(bus, handoff);
        ctl->SetOnArrival([this](THidDevice* d) { log.push_back("arrival " + name(d)); });
        ctl->SetOnRemoval([this](THidDevice* d) { log.push_back("removal " + name(d)); });
        ctl->SetOnDeviceChange([this] { log.push_back("change"); });
    }

    static std::string name(THidDevice* d)
    {
        std::u16string product = d->ProductName();
        return std::string(product.begin(), product.end());
    }

    // Drains the hand-off until `done` holds; false after a generous time-out.
    bool drainUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        handoff.drain();
        while (!done()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left <= 0ms)
                return false;
            handoff.waitAndDrain(left);
        }
        return true;
    }

    // Blocks until the hand-off has been woken more than `seen` times.
    bool waitForWakeup(int seen, std::chrono::milliseconds timeout = 10s)
    {
        std::unique_lock lock(wakeMutex);
        return woken.wait_for(lock, timeout, [&] { return wakeups > seen; });
    }

    int wakeupCount()
    {
        std::lock_guard lock(wakeMutex);
        return wakeups;
    }

    THidDataEvent recorder()
    {
        return [this](THidDevice*, std::uint8_t id, const std::uint8_t* data, std::uint16_t size) {
            received.push_back(Data{id, std::vector<std::uint8_t>(data, data + size)});
        };
    }

    platform::virt::VirtualBus bus;
    MainThreadHandoff handoff;
    std::vector<std::string> log;
    std::vector<Data> received;

    std::mutex wakeMutex;
    std::condition_variable woken;
    int wakeups = 0;

    // Last, so that it goes first: its destruction may still run handlers.
    std::unique_ptr<THidDeviceController> ctl;
};

} // namespace hid::test
