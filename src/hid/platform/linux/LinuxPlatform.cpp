#include "hid/platform/linux/LinuxPlatform.h"

#include "hid/platform/linux/Handles.h"
#include "hid/platform/linux/ReportDescriptor.h"

#include <linux/hidraw.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <mutex>
#include <string_view>

namespace hid::platform::linux_backend
{

namespace
{

ErrorCode lastError()
{
    return static_cast<ErrorCode>(errno);
}

std::u16string fromUtf8(std::string_view text)
{
    if (text.empty())
        return {};
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    const auto srcLength = static_cast<int32_t>(std::min<std::size_t>(text.size(), 65536));
    // Text from sysfs is whatever the device claimed: invalid UTF-8 becomes U+FFFD.
    u_strFromUTF8WithSub(nullptr, 0, &length, text.data(), srcLength, 0xFFFD, nullptr, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        return {};
    std::u16string out(static_cast<std::size_t>(length), u'\0');
    status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.data(), length, &length, text.data(), srcLength, 0xFFFD, nullptr,
                         &status);
    if (U_FAILURE(status))
        return {};
    out.resize(static_cast<std::size_t>(length));
    return out;
}

void copyOut(std::u16string_view text, std::span<char16_t> buffer)
{
    const std::size_t n = std::min(text.size(), buffer.size());
    std::copy_n(text.begin(), n, buffer.begin());
    if (n < buffer.size())
        buffer[n] = u'\0';
}

std::optional<std::uint32_t> parseHex(std::string_view text)
{
    std::uint32_t v = 0;
    const auto* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, v, 16);
    if (ec != std::errc{} || p != end)
        return std::nullopt;
    return v;
}

ErrorCode fromUsbError(int code)
{
    switch (code) {
    case LIBUSB_ERROR_ACCESS:
        return EACCES;
    case LIBUSB_ERROR_NO_DEVICE:
    case LIBUSB_ERROR_NOT_FOUND:
        return ENODEV;
    case LIBUSB_ERROR_PIPE:
        return EPIPE;
    case LIBUSB_ERROR_TIMEOUT:
        return ETIMEDOUT;
    case LIBUSB_ERROR_BUSY:
        return EBUSY;
    case LIBUSB_ERROR_NO_MEM:
        return ENOMEM;
    case LIBUSB_ERROR_NOT_SUPPORTED:
        return EOPNOTSUPP;
    default:
        return EIO;
    }
}

// The hidraw device behind a node, or none if udev no longer knows it.
UdevDevicePtr findHidraw(udev* context, const std::string& path)
{
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    UdevDevicePtr dev(udev_device_new_from_subsystem_sysname(context, "hidraw", name.c_str()));
    if (dev) {
        const char* node = udev_device_get_devnode(dev.get());
        if (node && path == node)
            return dev;
    }
    // Not under its usual name: look through the hidraw nodes.
    UdevEnumeratePtr en(udev_enumerate_new(context));
    if (!en)
        return nullptr;
    udev_enumerate_add_match_subsystem(en.get(), "hidraw");
    udev_enumerate_scan_devices(en.get());
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(en.get()))
    {
        UdevDevicePtr d(udev_device_new_from_syspath(context, udev_list_entry_get_name(entry)));
        const char* node = d ? udev_device_get_devnode(d.get()) : nullptr;
        if (node && path == node)
            return d;
    }
    return nullptr;
}

// State shared by the platform and every handle it made; handles may
// outlive the platform object.
struct Shared {
    UdevPtr udev;
    std::mutex usbMutex;
    UsbContextPtr usb;
    bool usbTried = false;

    libusb_context* usbContext()
    {
        std::lock_guard lock(usbMutex);
        if (!usbTried) {
            usbTried = true;
            // We only wrap usbfs nodes that udev showed us: no bus scan, no
            // hot-plug thread of libusb's own.
            libusb_set_option(nullptr, LIBUSB_OPTION_NO_DEVICE_DISCOVERY);
            libusb_context* ctx = nullptr;
            if (libusb_init(&ctx) == LIBUSB_SUCCESS)
                usb.reset(ctx);
        }
        return usb.get();
    }
};

