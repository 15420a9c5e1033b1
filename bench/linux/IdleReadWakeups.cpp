// Counts how often an idle read thread wakes up: one read blocked on a fake
// hidraw node of a umockdev testbed for 10 s, no reports sent. Run under
// umockdev-wrapper.

#include "hid/platform/linux/LinuxPlatform.h"

#include "FakeHidraw.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <string>

namespace
{

// Voluntary + involuntary context switches of one thread: each is a wake-up.
long switchesOf(pid_t tid)
{
    std::ifstream status("/proc/self/task/" + std::to_string(tid) + "/status");
    long total = 0;
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
            line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
            total += std::stol(line.substr(line.find(':') + 1));
    }
    return total;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace hid::platform;
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;

    vms::test::FakeBed bed;
    vms::test::FakeNodeProfile profile;
    profile.productName = "Veltrano 8";
    profile.descriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08,
                          0x95, 0x40, 0x09, 0x01, 0x81, 0x02, 0x91, 0x02, 0xC0};
    bed.add(profile);

    ErrorCode err = NoError;
    auto platform = linux_backend::makeLinuxPlatform(err);
    auto reader = platform ? platform->openRead("/dev/hidraw0", err) : nullptr;
    if (!reader) {
        std::fprintf(stderr, "cannot open the fake node: %s\n",
                     platform ? platform->errorMessage(err).c_str() : "no udev");
        return 1;
    }

    std::promise<pid_t> tidPromise;
    auto tidFuture = tidPromise.get_future();
    std::atomic<int> reads{0};
    std::thread thread([&] {
        tidPromise.set_value(static_cast<pid_t>(::syscall(SYS_gettid)));
        std::vector<std::uint8_t> buffer(65);
        std::size_t got = 0;
        ErrorCode e = NoError;
        while (reader->read(buffer, got, e) != ReadResult::Cancelled)
            ++reads;
    });
    const pid_t tid = tidFuture.get();

    // Warm-up, not synchronisation: the count starts once the thread sits in poll().
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const long before = switchesOf(tid);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const long after = switchesOf(tid);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const auto cancelAt = std::chrono::steady_clock::now();
    reader->cancel();
    thread.join();
    const double cancelMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - cancelAt)
            .count();

    std::printf("idle read thread: %ld wake-ups in %.1f s (%d reads returned), "
                "cancel took %.3f ms\n",
                after - before, elapsed, reads.load(), cancelMs);
    return after - before == 0 ? 0 : 2;
}
