#pragma once

// Owning wrappers for the handles of the Linux back end.

#include <libudev.h>
#include <libusb.h>
#include <unistd.h>

#include <memory>
#include <utility>

namespace hid::platform::linux_backend
{

class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd&& o) noexcept : m_fd(std::exchange(o.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& o) noexcept
    {
        if (this != &o)
            reset(std::exchange(o.m_fd, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

struct UdevDeleter {
    void operator()(udev* p) const { udev_unref(p); }
    void operator()(udev_device* p) const { udev_device_unref(p); }
    void operator()(udev_enumerate* p) const { udev_enumerate_unref(p); }
    void operator()(udev_monitor* p) const { udev_monitor_unref(p); }
};

using UdevPtr = std::unique_ptr<udev, UdevDeleter>;
using UdevDevicePtr = std::unique_ptr<udev_device, UdevDeleter>;
using UdevEnumeratePtr = std::unique_ptr<udev_enumerate, UdevDeleter>;
using UdevMonitorPtr = std::unique_ptr<udev_monitor, UdevDeleter>;

struct UsbDeleter {
    void operator()(libusb_context* p) const { libusb_exit(p); }
    void operator()(libusb_device_handle* p) const { libusb_close(p); }
};

using UsbContextPtr = std::unique_ptr<libusb_context, UsbDeleter>;
using UsbHandlePtr = std::unique_ptr<libusb_device_handle, UsbDeleter>;

} // namespace hid::platform::linux_backend