std::optional<std::vector<std::uint8_t>> descriptorFromFd(int fd)
{
    int size = 0;
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0)
        return std::nullopt;
    if (size <= 0) {
        errno = ENODATA;
        return std::nullopt; // sysfs may still have it
    }
    hidraw_report_descriptor rd{};
    rd.size = static_cast<__u32>(std::min(size, HID_MAX_DESCRIPTOR_SIZE));
    if (::ioctl(fd, HIDIOCGRDESC, &rd) < 0)
        return std::nullopt;
    const std::size_t n = std::min<std::size_t>(rd.size, HID_MAX_DESCRIPTOR_SIZE);
    return std::vector<std::uint8_t>(rd.value, rd.value + n);
}

std::optional<std::vector<std::uint8_t>> descriptorFromSysfs(udev_device* hidraw)
{
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr);
    if (!hid)
        return std::nullopt;
    const std::string file = std::string(udev_device_get_syspath(hid)) + "/report_descriptor";
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return std::nullopt;
    std::vector<std::uint8_t> data(HID_MAX_DESCRIPTOR_SIZE);
    std::size_t have = 0;
    while (have < data.size()) {
        const ssize_t n = ::read(fd.get(), data.data() + have, data.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        have += static_cast<std::size_t>(n);
    }
    data.resize(have);
    return data;
}

class LinuxDeviceHandle final : public DeviceHandle
{
public:
    LinuxDeviceHandle(std::shared_ptr<Shared> shared, UdevDevicePtr hidraw, UniqueFd fd)
        : m_shared(std::move(shared)), m_hidraw(std::move(hidraw)), m_fd(std::move(fd))
    {
        m_hid = udev_device_get_parent_with_subsystem_devtype(m_hidraw.get(), "hid", nullptr);
        m_usb = udev_device_get_parent_with_subsystem_devtype(m_hidraw.get(), "usb", "usb_device");
    }

    OpenMode mode() const override
    {
        return m_fd.valid() ? OpenMode::ReadWrite : OpenMode::QueryOnly;
    }

    bool attributes(Attributes& out, ErrorCode& err) override
    {
        // HID_ID is "bus:vendor:product", each in hex.
        const char* id = m_hid ? udev_device_get_property_value(m_hid, "HID_ID") : nullptr;
        if (!id) {
            err = ENODATA;
            return false;
        }
        std::string_view s(id);
        const auto c1 = s.find(':');
        const auto c2 = c1 == std::string_view::npos ? c1 : s.find(':', c1 + 1);
        if (c2 == std::string_view::npos) {
            err = EINVAL;
            return false;
        }
        const auto vendor = parseHex(s.substr(c1 + 1, c2 - c1 - 1));
        const auto product = parseHex(s.substr(c2 + 1));
        if (!vendor || !product || *vendor > 0xFFFF || *product > 0xFFFF) {
            err = EINVAL;
            return false;
        }
        out.VendorID = static_cast<std::uint16_t>(*vendor);
        out.ProductID = static_cast<std::uint16_t>(*product);
        out.VersionNumber = 0;
        if (m_usb) {
            if (const char* bcd = udev_device_get_sysattr_value(m_usb, "bcdDevice")) {
                if (const auto v = parseHex(bcd); v && *v <= 0xFFFF)
                    out.VersionNumber = static_cast<std::uint16_t>(*v);
            }
        }
        return true;
    }

    bool reportLengths(ReportLengths& out, ErrorCode& err) override
    {
        if (!m_info) {
            errno = 0;
            auto bytes = m_fd.valid() ? descriptorFromFd(m_fd.get()) : std::nullopt;
            if (!bytes)
                bytes = descriptorFromSysfs(m_hidraw.get());
            if (!bytes) {
                err = errno != 0 ? lastError() : ENODATA;
                return false;
            }
            m_info = parseReportDescriptor(*bytes);
        }
        out = m_info->lengths;
        return true;
    }

