#pragma once

// A model of the Veltrano Mini firmware for tests and the simulated mode.
//
// It reads output reports and writes input reports by byte offset, straight
// from the device's request/reply tables, and keeps every setting inside its
// own 4096-byte memory (layout in MemoryMap.h) so that a memory read shows
// it and a format erases it. Plain C++20; no threads: time comes from the
// injected clock. All members are safe to call from any thread (one mutex):
// the bus calls handle() from its own thread while a test reads the log. The
// clock is called under that mutex from the caller's thread, so a test clock
// that another thread moves must be atomic.
//
// Status ("GS"): after each (re)start the modem searches for about 4 s
// (state 3, signal 0, RSSI 99), then sits on the home network with a
// wandering signal. Inputs 1..3 flip every 3, 5 and 7 s; channel 1 drifts
// between about 600 and 3400 over 40 s, channel 2 wobbles near 2000; the
// calculated values are K * (raw + offset) + N from the stored coefficients.
// "SO" 'T' flips the relay (off after a restart); "ST" adds one sent SMS per
// stored GSM number and shows the sending states for 2 s; byte 62 is the
// call function set by "SD"; bytes 24..39 hold the number of the first
// active phonebook record while the call function is on.
//
// Replies:
//  - reads (GF GS GM GN GP GA GK GC GO) answer with their own code;
//  - SN, SP, SC acknowledge with their code once the item is stored; an index
//    outside the list stores nothing and gets no acknowledgement, so the tool
//    reports the failure instead of taking it for success;
//  - list reads (GN GP GC) of an index outside the list answer with that
//    index and an empty item, so a chained read that asks one past the end
//    (the phonebook asks for 100) still ends;
//  - GM of a page >= 128 gets no answer: there is no such page;
//  - actions and plain writes (SO SD SA SK ST) echo their code with the
//    sub-code at reply index 3; the tool ignores these replies;
//  - SF and SR 'B' send no reply and ask the host to drop the connection;
//  - an unknown code or sub-code, or a report shorter than the code, gets
//    no answer.

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace device
{

inline constexpr std::size_t ReportLength = 65; // report ID + 64 data bytes
inline constexpr std::size_t MemorySize = 4096;
inline constexpr std::size_t PageSize = 32;
inline constexpr std::size_t PageCount = MemorySize / PageSize;

using Memory = std::array<std::uint8_t, MemorySize>;
using Code = std::array<char, 2>;

// Milliseconds since any fixed point; only differences matter.
using Clock = std::function<std::chrono::milliseconds()>;

// What the host should do with one output report.
struct Response {
    // The input report to deliver (report ID first), if any.
    std::optional<std::vector<std::uint8_t>> reply;
    // How long after the request the reply is due.
    std::chrono::milliseconds latency{0};
    // Set when the device restarts: unplug now, plug in again after this.
    std::optional<std::chrono::milliseconds> dropConnection;
};

// Faults a test can switch on. `onlyFor` limits them to one command code.
struct Faults {
    bool silent = false;                    // answer nothing
    std::optional<Code> wrongCode;          // answer with this code instead
    std::optional<std::size_t> replyLength; // cut the reply to this many bytes, report ID included
    int indexShift = 0;                     // list replies (GN GP GC GM) carry index + shift
    std::optional<Code> onlyFor;
};

class ImitationDevice
{
public:
    // Without a clock the model uses std::chrono::steady_clock.
    explicit ImitationDevice(Clock clock = {});

    ImitationDevice(const ImitationDevice&) = delete;
    ImitationDevice& operator=(const ImitationDevice&) = delete;

    // Takes one output report (report ID first; any length is accepted) and
    // says what to answer. Logs the report first.
    Response handle(std::span<const std::uint8_t> outputReport);

    // Knobs.
    void setLatency(std::chrono::milliseconds latency);
    void setFaults(const Faults& faults);
    void setFormatDownTime(std::chrono::milliseconds downTime);
    void setBootDownTime(std::chrono::milliseconds downTime);
    void setFirmwareText(const std::string& text); // at most 61 bytes are kept

    // Every output report received, in order, as received.
    std::vector<std::vector<std::uint8_t>> receivedReports() const;
    std::size_t receivedCount() const;
    void clearLog();
    // Blocks until at least `count` reports have been received in total
    // (since the last clearLog) or `timeout` passes; true if they have.
    bool waitForReports(std::size_t count, std::chrono::milliseconds timeout) const;

    // Inspection for tests.
    Memory memory() const;
    bool relayOn() const;
    bool callFunctionOn() const;
    std::uint16_t smsSent() const;
    std::uint16_t smsReceived() const;

private:
    std::optional<std::vector<std::uint8_t>> answer(std::span<const std::uint8_t> request,
                                                    Response& response);
    std::vector<std::uint8_t> statusReply();
    bool faultsApply(const Code& code) const;
    std::uint16_t shifted(const Code& code, std::uint16_t index) const;
    void applyFaults(const Code& code, std::optional<std::vector<std::uint8_t>>& reply) const;
    void restart(std::chrono::milliseconds downTime, Response& response);
    std::chrono::milliseconds now() const;
    std::chrono::milliseconds upTime() const;
    void loadSampleSettings();

    Clock clock_;
    mutable std::mutex mutex_;
    mutable std::condition_variable logged_;
    std::vector<std::vector<std::uint8_t>> log_;

    Memory memory_{};
    std::string firmware_;
    std::chrono::milliseconds latency_{0};
    std::chrono::milliseconds formatDownTime_{3000};
    std::chrono::milliseconds bootDownTime_{2000};
    Faults faults_;

    // Volatile state: lost when the device restarts, except the counters.
    std::chrono::milliseconds bootedAt_{0};
    bool relay_ = false;
    std::uint16_t smsSent_ = 0;
    std::uint16_t smsReceived_ = 3;
    std::chrono::milliseconds smsSendingUntil_{0};
};

} // namespace device
