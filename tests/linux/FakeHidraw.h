#pragma once

// A umockdev testbed with fake hidraw nodes, for tests run under
// umockdev-wrapper. Each node's /dev entry is a pty of our own: the test
// writes input reports into its master side, so poll() on the node behaves
// as on real hidraw, and closing the master hangs the node up like an
// unplug. Output reports and hidraw ioctls reach handlers on a GLib loop
// that runs on a thread of the bed.

#include <glib.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct _UMockdevTestbed;
struct _UMockdevIoctlBase;
struct _UMockdevIoctlClient;

namespace vms::test
{

struct FakeNodeProfile {
    int number = 0; // hidrawN
    std::uint16_t vendor = 0x1234;
    std::uint16_t product = 0x5678;
    std::uint16_t bcdDevice = 0x0102;
    bool usb = true; // a USB parent with string attributes
    std::optional<std::string> manufacturer;
    std::optional<std::string> productName;
    std::optional<std::string> serial;
    std::string hidName; // HID_NAME of the hid parent
    std::string hidUniq; // HID_UNIQ of the hid parent
    std::vector<std::uint8_t> descriptor;
    std::optional<int> claimedDescriptorSize; // what HIDIOCGRDESCSIZE says, if it lies
    bool accessible = true;                   // false: open() of the node fails with EACCES
};

class FakeHidraw
{
public:
    using WriteHandler = std::function<void(FakeHidraw&, const std::vector<std::uint8_t>&)>;

    const FakeNodeProfile& profile() const { return m_profile; }
    std::string devnode() const { return "/dev/hidraw" + std::to_string(m_profile.number); }
    std::string syspath() const;

    void onWrite(WriteHandler h);
    // Queues one input report as the device sends it (no ID byte when unnumbered).
    void sendInput(const std::vector<std::uint8_t>& bytes);
    // The node hangs up, as hidraw does when its device goes away.
    void hangUp();

    // Output reports received so far; waits up to `timeout` for at least `count`.
    std::vector<std::vector<std::uint8_t>>
    written(std::size_t count = 0, std::chrono::milliseconds timeout = std::chrono::seconds(10));

private:
    friend class FakeBed;
    FakeNodeProfile m_profile;
    int m_master = -1;
    int m_slave = -1;
    _UMockdevIoctlBase* m_base = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<std::vector<std::uint8_t>> m_written;
    WriteHandler m_handler;

    static int onIoctl(_UMockdevIoctlBase*, _UMockdevIoctlClient*, void*);
    static int onWriteSignal(_UMockdevIoctlBase*, _UMockdevIoctlClient*, void*);
};

class FakeBed
{
public:
    FakeBed();
    ~FakeBed();
    FakeBed(const FakeBed&) = delete;
    FakeBed& operator=(const FakeBed&) = delete;

    FakeHidraw& add(const FakeNodeProfile& profile, bool announce = false);
    // Sends the remove uevent, hangs the node up and takes it out of sysfs.
    void unplug(FakeHidraw& node);

    // Runs `fn` on the GLib thread and waits for it.
    void onLoop(const std::function<void()>& fn);

private:
    _UMockdevTestbed* m_bed = nullptr;
    GMainContext* m_context = nullptr;
    GMainLoop* m_loop = nullptr;
    std::thread m_thread;
    std::vector<std::unique_ptr<FakeHidraw>> m_nodes;
};

// Takes the file-permission override away from the calling thread while it
// lives, so that root meets EACCES like any user.
class NoDacOverride
{
public:
    NoDacOverride();
    ~NoDacOverride();
    NoDacOverride(const NoDacOverride&) = delete;
    NoDacOverride& operator=(const NoDacOverride&) = delete;

private:
    bool m_dropped = false;
    std::uint32_t m_effective[2] = {};
};

// Waits until `fd` is readable, up to `timeout`.
bool waitReadable(int fd, std::chrono::milliseconds timeout);

} // namespace vms::test
