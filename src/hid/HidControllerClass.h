#pragma once

// The HID device layer: a controller that keeps one THidDevice per HID
// interface present, lends devices to the application and follows plugging
// and unplugging; each lent device reads its input reports on a thread of its
// own and hands them to the main thread.
//
// Ownership: the controller owns the devices that are checked in. A device
// returned by CheckOutByIndex belongs to the caller, who hands it back by
// destroying it (delete, or let the unique_ptr go); the controller's list
// keeps only a non-owning pointer to it meanwhile. If the interface is still
// present, the controller puts a fresh checked-in object in its place with the
// same data handlers. A device may outlive its controller: it is then marked
// unplugged and fails every operation.
//
// Threads: everything but the read threads runs on the main thread, the one
// that created the MainThreadHandoff. The platform and the hand-off must
// outlive the controller and every device it lent.

#include "hid/MainThreadHandoff.h"
#include "hid/platform/HidPlatform.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace hid
{

class THidDevice;
class THidDeviceController;

class EControllerError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

using THidEnumerateEvent = std::function<bool(THidDevice* HidDev, int Idx)>;
using THidPlugEvent = std::function<void(THidDevice* HidDev)>;
using THidDataEvent = std::function<void(THidDevice* HidDev, std::uint8_t ReportID,
                                         const std::uint8_t* Data, std::uint16_t Size)>;
using THidDataErrorEvent = std::function<void(THidDevice* HidDev, std::uint32_t Error)>;
using TNotifyEvent = std::function<void()>;

enum class THidOpenExMode { omhRead, omhWrite };

struct THIDDAttributes {
    std::uint32_t Size = 0;
    std::uint16_t VendorID = 0;
    std::uint16_t ProductID = 0;
    std::uint16_t VersionNumber = 0;
};

// Usage, usage page and report lengths in bytes, report ID included.
using THIDPCaps = platform::ReportLengths;

// The system error code of the last failed operation on this thread (a
// failed open or WriteFile); errno values on Linux.
std::uint32_t GetLastError();
void SetLastError(std::uint32_t Error);

class THidPnPInfo
{
public:
    explicit THidPnPInfo(platform::InterfaceId Id)
        : FDeviceID(std::move(Id.identity)), FDevicePath(std::move(Id.path))
    {
    }

    const std::string& DeviceID() const { return FDeviceID; }
    const std::string& DevicePath() const { return FDevicePath; }

private:
    std::string FDeviceID;
    std::string FDevicePath;
};

class THidDeviceReadThread
{
public:
    // Only a device creates its read thread: this one throws EControllerError.
    THidDeviceReadThread();
    ~THidDeviceReadThread();

    THidDeviceReadThread(const THidDeviceReadThread&) = delete;
    THidDeviceReadThread& operator=(const THidDeviceReadThread&) = delete;

    // Touched by the read thread, and by the main thread only inside a
    // delivery, while the read thread waits for it.
    std::uint32_t FErr = 0;
    THidDevice* Device = nullptr;
    std::size_t NumBytesRead = 0;
    std::vector<std::uint8_t> Report;

private:
    friend class THidDevice;

    THidDeviceReadThread(THidDevice* Dev, std::size_t ReportLength);
    // The thread keeps `Self` alive until it ends.
    void Start(std::shared_ptr<THidDeviceReadThread> Self);
    // Main thread: asks the thread to end and waits, running its pending
    // deliveries meanwhile. Called from inside one of the thread's own
    // deliveries it cannot wait: the thread is then left to end by itself as
    // soon as that delivery returns, without touching the device again.
    void Stop();
    void Execute();
    void SyncHandleData();
    void SyncHandleError();

    MainThreadHandoff* FHandoff = nullptr;
    std::thread FThread;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    bool FInDelivery = false; // main thread only
    bool FDetached = false;   // set before the thread's delivery returns
};

class THidDevice
{
public:
    // Only the controller creates devices: this one throws EControllerError.
    THidDevice();
    // Hands a checked-out device back to its controller.
    virtual ~THidDevice();

    THidDevice(const THidDevice&) = delete;
    THidDevice& operator=(const THidDevice&) = delete;

    const THIDDAttributes& Attributes() const { return FAttributes; }
    // All zero when the report lengths cannot be had.
    THIDPCaps Caps();
    std::u16string VendorName();
    std::u16string ProductName();
    std::u16string SerialNumber();
    std::u16string IndexedString(int Idx);
    std::vector<std::u16string> LanguageStrings();

    // Writes one output report, report ID first. On failure GetLastError()
    // tells why.
    bool WriteFile(const std::uint8_t* Report, std::uint32_t ToWrite, std::uint32_t& BytesWritten);
    bool WriteFile(std::span<const std::uint8_t> Report, std::uint32_t& BytesWritten)
    {
        return WriteFile(Report.data(), static_cast<std::uint32_t>(Report.size()), BytesWritten);
    }

    // The system's text for an error code.
    std::string SysErrorMessage(std::uint32_t Error) const;

    // Setting a handler on a checked-out device starts its read thread;
    // clearing it stops the thread (and waits for it).
    void SetOnData(THidDataEvent Handler);
    const THidDataEvent& OnData() const { return FData; }
    void SetOnDataError(THidDataErrorEvent Handler) { FDataError = std::move(Handler); }
    const THidDataErrorEvent& OnDataError() const { return FDataError; }
    void SetOnUnplug(THidPlugEvent Handler) { FUnplug = std::move(Handler); }
    const THidPlugEvent& OnUnplug() const { return FUnplug; }

    bool IsPluggedIn() const { return FIsPluggedIn; }
    bool IsCheckedOut() const { return FIsCheckedOut; }
    bool IsEnumerated() const { return FIsEnumerated; }
    bool HasReadWriteAccess() const { return FHasReadWriteAccess; }
    bool IsReading() const { return FDataThread != nullptr; }
    THidDeviceController* MyController() const { return FMyController; }
    const THidPnPInfo& PnPInfo() const { return *FPnPInfo; }

    int ThreadSleepTime() const { return FThreadSleepTime; }
    // Accepts 10 to 10000 ms; other values are ignored.
    void SetThreadSleepTime(int Value);

    bool OpenFile();
    bool OpenFileEx(THidOpenExMode Mode);
    void CloseFile();
    void CloseFileEx(THidOpenExMode Mode);

    std::intptr_t FTag = 0; // free for the application

    // Never the same for two objects of a run, unlike their addresses, which
    // the allocator reuses: tells whether a pointer still means this object.
    std::uint64_t Serial() const { return FSerial; }

private:
    friend class THidDeviceController;
    friend class THidDeviceReadThread;

    // Device creation; throws EControllerError "device cannot be opened" or
    // "device cannot be identified".
    THidDevice(std::unique_ptr<THidPnPInfo> PnPInfo, THidDeviceController* Controller,
               platform::Platform& Platform, MainThreadHandoff& Handoff);

    bool IsAccessible() const;
    void StartThread();
    void StopThread();
    void CloseAll();
    // Read thread: the read handle, opened on demand; null with Err set if it
    // is refused.
    std::shared_ptr<platform::ReadHandle> AcquireReadHandle(platform::ErrorCode& Err);
    void ReleaseReadHandle(const std::shared_ptr<platform::ReadHandle>& Handle);

    THidDeviceController* FMyController = nullptr;
    platform::Platform* FPlatform = nullptr;
    MainThreadHandoff* FHandoff = nullptr;
    std::atomic<bool> FIsPluggedIn{true};
    std::atomic<bool> FIsCheckedOut{false};
    std::atomic<bool> FIsEnumerated{false};
    std::unique_ptr<platform::DeviceHandle> FHidFileHandle;
    std::mutex FReadLock; // guards FHidOverlappedRead and FReadRefused
    std::shared_ptr<platform::ReadHandle> FHidOverlappedRead;
    bool FReadRefused = false; // set when the read thread is asked to end
    THIDDAttributes FAttributes;
    std::unique_ptr<THidPnPInfo> FPnPInfo;
    std::u16string FVendorName;
    std::u16string FProductName;
    std::u16string FSerialNumber;
    bool FHasPreparsedData = false;
    THIDPCaps FPreparsedData;
    std::vector<std::u16string> FLanguageStrings;
    int FThreadSleepTime = 100;
    THidDataEvent FData;
    THidDataErrorEvent FDataError;
    THidPlugEvent FUnplug;
    bool FHasReadWriteAccess = false;
    std::shared_ptr<THidDeviceReadThread> FDataThread;
    const std::uint64_t FSerial;
};

class THidDeviceController
{
public:
    // Queues the initial device-change notification through `Handoff`; the
    // first scan runs when the main thread drains it (or when OnDeviceChange
    // is set, whichever comes first).
    THidDeviceController(platform::Platform& Platform, MainThreadHandoff& Handoff);
    ~THidDeviceController();

    THidDeviceController(const THidDeviceController&) = delete;
    THidDeviceController& operator=(const THidDeviceController&) = delete;

    // Offers every plugged-in device to OnEnumerate in list order until it
    // returns false; returns the number offered.
    int Enumerate();

    // On success the caller owns HidDev and hands it back by destroying it.
    bool CheckOutByIndex(THidDevice*& HidDev, int Idx);
    std::unique_ptr<THidDevice> CheckOutByIndex(int Idx);

    // Setting a handler (unless both old and new are empty) runs a scan at once.
    void SetOnDeviceChange(TNotifyEvent Handler);
    const TNotifyEvent& OnDeviceChange() const { return FDeviceChangeEvent; }
    void SetOnArrival(THidPlugEvent Handler) { FArrivalEvent = std::move(Handler); }
    void SetOnRemoval(THidPlugEvent Handler) { FRemovalEvent = std::move(Handler); }
    void SetOnEnumerate(THidEnumerateEvent Handler) { FEnumerateEvent = std::move(Handler); }
    // Handlers that each newly created device takes over.
    void SetOnDeviceData(THidDataEvent Handler) { FDevDataEvent = std::move(Handler); }
    void SetOnDeviceDataError(THidDataErrorEvent Handler)
    {
        FDevDataErrorEvent = std::move(Handler);
    }
    void SetOnDeviceUnplug(THidPlugEvent Handler) { FDevUnplugEvent = std::move(Handler); }

    int NumCheckedInDevices() const { return FNumCheckedInDevices; }
    int NumCheckedOutDevices() const { return FNumCheckedOutDevices; }
    int NumUnpluggedDevices() const { return FNumUnpluggedDevices; }
    const std::string& Version() const { return FVersion; }

    // The list, in order of discovery (non-owning for checked-out devices).
    int Count() const { return static_cast<int>(FList.size()); }
    THidDevice* Items(int Idx) const;

    std::string SysErrorMessage(std::uint32_t Error) const;

private:
    friend class THidDevice;

    void DeviceChangeMessage(std::intptr_t LParam);
    void GuardedDeviceChange();
    void DeviceChange();
    std::vector<std::unique_ptr<THidDevice>> InterfaceScan();
    void CountDevices();
    void HandBack(THidDevice* Device, THidDataEvent Data, THidPlugEvent Unplug);
    void RaisePlugEvent(const THidPlugEvent& Event, THidDevice* Device);

    platform::Platform& FPlatform;
    MainThreadHandoff& FHandoff;
    std::shared_ptr<THidDeviceController*> FAlive; // posted calls check it
    THidPlugEvent FArrivalEvent;
    TNotifyEvent FDeviceChangeEvent;
    THidEnumerateEvent FEnumerateEvent;
    THidDataEvent FDevDataEvent;
    THidDataErrorEvent FDevDataErrorEvent;
    THidPlugEvent FDevUnplugEvent;
    THidPlugEvent FRemovalEvent;
    int FDevThreadSleepTime = 100;
    std::string FVersion = "1.0.34";
    std::vector<THidDevice*> FList; // owns the checked-in devices
    int FNumCheckedInDevices = 0;
    int FNumCheckedOutDevices = 0;
    int FNumUnpluggedDevices = 0;
    bool FInDeviceChange = false;
    bool FMissedDeviceChange = false;
    std::intptr_t FLParam = 0;
};

} // namespace hid