    bool string(StringKind kind, std::span<char16_t> buffer, ErrorCode& err) override
    {
        const char* text = nullptr;
        if (m_usb) {
            const char* attr = kind == StringKind::Manufacturer ? "manufacturer"
                               : kind == StringKind::Product    ? "product"
                                                                : "serial";
            text = udev_device_get_sysattr_value(m_usb, attr);
        } else if (m_hid && kind != StringKind::Manufacturer) {
            text = udev_device_get_property_value(m_hid, kind == StringKind::Product ? "HID_NAME"
                                                                                     : "HID_UNIQ");
        }
        if (!text || !*text) {
            err = ENODATA;
            return false;
        }
        copyOut(fromUtf8(text), buffer);
        return true;
    }

    bool indexedString(std::uint8_t index, std::span<char16_t> buffer, ErrorCode& err) override
    {
        std::array<std::uint8_t, 255> langs{};
        UniqueFd usbfs;
        UsbHandlePtr handle = openUsb(usbfs, err);
        if (!handle)
            return false;
        const int nl = libusb_get_string_descriptor(handle.get(), 0, 0, langs.data(),
                                                    static_cast<int>(langs.size()));
        std::u16string langIds;
        if (nl >= 0)
            langIds = unitsOf(langs, nl);
        if (index == 0) {
            if (nl < 0) {
                err = fromUsbError(nl);
                return false;
            }
            copyOut(langIds, buffer);
            return true;
        }
        const std::uint16_t lang = langIds.empty() ? 0x0409 : langIds.front();
        std::array<std::uint8_t, 255> data{};
        const int n = libusb_get_string_descriptor(handle.get(), index, lang, data.data(),
                                                   static_cast<int>(data.size()));
        if (n < 0) {
            err = fromUsbError(n);
            return false;
        }
        copyOut(unitsOf(data, n), buffer);
        return true;
    }

    bool write(std::span<const std::uint8_t> report, ErrorCode& err) override
    {
        if (!m_fd.valid()) {
            err = EBADF;
            return false;
        }
        for (;;) {
            const ssize_t n = ::write(m_fd.get(), report.data(), report.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                err = lastError();
                return false;
            }
            if (static_cast<std::size_t>(n) != report.size()) {
                err = EIO; // hidraw takes a report whole or not at all
                return false;
            }
            return true;
        }
    }

private:
    // The units of a string descriptor, checked against its own length byte.
    static std::u16string unitsOf(const std::array<std::uint8_t, 255>& d, int got)
    {
        if (got < 2 || d[1] != LIBUSB_DT_STRING)
            return {};
        const std::size_t len = std::min<std::size_t>(d[0], static_cast<std::size_t>(got));
        std::u16string out;
        for (std::size_t i = 2; i + 1 < len; i += 2)
            out.push_back(static_cast<char16_t>(d[i] | (d[i + 1] << 8)));
        return out;
    }

    UsbHandlePtr openUsb(UniqueFd& usbfs, ErrorCode& err)
    {
        const char* node = m_usb ? udev_device_get_devnode(m_usb) : nullptr;
        if (!node) {
            err = ENODEV;
            return nullptr;
        }
        // Control transfers on endpoint 0 need no claim: the HID driver keeps
        // its interface.
        usbfs.reset(::open(node, O_RDWR | O_CLOEXEC));
        if (!usbfs.valid()) {
            err = lastError();
            return nullptr;
        }
        libusb_context* ctx = m_shared->usbContext();
        if (!ctx) {
            err = EIO;
            return nullptr;
        }
        libusb_device_handle* h = nullptr;
        const int rc = libusb_wrap_sys_device(ctx, usbfs.get(), &h);
        if (rc != LIBUSB_SUCCESS) {
            err = fromUsbError(rc);
            return nullptr;
        }
        return UsbHandlePtr(h);
    }

