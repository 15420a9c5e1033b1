#include "FakeHidraw.h"

#include <umockdev.h>

#include <linux/capability.h>
#include <linux/hidraw.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace vms::test
{

namespace
{

std::string hex4(unsigned v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04x", v & 0xFFFFu);
    return buf;
}

std::string hexBytes(const std::vector<std::uint8_t>& bytes)
{
    std::string out;
    char buf[4];
    for (const auto b : bytes) {
        std::snprintf(buf, sizeof buf, "%02x", b);
        out += buf;
    }
    return out;
}

std::string usbDir(const FakeNodeProfile& s)
{
    return "/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(s.number + 1);
}

std::string hidDir(const FakeNodeProfile& s)
{
    const std::string hid = (s.usb ? "0003:" : "0005:") + hex4(s.vendor) + ":" + hex4(s.product) +
                            "." + hex4(static_cast<unsigned>(s.number + 1));
    if (!s.usb)
        return "/devices/virtual/misc/uhid/" + hid;
    return usbDir(s) + "/1-" + std::to_string(s.number + 1) + ":1.0/" + hid;
}

std::string record(const FakeNodeProfile& s)
{
    const std::string n = std::to_string(s.number);
    std::string r = "P: " + hidDir(s) + "/hidraw/hidraw" + n + "\nN: hidraw" + n +
                    "\nE: DEVNAME=/dev/hidraw" + n + "\nE: SUBSYSTEM=hidraw\n\n";
    r += "P: " + hidDir(s) + "\nE: SUBSYSTEM=hid\nE: DRIVER=hid-generic\n";
    r += "E: HID_ID=" + std::string(s.usb ? "0003" : "0005") + ":0000" + hex4(s.vendor) + ":0000" +
         hex4(s.product) + "\n";
    if (!s.hidName.empty())
        r += "E: HID_NAME=" + s.hidName + "\n";
    if (!s.hidUniq.empty())
        r += "E: HID_UNIQ=" + s.hidUniq + "\n";
    if (!s.descriptor.empty())
        r += "H: report_descriptor=" + hexBytes(s.descriptor) + "\n";
    r += "\n";
    if (s.usb) {
        r += "P: " + usbDir(s) + "/1-" + std::to_string(s.number + 1) +
             ":1.0\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n\n";
        r += "P: " + usbDir(s) + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n";
        r += "A: idVendor=" + hex4(s.vendor) + "\nA: idProduct=" + hex4(s.product) +
             "\nA: bcdDevice=" + hex4(s.bcdDevice) + "\n";
        if (s.manufacturer)
            r += "A: manufacturer=" + *s.manufacturer + "\n";
        if (s.productName)
            r += "A: product=" + *s.productName + "\n";
        if (s.serial)
            r += "A: serial=" + *s.serial + "\n";
        r += "\n";
    }
    return r;
}

void check(bool ok, GError* error, const char* what)
{
    if (!ok) {
        std::string msg = std::string(what) + ": " + (error ? error->message : "failed");
        if (error)
            g_error_free(error);
        throw std::runtime_error(msg);
    }
}

} // namespace

std::string FakeHidraw::syspath() const
{
    return "/sys" + hidDir(m_profile) + "/hidraw/hidraw" + std::to_string(m_profile.number);
}

void FakeHidraw::onWrite(WriteHandler h)
{
    std::lock_guard lock(m_mutex);
    m_handler = std::move(h);
}

void FakeHidraw::sendInput(const std::vector<std::uint8_t>& bytes)
{
    std::lock_guard lock(m_mutex);
    if (m_master < 0)
        return;
    const ssize_t n = ::write(m_master, bytes.data(), bytes.size());
    if (n != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("fake hidraw: short input write");
}

void FakeHidraw::hangUp()
{
    std::lock_guard lock(m_mutex);
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

std::vector<std::vector<std::uint8_t>> FakeHidraw::written(std::size_t count,
                                                           std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    m_cv.wait_for(lock, timeout, [&] { return m_written.size() >= count; });
    return m_written;
}

int FakeHidraw::onIoctl(_UMockdevIoctlBase*, _UMockdevIoctlClient* client, void* self)
{
    auto* node = static_cast<FakeHidraw*>(self);
    const auto& desc = node->m_profile.descriptor;
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    GError* error = nullptr;
    if (request == HIDIOCGRDESCSIZE) {
        UMockdevIoctlData* out = umockdev_ioctl_data_resolve(arg, 0, sizeof(int), &error);
        if (!out) {
            g_clear_error(&error);
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return TRUE;
        }
        int size = node->m_profile.claimedDescriptorSize.value_or(static_cast<int>(desc.size()));
        umockdev_ioctl_data_update(out, 0, reinterpret_cast<guint8*>(&size), sizeof size);
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
    }
    if (request == HIDIOCGRDESC) {
        UMockdevIoctlData* out =
            umockdev_ioctl_data_resolve(arg, 0, sizeof(hidraw_report_descriptor), &error);
        if (!out) {
            g_clear_error(&error);
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return TRUE;
        }
        __u32 asked = 0;
        std::memcpy(&asked, out->data, sizeof asked);
        if (asked > HID_MAX_DESCRIPTOR_SIZE) {
            umockdev_ioctl_client_complete(client, -1, EINVAL);
            return TRUE;
        }
        std::vector<guint8> copy(
            desc.begin(),
            desc.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(asked, desc.size())));
        if (!copy.empty())
            umockdev_ioctl_data_update(out, sizeof(__u32), copy.data(), copy.size());
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
    }
    umockdev_ioctl_client_complete(client, -1, ENOTTY);
    return TRUE;
}

int FakeHidraw::onWriteSignal(_UMockdevIoctlBase*, _UMockdevIoctlClient* client, void* self)
{
    auto* node = static_cast<FakeHidraw*>(self);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    std::vector<std::uint8_t> report(arg->data, arg->data + arg->data_len);
    WriteHandler handler;
    {
        std::lock_guard lock(node->m_mutex);
        if (node->m_master < 0) { // hidraw refuses writes once its device is gone
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return TRUE;
        }
        umockdev_ioctl_client_complete(client, static_cast<glong>(arg->data_len), 0);
        node->m_written.push_back(report);
        handler = node->m_handler;
    }
    node->m_cv.notify_all();
    if (handler)
        handler(*node, report);
    return TRUE;
}

FakeBed::FakeBed()
{
    m_context = g_main_context_new();
    m_loop = g_main_loop_new(m_context, FALSE);
    m_bed = umockdev_testbed_new();
    std::promise<void> running;
    auto started = running.get_future();
    m_thread = std::thread([this, &running] {
        g_main_context_push_thread_default(m_context);
        GSource* idle = g_idle_source_new();
        g_source_set_callback(
            idle,
            [](gpointer p) -> gboolean {
                static_cast<std::promise<void>*>(p)->set_value();
                return G_SOURCE_REMOVE;
            },
            &running, nullptr);
        g_source_attach(idle, m_context);
        g_source_unref(idle);
        g_main_loop_run(m_loop);
        g_main_context_pop_thread_default(m_context);
    });
    started.wait();
}

FakeBed::~FakeBed()
{
    for (auto& node : m_nodes)
        node->hangUp();
    g_main_loop_quit(m_loop);
    m_thread.join();
    for (auto& node : m_nodes)
        if (node->m_base)
            g_object_unref(node->m_base);
    g_object_unref(m_bed);
    g_main_loop_unref(m_loop);
    g_main_context_unref(m_context);
}

void FakeBed::onLoop(const std::function<void()>& fn)
{
    struct Call {
        const std::function<void()>* fn;
        std::promise<void> done;
    } call{&fn, {}};
    auto done = call.done.get_future();
    g_main_context_invoke(
        m_context,
        [](gpointer p) -> gboolean {
            auto* c = static_cast<Call*>(p);
            try {
                (*c->fn)();
                c->done.set_value();
            } catch (...) {
                c->done.set_exception(std::current_exception());
            }
            return G_SOURCE_REMOVE;
        },
        &call);
    done.get();
}

FakeHidraw& FakeBed::add(const FakeNodeProfile& profile, bool announce)
{
    auto node = std::make_unique<FakeHidraw>();
    node->m_profile = profile;
    FakeHidraw& n = *node;
    onLoop([&] {
        GError* error = nullptr;
        check(umockdev_testbed_add_from_string(m_bed, record(profile).c_str(), &error), error,
              "add_from_string");

        n.m_base = umockdev_ioctl_base_new();
        g_signal_connect(n.m_base, "handle-ioctl", G_CALLBACK(&FakeHidraw::onIoctl), &n);
        g_signal_connect(n.m_base, "handle-write", G_CALLBACK(&FakeHidraw::onWriteSignal), &n);
        check(umockdev_testbed_attach_ioctl(m_bed, n.devnode().c_str(), n.m_base, &error), error,
              "attach_ioctl");

        // Our own pty behind the node, raw so that every byte passes.
        n.m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (n.m_master < 0 || ::grantpt(n.m_master) != 0 || ::unlockpt(n.m_master) != 0)
            throw std::runtime_error("fake hidraw: no pty");
        char slavePath[64] = {};
        ::ptsname_r(n.m_master, slavePath, sizeof slavePath);
        n.m_slave = ::open(slavePath, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (n.m_slave < 0)
            throw std::runtime_error(std::string("fake hidraw: open slave: ") +
                                     std::strerror(errno));
        termios tio{};
        ::tcgetattr(n.m_slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(n.m_slave, TCSANOW, &tio);
        if (!profile.accessible)
            ::fchmod(n.m_slave, 0);

        const std::string link = std::string(umockdev_testbed_get_root_dir(m_bed)) + "/dev/hidraw" +
                                 std::to_string(profile.number);
        ::unlink(link.c_str());
        if (::symlink(slavePath, link.c_str()) != 0)
            throw std::runtime_error("fake hidraw: symlink");
        if (announce)
            umockdev_testbed_uevent(m_bed, n.syspath().c_str(), "add");
    });
    m_nodes.push_back(std::move(node));
    return n;
}

void FakeBed::unplug(FakeHidraw& node)
{
    node.hangUp();
    onLoop([&] {
        umockdev_testbed_uevent(m_bed, node.syspath().c_str(), "remove");
        umockdev_testbed_remove_device(m_bed, node.syspath().c_str());
        const std::string link = std::string(umockdev_testbed_get_root_dir(m_bed)) + "/dev/hidraw" +
                                 std::to_string(node.profile().number);
        ::unlink(link.c_str());
    });
}

NoDacOverride::NoDacOverride()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return;
    m_effective[0] = data[0].effective;
    m_effective[1] = data[1].effective;
    data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    // Per thread: only the calling thread loses the override.
    m_dropped = ::syscall(SYS_capset, &header, data) == 0;
}

NoDacOverride::~NoDacOverride()
{
    if (!m_dropped)
        return;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    ::syscall(SYS_capget, &header, data);
    data[0].effective = m_effective[0];
    data[1].effective = m_effective[1];
    ::syscall(SYS_capset, &header, data);
}

bool waitReadable(int fd, std::chrono::milliseconds timeout)
{
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, static_cast<int>(timeout.count())) > 0 && (p.revents & POLLIN);
}

} // namespace vms::test
