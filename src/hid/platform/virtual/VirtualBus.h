#pragma once

// An in-process HID bus: tests and the simulated mode plug and unplug
// interfaces, each with attributes, strings, report lengths and a behaviour.
// Output reports reach the behaviour on the bus's own thread; input reports
// reach readers from that thread too, after the delay the behaviour asked for.
// Change notifications are sent from the thread that plugged or unplugged.

#include "hid/platform/HidPlatform.h"
#include "hid/platform/virtual/VirtualBehaviour.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hid::platform::virt
{

struct InterfaceProfile {
    Attributes attributes;
    ReportLengths lengths;
    // A string that is absent fails when asked for.
    std::optional<std::u16string> manufacturer;
    std::optional<std::u16string> product;
    std::optional<std::u16string> serial;
    // What index 0 of the indexed strings answers; empty: the request fails.
    std::vector<std::uint16_t> languages;
    std::map<std::uint8_t, std::u16string> indexedStrings;
    // Null: an interface that takes output reports and never answers.
    std::shared_ptr<Behaviour> behaviour;

    // Failures to imitate (error codes are errno values).
    ErrorCode openError = NoError;          // every open fails
    ErrorCode readWriteOpenError = NoError; // only query-only opens succeed
    ErrorCode attributesError = NoError;    // cannot be identified
    ErrorCode stringError = NoError;        // every string request fails
    ErrorCode writeError = NoError;         // every write fails
    ErrorCode openReadError = NoError;      // the read side cannot be opened
};

class VirtualBus : public Platform
{
public:
    VirtualBus();
    ~VirtualBus() override;

    VirtualBus(const VirtualBus&) = delete;
    VirtualBus& operator=(const VirtualBus&) = delete;

    // Plugs an interface in and returns its identity. Every plug-in gets a
    // new identity, as a re-plugged device does on a real system.
    std::string plug(InterfaceProfile profile);
    // Unplugs it: open handles fail from now on, blocked reads end with ENODEV.
    void unplug(const std::string& identity);
    // The identities present now, in plug order.
    std::vector<std::string> present() const;

    // Sends an input report (report ID first) to the interface's readers
    // from the bus thread, as if the device had sent it.
    void input(const std::string& identity, std::vector<std::uint8_t> report,
               std::chrono::milliseconds delay = std::chrono::milliseconds{0});

    // Times a blocked read woke up without returning a report, over the bus's life.
    std::uint64_t idleReaderWakeups() const;
    // Readers open now (for tests waiting until a read thread has started).
    int openReaders(const std::string& identity) const;
    // Blocks until the interface has exactly `count` readers or `timeout` passes.
    bool waitForReaders(const std::string& identity, int count,
                        std::chrono::milliseconds timeout) const;

    std::vector<InterfaceId> enumerate() override;
    std::unique_ptr<DeviceHandle> open(const std::string& path, OpenMode mode,
                                       ErrorCode& err) override;
    std::unique_ptr<ReadHandle> openRead(const std::string& path, ErrorCode& err) override;
    std::string errorMessage(ErrorCode code) override;
    std::optional<std::u16string> languageName(std::uint16_t langId) override;
    void setChangeListener(std::function<void()> listener) override;

    struct State;

private:
    std::shared_ptr<State> FState;
};

} // namespace hid::platform::virt
