#pragma once

// What an interface plugged into the virtual bus does with the output reports
// written to it. The bus calls the behaviour on a thread of its own.

#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

namespace hid::platform::virt
{

// The bus side offered to a behaviour while it handles one report.
class BusContext
{
public:
    virtual ~BusContext() = default;

    // Queues one input report (report ID first) for the interface's reader,
    // delivered after `delay`.
    virtual void reply(std::vector<std::uint8_t> inputReport,
                       std::chrono::milliseconds delay = std::chrono::milliseconds{0}) = 0;

    // Unplugs the interface now and plugs it in again after `downTime`, as a
    // device that restarts does.
    virtual void dropConnection(std::chrono::milliseconds downTime) = 0;
};

class Behaviour
{
public:
    virtual ~Behaviour() = default;

    // `report` is the whole output report, report ID first.
    virtual void onOutputReport(std::span<const std::uint8_t> report, BusContext& bus) = 0;
};

} // namespace hid::platform::virt
