#include "hid/platform/virtual/VirtualBus.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace hid::platform::virt
{

namespace
{

using Clock = std::chrono::steady_clock;

// As many reports as a hidraw reader keeps before it drops the oldest.
constexpr std::size_t ReaderQueueLimit = 64;

struct Reader;

struct Iface {
    std::string identity;
    std::string path;
    InterfaceProfile profile;
    bool plugged = true;
    std::vector<Reader*> readers;
};

struct Reader {
    std::shared_ptr<Iface> iface;
    std::deque<std::vector<std::uint8_t>> queue;
    bool cancelled = false;
    std::condition_variable wake;
};

bool CopyUnits(std::span<const char16_t> units, std::span<char16_t> buffer)
{
    const std::size_t n = std::min(units.size(), buffer.size());
    std::copy_n(units.begin(), n, buffer.begin());
    if (n < buffer.size())
        buffer[n] = 0;
    return true;
}

} // namespace

struct VirtualBus::State {
    mutable std::mutex lock;
    mutable std::condition_variable readersChanged;
    std::vector<std::shared_ptr<Iface>> present;
    std::uint64_t nextNumber = 0;
    std::function<void()> listener;

    // The bus thread runs timed jobs in order of due time, then of queueing.
    std::condition_variable jobsChanged;
    std::map<std::pair<Clock::time_point, std::uint64_t>, std::function<void()>> jobs;
    std::uint64_t nextJob = 0;
    bool stopping = false;
    std::thread thread;

    std::atomic<std::uint64_t> idleWakeups{0};

    void schedule(std::chrono::milliseconds delay, std::function<void()> job)
    {
        {
            std::lock_guard guard(lock);
            if (stopping)
                return;
            jobs.emplace(std::make_pair(Clock::now() + delay, nextJob++), std::move(job));
        }
        jobsChanged.notify_all();
    }

    void runJobs()
    {
        std::unique_lock guard(lock);
        while (!stopping) {
            if (jobs.empty()) {
                jobsChanged.wait(guard);
                continue;
            }
            auto first = jobs.begin();
            // A copy: the job may be dropped while we wait.
            if (const Clock::time_point due = first->first.first; due > Clock::now()) {
                jobsChanged.wait_until(guard, due);
                continue;
            }
            std::function<void()> job = std::move(first->second);
            jobs.erase(first);
            guard.unlock();
            job();
            guard.lock();
        }
    }

    // Held while the listener runs, so that once a new listener is set no
    // call of the old one is still under way.
    std::mutex listenerLock;

    void notifyChange()
    {
        std::lock_guard guard(listenerLock);
        if (listener)
            listener();
    }

    std::string plug(InterfaceProfile profile)
    {
        auto iface = std::make_shared<Iface>();
        {
            std::lock_guard guard(lock);
            const std::uint64_t number = nextNumber++;
            iface->identity = "virtual:" + std::to_string(number);
            iface->path = "/virtual/hidraw" + std::to_string(number);
            iface->profile = std::move(profile);
            present.push_back(iface);
        }
        notifyChange();
        return iface->identity;
    }

    void unplug(const std::shared_ptr<Iface>& iface)
    {
        {
            std::lock_guard guard(lock);
            if (!iface->plugged)
                return;
            iface->plugged = false;
            present.erase(std::remove(present.begin(), present.end(), iface), present.end());
            for (Reader* reader : iface->readers)
                reader->wake.notify_all();
        }
        notifyChange();
    }

    void deliver(const std::shared_ptr<Iface>& iface, const std::vector<std::uint8_t>& report)
    {
        std::lock_guard guard(lock);
        if (!iface->plugged)
            return;
        for (Reader* reader : iface->readers) {
            if (reader->queue.size() >= ReaderQueueLimit)
                reader->queue.pop_front();
            reader->queue.push_back(report);
            reader->wake.notify_all();
        }
    }

    std::shared_ptr<Iface> findLocked(const std::string& key, bool byPath) const
    {
        for (const auto& iface : present)
            if ((byPath ? iface->path : iface->identity) == key)
                return iface;
        return nullptr;
    }
};

namespace
{

class Context : public BusContext
{
public:
    Context(VirtualBus::State& state, std::shared_ptr<Iface> iface)
        : FState(state), FIface(std::move(iface))
    {
    }

    void reply(std::vector<std::uint8_t> inputReport, std::chrono::milliseconds delay) override
    {
        VirtualBus::State* state = &FState;
        std::shared_ptr<Iface> iface = FIface;
        FState.schedule(delay, [state, iface, report = std::move(inputReport)] {
            state->deliver(iface, report);
        });
    }

    void dropConnection(std::chrono::milliseconds downTime) override
    {
        FState.unplug(FIface);
        VirtualBus::State* state = &FState;
        InterfaceProfile profile = FIface->profile;
        FState.schedule(downTime, [state, profile] { state->plug(profile); });
    }

private:
    VirtualBus::State& FState;
    std::shared_ptr<Iface> FIface;
};

class VirtualDeviceHandle : public DeviceHandle
{
public:
    VirtualDeviceHandle(std::shared_ptr<VirtualBus::State> state, std::shared_ptr<Iface> iface,
                        OpenMode mode)
        : FState(std::move(state)), FIface(std::move(iface)), FMode(mode)
    {
    }

    OpenMode mode() const override { return FMode; }

    bool attributes(Attributes& out, ErrorCode& err) override
    {
        std::lock_guard guard(FState->lock);
        if (!usable(err) || failed(FIface->profile.attributesError, err))
            return false;
        out = FIface->profile.attributes;
        return true;
    }

    bool reportLengths(ReportLengths& out, ErrorCode& err) override
    {
        std::lock_guard guard(FState->lock);
        if (!usable(err))
            return false;
        out = FIface->profile.lengths;
        return true;
    }

    bool string(StringKind kind, std::span<char16_t> buffer, ErrorCode& err) override
    {
        std::lock_guard guard(FState->lock);
        if (!usable(err) || failed(FIface->profile.stringError, err))
            return false;
        const InterfaceProfile& profile = FIface->profile;
        const std::optional<std::u16string>& text = kind == StringKind::Manufacturer
                                                        ? profile.manufacturer
                                                    : kind == StringKind::Product ? profile.product
                                                                                  : profile.serial;
        if (!text) {
            err = EPIPE;
            return false;
        }
        return CopyUnits(*text, buffer);
    }

    bool indexedString(std::uint8_t index, std::span<char16_t> buffer, ErrorCode& err) override
    {
        std::lock_guard guard(FState->lock);
        if (!usable(err) || failed(FIface->profile.stringError, err))
            return false;
        const InterfaceProfile& profile = FIface->profile;
        if (index == 0) {
            if (profile.languages.empty()) {
                err = EPIPE;
                return false;
            }
            std::u16string units(profile.languages.begin(), profile.languages.end());
            return CopyUnits(units, buffer);
        }
        auto it = profile.indexedStrings.find(index);
        if (it == profile.indexedStrings.end()) {
            err = EPIPE;
            return false;
        }
        return CopyUnits(it->second, buffer);
    }

    bool write(std::span<const std::uint8_t> report, ErrorCode& err) override
    {
        std::shared_ptr<Behaviour> behaviour;
        {
            std::lock_guard guard(FState->lock);
            if (!usable(err) || failed(FIface->profile.writeError, err))
                return false;
            if (FMode != OpenMode::ReadWrite) {
                err = EBADF;
                return false;
            }
            if (report.empty()) {
                err = EINVAL;
                return false;
            }
            behaviour = FIface->profile.behaviour;
        }
        if (!behaviour)
            return true;
        VirtualBus::State* state = FState.get();
        std::shared_ptr<Iface> iface = FIface;
        FState->schedule(std::chrono::milliseconds{0},
                         [state, iface, behaviour,
                          bytes = std::vector<std::uint8_t>(report.begin(), report.end())] {
                             {
                                 std::lock_guard guard(state->lock);
                                 if (!iface->plugged)
                                     return;
                             }
                             Context context(*state, iface);
                             behaviour->onOutputReport(bytes, context);
                         });
        return true;
    }

private:
    bool usable(ErrorCode& err) const
    {
        if (FIface->plugged)
            return true;
        err = ENODEV;
        return false;
    }

    static bool failed(ErrorCode code, ErrorCode& err)
    {
        if (code == NoError)
            return false;
        err = code;
        return true;
    }

    std::shared_ptr<VirtualBus::State> FState;
    std::shared_ptr<Iface> FIface;
    OpenMode FMode;
};

class VirtualReadHandle : public ReadHandle
{
public:
    VirtualReadHandle(std::shared_ptr<VirtualBus::State> state, std::shared_ptr<Iface> iface)
        : FState(std::move(state))
    {
        FReader.iface = std::move(iface);
        {
            std::lock_guard guard(FState->lock);
            FReader.iface->readers.push_back(&FReader);
        }
        FState->readersChanged.notify_all();
    }

    ~VirtualReadHandle() override
    {
        {
            std::lock_guard guard(FState->lock);
            auto& readers = FReader.iface->readers;
            readers.erase(std::remove(readers.begin(), readers.end(), &FReader), readers.end());
        }
        FState->readersChanged.notify_all();
    }

    ReadResult read(std::span<std::uint8_t> buffer, std::size_t& bytesRead, ErrorCode& err) override
    {
        bytesRead = 0;
        std::unique_lock guard(FState->lock);
        for (;;) {
            if (FReader.cancelled)
                return ReadResult::Cancelled;
            if (!FReader.iface->plugged) {
                err = ENODEV;
                return ReadResult::Error;
            }
            if (!FReader.queue.empty()) {
                std::vector<std::uint8_t> report = std::move(FReader.queue.front());
                FReader.queue.pop_front();
                if (report.empty())
                    return ReadResult::Empty;
                // A longer report is cut to the buffer, as hidraw does.
                bytesRead = std::min(report.size(), buffer.size());
                std::copy_n(report.begin(), bytesRead, buffer.begin());
                return ReadResult::Report;
            }
            FReader.wake.wait(guard);
            if (!FReader.cancelled && FReader.iface->plugged && FReader.queue.empty())
                ++FState->idleWakeups;
        }
    }

    void cancel() override
    {
        std::lock_guard guard(FState->lock);
        FReader.cancelled = true;
        FReader.wake.notify_all();
    }

private:
    std::shared_ptr<VirtualBus::State> FState;
    Reader FReader;
};

} // namespace

VirtualBus::VirtualBus() : FState(std::make_shared<State>())
{
    State* state = FState.get();
    FState->thread = std::thread([state] { state->runJobs(); });
}

VirtualBus::~VirtualBus()
{
    {
        std::lock_guard guard(FState->lock);
        FState->stopping = true;
        FState->jobs.clear();
    }
    FState->jobsChanged.notify_all();
    FState->thread.join();
    setChangeListener({});
}

std::string VirtualBus::plug(InterfaceProfile profile)
{
    return FState->plug(std::move(profile));
}

void VirtualBus::unplug(const std::string& identity)
{
    std::shared_ptr<Iface> iface;
    {
        std::lock_guard guard(FState->lock);
        iface = FState->findLocked(identity, false);
    }
    if (iface)
        FState->unplug(iface);
}

std::vector<std::string> VirtualBus::present() const
{
    std::lock_guard guard(FState->lock);
    std::vector<std::string> ids;
    for (const auto& iface : FState->present)
        ids.push_back(iface->identity);
    return ids;
}

void VirtualBus::input(const std::string& identity, std::vector<std::uint8_t> report,
                       std::chrono::milliseconds delay)
{
    std::shared_ptr<Iface> iface;
    {
        std::lock_guard guard(FState->lock);
        iface = FState->findLocked(identity, false);
    }
    if (!iface)
        return;
    State* state = FState.get();
    FState->schedule(delay,
                     [state, iface, report = std::move(report)] { state->deliver(iface, report); });
}

std::uint64_t VirtualBus::idleReaderWakeups() const
{
    return FState->idleWakeups.load();
}

int VirtualBus::openReaders(const std::string& identity) const
{
    std::lock_guard guard(FState->lock);
    auto iface = FState->findLocked(identity, false);
    return iface ? static_cast<int>(iface->readers.size()) : 0;
}

bool VirtualBus::waitForReaders(const std::string& identity, int count,
                                std::chrono::milliseconds timeout) const
{
    std::unique_lock guard(FState->lock);
    return FState->readersChanged.wait_for(guard, timeout, [&] {
        auto iface = FState->findLocked(identity, false);
        return iface && static_cast<int>(iface->readers.size()) == count;
    });
}

std::vector<InterfaceId> VirtualBus::enumerate()
{
    std::lock_guard guard(FState->lock);
    std::vector<InterfaceId> ids;
    for (const auto& iface : FState->present)
        ids.push_back(InterfaceId{iface->identity, iface->path});
    return ids;
}

std::unique_ptr<DeviceHandle> VirtualBus::open(const std::string& path, OpenMode mode,
                                               ErrorCode& err)
{
    std::lock_guard guard(FState->lock);
    auto iface = FState->findLocked(path, true);
    if (!iface) {
        err = ENOENT;
        return nullptr;
    }
    const InterfaceProfile& profile = iface->profile;
    ErrorCode refused = profile.openError;
    if (refused == NoError && mode == OpenMode::ReadWrite)
        refused = profile.readWriteOpenError;
    if (refused != NoError) {
        err = refused;
        return nullptr;
    }
    return std::make_unique<VirtualDeviceHandle>(FState, iface, mode);
}

std::unique_ptr<ReadHandle> VirtualBus::openRead(const std::string& path, ErrorCode& err)
{
    std::shared_ptr<Iface> iface;
    {
        std::lock_guard guard(FState->lock);
        iface = FState->findLocked(path, true);
        if (!iface) {
            err = ENOENT;
            return nullptr;
        }
        const InterfaceProfile& profile = iface->profile;
        for (ErrorCode refused :
             {profile.openError, profile.readWriteOpenError, profile.openReadError}) {
            if (refused != NoError) {
                err = refused;
                return nullptr;
            }
        }
    }
    return std::make_unique<VirtualReadHandle>(FState, std::move(iface));
}

std::string VirtualBus::errorMessage(ErrorCode code)
{
    return std::generic_category().message(static_cast<int>(code));
}

std::optional<std::u16string> VirtualBus::languageName(std::uint16_t langId)
{
    static const std::map<std::uint16_t, std::u16string> names = {
        {0x0407, u"German (Germany)"},         {0x0409, u"English (United States)"},
        {0x0809, u"English (United Kingdom)"}, {0x041A, u"Croatian (Croatia)"},
        {0x081A, u"Serbian (Latin, Serbia)"},
    };
    auto it = names.find(langId);
    if (it == names.end())
        return std::nullopt;
    return it->second;
}

void VirtualBus::setChangeListener(std::function<void()> listener)
{
    std::lock_guard guard(FState->listenerLock);
    FState->listener = std::move(listener);
}

} // namespace hid::platform::virt