    std::shared_ptr<Shared> m_shared;
    UdevDevicePtr m_hidraw;
    udev_device* m_hid = nullptr; // parents belong to m_hidraw
    udev_device* m_usb = nullptr;
    UniqueFd m_fd;
    std::optional<DescriptorInfo> m_info;
};

class LinuxReadHandle final : public ReadHandle
{
public:
    LinuxReadHandle(UniqueFd fd, UniqueFd wake, bool numbered)
        : m_fd(std::move(fd)), m_wake(std::move(wake)), m_numbered(numbered)
    {
    }

    ReadResult read(std::span<std::uint8_t> buffer, std::size_t& bytesRead, ErrorCode& err) override
    {
        bytesRead = 0;
        const std::size_t offset = m_numbered ? 0 : 1;
        if (buffer.size() <= offset) {
            err = EINVAL;
            return ReadResult::Error;
        }
        for (;;) {
            if (m_cancelled.load())
                return ReadResult::Cancelled;
            pollfd fds[2] = {{m_fd.get(), POLLIN, 0}, {m_wake.get(), POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                err = lastError();
                return ReadResult::Error;
            }
            if (fds[1].revents != 0 || m_cancelled.load())
                return ReadResult::Cancelled;
            if (fds[0].revents & POLLNVAL) {
                err = EBADF;
                return ReadResult::Error;
            }
            if (fds[0].revents & (POLLERR | POLLHUP)) {
                // The node is gone or broken; a gone device reads as ENODEV.
                err = ENODEV;
                return ReadResult::Error;
            }
            if (!(fds[0].revents & POLLIN))
                continue;
            const ssize_t n = ::read(m_fd.get(), buffer.data() + offset, buffer.size() - offset);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN)
                    continue;
                err = lastError();
                return ReadResult::Error;
            }
            if (n == 0)
                return ReadResult::Empty;
            if (!m_numbered)
                buffer[0] = 0;
            bytesRead = static_cast<std::size_t>(n) + offset;
            return ReadResult::Report;
        }
    }

    void cancel() override
    {
        m_cancelled.store(true);
        const std::uint64_t one = 1;
        // The eventfd stays readable: every later poll() returns at once.
        [[maybe_unused]] const ssize_t n = ::write(m_wake.get(), &one, sizeof one);
    }

private:
    UniqueFd m_fd;
    UniqueFd m_wake;
    bool m_numbered;
    std::atomic<bool> m_cancelled{false};
};

class LinuxPlatform final : public Platform
{
public:
    explicit LinuxPlatform(std::shared_ptr<Shared> shared) : m_shared(std::move(shared))
    {
        // "udev" rather than "kernel": events come after the rules, so the
        // node's uaccess ACL is in place when the controller opens it.
        m_monitor.reset(udev_monitor_new_from_netlink(m_shared->udev.get(), "udev"));
        if (m_monitor) {
            udev_monitor_filter_add_match_subsystem_devtype(m_monitor.get(), "hidraw", nullptr);
            if (udev_monitor_enable_receiving(m_monitor.get()) < 0) {
                m_monitor.reset();
            } else {
                const int fd = udev_monitor_get_fd(m_monitor.get());
                ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            }
        }
    }

