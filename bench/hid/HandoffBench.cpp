// Hand-off of input reports on the virtual bus: reports per second, latency
// from the bus thread to the handler on the main thread, and how often an
// idle read thread wakes up.

#include "hid/HidControllerClass.h"
#include "hid/MainThreadHandoff.h"
#include "hid/platform/virtual/VirtualBus.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Answers every output report at once with an input report that carries the
// bus thread's clock reading when it answered.
class StampingDevice : public hid::platform::virt::Behaviour
{
public:
    void onOutputReport(std::span<const std::uint8_t>,
                        hid::platform::virt::BusContext& bus) override
    {
        std::vector<std::uint8_t> reply(65, 0);
        const std::int64_t now = Clock::now().time_since_epoch().count();
        std::memcpy(reply.data() + 1, &now, sizeof now);
        bus.reply(std::move(reply));
    }
};

hid::platform::virt::InterfaceProfile Profile()
{
    hid::platform::virt::InterfaceProfile profile;
    profile.attributes = {0x1234, 0x0001, 0x0100};
    profile.lengths = {1, 0xFF00, 65, 65, 0};
    profile.product = u"Veltrano 8 Mini";
    profile.languages = {0x0409};
    profile.behaviour = std::make_shared<StampingDevice>();
    return profile;
}

} // namespace

int main()
{
    hid::platform::virt::VirtualBus bus;
    hid::MainThreadHandoff handoff;
    const std::string identity = bus.plug(Profile());
    hid::THidDeviceController ctl(bus, handoff);
    handoff.drain();
    std::unique_ptr<hid::THidDevice> dev = ctl.CheckOutByIndex(0);
    if (!dev) {
        std::fprintf(stderr, "no device\n");
        return 1;
    }

    std::vector<double> latencies;
    std::size_t received = 0;
    dev->SetOnData(
        [&](hid::THidDevice*, std::uint8_t, const std::uint8_t* data, std::uint16_t size) {
            if (size >= sizeof(std::int64_t)) {
                std::int64_t sent = 0;
                std::memcpy(&sent, data, sizeof sent);
                const auto now = Clock::now().time_since_epoch().count();
                latencies.push_back(
                    std::chrono::duration<double, std::micro>(Clock::duration(now - sent)).count());
            }
            ++received;
        });
    if (!bus.waitForReaders(identity, 1, 10s)) {
        std::fprintf(stderr, "read thread did not start\n");
        return 1;
    }

    // Request and answer, one at a time: the tool's own pattern.
    const std::uint8_t request[65] = {0, 'G', 'S'};
    const int rounds = 20000;
    const auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        std::uint32_t written = 0;
        dev->WriteFile(request, sizeof request, written);
        const std::size_t want = received + 1;
        while (received < want)
            handoff.waitAndDrain(10s);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) {
        return latencies[static_cast<std::size_t>(q * static_cast<double>(latencies.size() - 1))];
    };
    std::printf("reports handed to the main thread: %d in %.3f s = %.0f reports/s\n", rounds,
                seconds, rounds / seconds);
    std::printf("latency bus thread -> handler: median %.1f us, p90 %.1f us, p99 %.1f us\n",
                at(0.5), at(0.9), at(0.99));

    // An idle read thread: nothing arrives for a while.
    const auto idleBefore = bus.idleReaderWakeups();
    const auto idleTime = 2s;
    std::this_thread::sleep_for(idleTime);
    const double idleSeconds = std::chrono::duration<double>(idleTime).count();
    std::printf("idle read thread wake-ups: %.2f per second\n",
                static_cast<double>(bus.idleReaderWakeups() - idleBefore) / idleSeconds);

    dev->SetOnData(nullptr);
    return 0;
}
