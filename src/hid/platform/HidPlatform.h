#pragma once

// The platform seam of the HID layer: only the operations the layer needs.
// Every back end (linux/, virtual/) implements it in full; nothing above the
// seam knows which one runs. Plain C++20, no Qt.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace hid::platform
{

// System error code of the back end (errno on Linux); 0 means no error.
using ErrorCode = std::uint32_t;
inline constexpr ErrorCode NoError = 0;

// One HID interface as the back end lists it.
struct InterfaceId {
    std::string identity; // stable while the interface is present (udev syspath on Linux)
    std::string path;     // what open() takes (/dev/hidrawN on Linux)
    friend bool operator==(const InterfaceId&, const InterfaceId&) = default;
};

struct Attributes {
    std::uint16_t VendorID = 0;
    std::uint16_t ProductID = 0;
    std::uint16_t VersionNumber = 0;
};

// Report lengths in bytes, the report-ID byte included; 0 when the interface has none.
struct ReportLengths {
    std::uint16_t Usage = 0;
    std::uint16_t UsagePage = 0;
    std::uint16_t InputReportByteLength = 0;
    std::uint16_t OutputReportByteLength = 0;
    std::uint16_t FeatureReportByteLength = 0;
};

enum class OpenMode {
    ReadWrite, // queries and writes
    QueryOnly  // ids and strings only, for interfaces the user may not open
};

enum class StringKind { Manufacturer, Product, Serial };

// An open interface for queries and synchronous writes. Used on the main thread.
class DeviceHandle
{
public:
    virtual ~DeviceHandle() = default;

    virtual OpenMode mode() const = 0;
    virtual bool attributes(Attributes& out, ErrorCode& err) = 0;
    virtual bool reportLengths(ReportLengths& out, ErrorCode& err) = 0;

    // Strings are copied into `buffer` as UTF-16 units, zero-terminated when
    // there is room; units past the string are left as they were. Index 0 of
    // indexedString() yields the language ids, one per unit.
    virtual bool string(StringKind kind, std::span<char16_t> buffer, ErrorCode& err) = 0;
    virtual bool indexedString(std::uint8_t index, std::span<char16_t> buffer, ErrorCode& err) = 0;

    // Writes one whole output report (report ID first); returns when the
    // system has taken it. Needs a ReadWrite handle.
    virtual bool write(std::span<const std::uint8_t> report, ErrorCode& err) = 0;
};

enum class ReadResult {
    Report,   // one input report in the buffer, report ID first
    Empty,    // the read finished without data or with a failure: dropped silently
    Error,    // the read could not be done; err tells why (reported to the application)
    Cancelled // cancel() was called
};

// The read side of an interface, used by one read thread.
class ReadHandle
{
public:
    virtual ~ReadHandle() = default;

    // Blocks until one input report arrives, the read fails, or cancel() is
    // called; never spins. An interface without numbered reports still gets
    // a report ID byte (0) in front.
    virtual ReadResult read(std::span<std::uint8_t> buffer, std::size_t& bytesRead,
                            ErrorCode& err) = 0;

    // From any thread. Sticky: a blocked read returns at once and every later
    // read returns Cancelled without blocking.
    virtual void cancel() = 0;
};

class Platform
{
public:
    virtual ~Platform() = default;

    // The interfaces present now, in a stable order.
    virtual std::vector<InterfaceId> enumerate() = 0;

    virtual std::unique_ptr<DeviceHandle> open(const std::string& path, OpenMode mode,
                                               ErrorCode& err) = 0;
    virtual std::unique_ptr<ReadHandle> openRead(const std::string& path, ErrorCode& err) = 0;

    // The system's text for an error code.
    virtual std::string errorMessage(ErrorCode code) = 0;

    // The display name of a USB language id, or nothing if the system has none.
    virtual std::optional<std::u16string> languageName(std::uint16_t langId) = 0;

    // `listener` is called whenever the set of interfaces may have changed,
    // from any thread; the controller moves it onto the main thread.
    virtual void setChangeListener(std::function<void()> listener) = 0;

    // A file descriptor the main loop watches (-1 if the back end has none);
    // when it is readable, the main loop calls processChanges().
    virtual int changeFd() const { return -1; }
    virtual void processChanges() {}
};

} // namespace hid::platform