    std::vector<InterfaceId> enumerate() override
    {
        std::vector<InterfaceId> out;
        UdevEnumeratePtr en(udev_enumerate_new(m_shared->udev.get()));
        if (!en)
            return out;
        udev_enumerate_add_match_subsystem(en.get(), "hidraw");
        udev_enumerate_scan_devices(en.get());
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(en.get()))
        {
            UdevDevicePtr d(udev_device_new_from_syspath(m_shared->udev.get(),
                                                         udev_list_entry_get_name(entry)));
            if (!d)
                continue; // gone since the scan
            const char* node = udev_device_get_devnode(d.get());
            if (!node)
                continue;
            out.push_back({udev_device_get_syspath(d.get()), node});
        }
        // hidraw2 before hidraw10.
        std::sort(out.begin(), out.end(), [](const InterfaceId& a, const InterfaceId& b) {
            if (a.path.size() != b.path.size())
                return a.path.size() < b.path.size();
            return a.path < b.path;
        });
        return out;
    }

    std::unique_ptr<DeviceHandle> open(const std::string& path, OpenMode mode,
                                       ErrorCode& err) override
    {
        UniqueFd fd;
        if (mode == OpenMode::ReadWrite) {
            fd.reset(::open(path.c_str(), O_RDWR | O_CLOEXEC));
            if (!fd.valid()) {
                err = lastError();
                return nullptr;
            }
        }
        UdevDevicePtr dev = findHidraw(m_shared->udev.get(), path);
        if (!dev) {
            err = ENODEV;
            return nullptr;
        }
        return std::make_unique<LinuxDeviceHandle>(m_shared, std::move(dev), std::move(fd));
    }

    std::unique_ptr<ReadHandle> openRead(const std::string& path, ErrorCode& err) override
    {
        UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (!fd.valid()) {
            err = lastError();
            return nullptr;
        }
        UniqueFd wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        if (!wake.valid()) {
            err = lastError();
            return nullptr;
        }
        // The node may be a new device's by now, or none at all. This may run
        // on a read thread, and a udev context must stay with one thread: this
        // call has a context of its own.
        UdevPtr context(udev_new());
        UdevDevicePtr dev = context ? findHidraw(context.get(), path) : nullptr;
        if (!dev) {
            err = ENODEV;
            return nullptr;
        }
        auto bytes = descriptorFromFd(fd.get());
        if (!bytes)
            bytes = descriptorFromSysfs(dev.get());
        // Without a descriptor, assume unnumbered reports, as most devices send.
        const bool numbered = bytes ? parseReportDescriptor(*bytes).numbered : false;
        return std::make_unique<LinuxReadHandle>(std::move(fd), std::move(wake), numbered);
    }

    std::string errorMessage(ErrorCode code) override
    {
        char buf[256] = {};
        return ::strerror_r(static_cast<int>(code), buf, sizeof buf);
    }

    std::optional<std::u16string> languageName(std::uint16_t langId) override
    {
        char locale[ULOC_FULLNAME_CAPACITY] = {};
        UErrorCode status = U_ZERO_ERROR;
        const int32_t n = uloc_getLocaleForLCID(langId, locale, sizeof locale, &status);
        if (U_FAILURE(status) || n <= 0 || status == U_STRING_NOT_TERMINATED_WARNING)
            return std::nullopt;
        UChar name[257] = {};
        status = U_ZERO_ERROR;
        const int32_t len = uloc_getDisplayName(locale, nullptr, name, 256, &status);
        if (U_FAILURE(status) || len <= 0)
            return std::nullopt;
        return std::u16string(name, static_cast<std::size_t>(std::min(len, 256)));
    }

    void setChangeListener(std::function<void()> listener) override
    {
        m_listener = std::move(listener);
    }

    int changeFd() const override { return m_monitor ? udev_monitor_get_fd(m_monitor.get()) : -1; }

    void processChanges() override
    {
        if (!m_monitor)
            return;
        bool changed = false;
        while (UdevDevicePtr d{udev_monitor_receive_device(m_monitor.get())})
            changed = true;
        if (changed && m_listener)
            m_listener();
    }

private:
    std::shared_ptr<Shared> m_shared;
    UdevMonitorPtr m_monitor;
    std::function<void()> m_listener;
};

} // namespace

std::unique_ptr<Platform> makeLinuxPlatform(ErrorCode& err)
{
    auto shared = std::make_shared<Shared>();
    shared->udev.reset(udev_new());
    if (!shared->udev) {
        err = errno != 0 ? lastError() : ENOMEM;
        return nullptr;
    }
    return std::make_unique<LinuxPlatform>(std::move(shared));
}

} // namespace hid::platform::linux_backend
