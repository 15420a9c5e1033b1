#include "hid/HidControllerClass.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <utility>

namespace hid
{

namespace
{

thread_local std::uint32_t tLastError = 0;

// String requests use buffers of 254 wide characters.
using StringBuffer = std::array<char16_t, 254>;

std::u16string UpToZero(const StringBuffer& Buffer)
{
    auto end = std::find(Buffer.begin(), Buffer.end(), u'\0');
    return std::u16string(Buffer.begin(), end);
}

// Number of characters the system wrote into a buffer that was filled with
// FFFF: up to the last one that is not FFFF, less a terminating zero.
std::size_t WrittenLength(const StringBuffer& Buffer)
{
    auto last =
        std::find_if(Buffer.rbegin(), Buffer.rend(), [](char16_t c) { return c != 0xFFFF; });
    std::size_t n = static_cast<std::size_t>(Buffer.rend() - last);
    if (n > 0 && Buffer[n - 1] == 0)
        --n;
    return n;
}

std::uint64_t NextSerial()
{
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

// Whether the list still holds this very object; a handler may have
// destroyed it, and a new object may have its address by now.
bool Holds(const std::vector<THidDevice*>& List, const THidDevice* Device, std::uint64_t Serial)
{
    const auto pos = std::find(List.begin(), List.end(), Device);
    return pos != List.end() && (*pos)->Serial() == Serial;
}

// Runs a handler on the device it is offered; the flag is cleared afterwards
// unless the handler destroyed the device.
template <typename Call>
void Offer(const std::vector<THidDevice*>& List, THidDevice* Device, std::atomic<bool>& Flag,
           Call&& call)
{
    const std::uint64_t serial = Device->Serial();
    Flag = true;
    call();
    if (Holds(List, Device, serial))
        Flag = false;
}

// Sets a flag for the life of a scope, also when a handler throws.
class RaisedWhile
{
public:
    explicit RaisedWhile(bool& Flag) : FFlag(Flag) { FFlag = true; }
    ~RaisedWhile() { FFlag = false; }
    RaisedWhile(const RaisedWhile&) = delete;
    RaisedWhile& operator=(const RaisedWhile&) = delete;

private:
    bool& FFlag;
};

} // namespace

std::uint32_t GetLastError()
{
    return tLastError;
}

void SetLastError(std::uint32_t Error)
{
    tLastError = Error;
}

// ---------------------------------------------------------------------------
// THidDeviceReadThread

THidDeviceReadThread::THidDeviceReadThread()
{
    throw EControllerError("Direct creation of a THidDeviceReadThread object is not allowed");
}

THidDeviceReadThread::THidDeviceReadThread(THidDevice* Dev, std::size_t ReportLength)
    : Device(Dev), Report(ReportLength), FHandoff(Dev->FHandoff)
{
}

THidDeviceReadThread::~THidDeviceReadThread()
{
    // Only reached once the thread has been joined or detached.
}

void THidDeviceReadThread::Start(std::shared_ptr<THidDeviceReadThread> Self)
{
    FThread = std::thread([self = std::move(Self)] { self->Execute(); });
}

void THidDeviceReadThread::Stop()
{
    FTerminated = true;
    {
        std::lock_guard lock(Device->FReadLock);
        Device->FReadRefused = true;
        if (Device->FHidOverlappedRead) {
            Device->FHidOverlappedRead->cancel();
            Device->FHidOverlappedRead.reset();
        }
    }
    if (!FThread.joinable())
        return;
    if (FInDelivery) {
        // We are inside this thread's delivery, so it cannot end before we
        // return; it ends on its own right after.
        FDetached = true;
        FThread.detach();
        return;
    }
    FHandoff->runUntilFinished(FThread.get_id(), [this] { return FFinished.load(); });
    FThread.join();
}

void THidDeviceReadThread::Execute()
{
    while (!FTerminated) {
        std::fill(Report.begin(), Report.end(), std::uint8_t{0});
        platform::ErrorCode err = platform::NoError;
        std::shared_ptr<platform::ReadHandle> handle = Device->AcquireReadHandle(err);
        if (!handle) {
            if (FTerminated)
                break;
            FErr = err;
            FHandoff->invoke([this] { SyncHandleError(); });
            continue;
        }
        std::size_t bytesRead = 0;
        switch (handle->read(Report, bytesRead, err)) {
        case platform::ReadResult::Report:
            NumBytesRead = std::min(bytesRead, Report.size());
            if (NumBytesRead > 0)
                FHandoff->invoke([this] { SyncHandleData(); });
            break;
        case platform::ReadResult::Empty:
            break;
        case platform::ReadResult::Error:
            FErr = err;
            FHandoff->invoke([this] { SyncHandleError(); });
            break;
        case platform::ReadResult::Cancelled:
            if (!FTerminated)
                Device->ReleaseReadHandle(handle);
            break;
        }
    }
    // Nobody waits for a detached thread, and the hand-off may be gone.
    if (FDetached)
        return;
    FFinished = true;
    FHandoff->notifyFinished();
}

void THidDeviceReadThread::SyncHandleData()
{
    // The handler may destroy the device; work on copies.
    THidDataEvent handler = Device->FData;
    if (!handler || NumBytesRead == 0)
        return;
    const RaisedWhile raised{FInDelivery};
    const auto size = static_cast<std::uint16_t>(std::min<std::size_t>(NumBytesRead - 1, 0xFFFF));
    handler(Device, Report[0], Report.data() + 1, size);
}

void THidDeviceReadThread::SyncHandleError()
{
    THidDataErrorEvent handler = Device->FDataError;
    if (!handler)
        return;
    const RaisedWhile raised{FInDelivery};
    handler(Device, FErr);
}

// ---------------------------------------------------------------------------
// THidDevice

THidDevice::THidDevice() : FSerial(0)
{
    throw EControllerError("Direct creation of a THidDevice object is not allowed");
}

THidDevice::THidDevice(std::unique_ptr<THidPnPInfo> PnPInfo, THidDeviceController* Controller,
                       platform::Platform& Platform, MainThreadHandoff& Handoff)
    : FMyController(Controller), FPlatform(&Platform), FHandoff(&Handoff),
      FPnPInfo(std::move(PnPInfo)), FSerial(NextSerial())
{
    if (Controller != nullptr) {
        FData = Controller->FDevDataEvent;
        FDataError = Controller->FDevDataErrorEvent;
        FUnplug = Controller->FDevUnplugEvent;
        FThreadSleepTime = Controller->FDevThreadSleepTime;
    }
    platform::ErrorCode err = platform::NoError;
    auto handle = FPlatform->open(FPnPInfo->DevicePath(), platform::OpenMode::ReadWrite, err);
    FHasReadWriteAccess = handle != nullptr;
    if (!handle)
        handle = FPlatform->open(FPnPInfo->DevicePath(), platform::OpenMode::QueryOnly, err);
    if (!handle)
        throw EControllerError("device cannot be opened");
    platform::Attributes attributes;
    if (!handle->attributes(attributes, err))
        throw EControllerError("device cannot be identified");
    FAttributes.Size = 12;
    FAttributes.VendorID = attributes.VendorID;
    FAttributes.ProductID = attributes.ProductID;
    FAttributes.VersionNumber = attributes.VersionNumber;
}

THidDevice::~THidDevice()
{
    THidDataEvent data = FData;
    THidPlugEvent unplug = FUnplug;
    StopThread();
    FUnplug = nullptr;
    CloseAll();
    FLanguageStrings.clear();
    if (FMyController != nullptr)
        FMyController->HandBack(this, std::move(data), std::move(unplug));
}

bool THidDevice::IsAccessible() const
{
    return FIsPluggedIn && (FIsCheckedOut || FIsEnumerated);
}

bool THidDevice::OpenFile()
{
    if (FHidFileHandle)
        return true;
    if (!IsAccessible()) {
        SetLastError(ENODEV);
        return false;
    }
    platform::ErrorCode err = platform::NoError;
    auto handle = FPlatform->open(FPnPInfo->DevicePath(), platform::OpenMode::ReadWrite, err);
    FHasReadWriteAccess = handle != nullptr;
    if (!handle)
        handle = FPlatform->open(FPnPInfo->DevicePath(), platform::OpenMode::QueryOnly, err);
    if (!handle) {
        SetLastError(err);
        return false;
    }
    FHidFileHandle = std::move(handle);
    return true;
}

bool THidDevice::OpenFileEx(THidOpenExMode Mode)
{
    if (Mode == THidOpenExMode::omhWrite)
        return false; // nothing writes through an overlapped handle
    platform::ErrorCode err = platform::NoError;
    bool ok = AcquireReadHandle(err) != nullptr;
    if (!ok)
        SetLastError(err);
    return ok;
}

void THidDevice::CloseFile()
{
    FHidFileHandle.reset();
}

void THidDevice::CloseFileEx(THidOpenExMode Mode)
{
    if (Mode == THidOpenExMode::omhWrite)
        return;
    std::lock_guard lock(FReadLock);
    if (FHidOverlappedRead) {
        FHidOverlappedRead->cancel();
        FHidOverlappedRead.reset();
    }
}

void THidDevice::CloseAll()
{
    CloseFile();
    CloseFileEx(THidOpenExMode::omhRead);
    CloseFileEx(THidOpenExMode::omhWrite);
}

std::shared_ptr<platform::ReadHandle> THidDevice::AcquireReadHandle(platform::ErrorCode& Err)
{
    std::lock_guard lock(FReadLock);
    if (FReadRefused) {
        Err = ECANCELED;
        return nullptr;
    }
    if (!IsAccessible()) {
        Err = ENODEV;
        return nullptr;
    }
    if (!FHidOverlappedRead) {
        auto handle = FPlatform->openRead(FPnPInfo->DevicePath(), Err);
        if (!handle)
            return nullptr;
        FHidOverlappedRead = std::move(handle);
    }
    return FHidOverlappedRead;
}

void THidDevice::ReleaseReadHandle(const std::shared_ptr<platform::ReadHandle>& Handle)
{
    std::lock_guard lock(FReadLock);
    if (FHidOverlappedRead == Handle)
        FHidOverlappedRead.reset();
}

THIDPCaps THidDevice::Caps()
{
    if (!FHasPreparsedData && OpenFile()) {
        platform::ReportLengths lengths;
        platform::ErrorCode err = platform::NoError;
        if (FHidFileHandle->reportLengths(lengths, err)) {
            FPreparsedData = lengths;
            FHasPreparsedData = true;
        }
        CloseFile();
    }
    return FHasPreparsedData ? FPreparsedData : THIDPCaps{};
}

namespace
{

std::u16string QueryString(platform::DeviceHandle& Handle, platform::StringKind Kind)
{
    StringBuffer buffer{};
    platform::ErrorCode err = platform::NoError;
    if (!Handle.string(Kind, buffer, err))
        return {};
    return UpToZero(buffer);
}

} // namespace

std::u16string THidDevice::VendorName()
{
    if (FVendorName.empty() && OpenFile()) {
        FVendorName = QueryString(*FHidFileHandle, platform::StringKind::Manufacturer);
        CloseFile();
    }
    return FVendorName;
}

std::u16string THidDevice::ProductName()
{
    if (FProductName.empty() && OpenFile()) {
        FProductName = QueryString(*FHidFileHandle, platform::StringKind::Product);
        CloseFile();
    }
    return FProductName;
}

std::u16string THidDevice::SerialNumber()
{
    if (FSerialNumber.empty() && OpenFile()) {
        StringBuffer serial{};
        platform::ErrorCode err = platform::NoError;
        if (FHidFileHandle->string(platform::StringKind::Serial, serial, err)) {
            // Some devices answer the serial request with their language
            // list; such a serial is no serial.
            StringBuffer languages;
            languages.fill(0xFFFF);
            FHidFileHandle->indexedString(0, languages, err);
            const std::size_t n = WrittenLength(languages);
            if (!std::equal(serial.begin(), serial.begin() + static_cast<std::ptrdiff_t>(n),
                            languages.begin()))
                FSerialNumber = UpToZero(serial);
        }
        CloseFile();
    }
    return FSerialNumber;
}

std::u16string THidDevice::IndexedString(int Idx)
{
    if (Idx <= 0 || Idx > 255 || !OpenFile())
        return {};
    StringBuffer buffer{};
    platform::ErrorCode err = platform::NoError;
    if (!FHidFileHandle->indexedString(static_cast<std::uint8_t>(Idx), buffer, err))
        return {};
    return UpToZero(buffer);
}

std::vector<std::u16string> THidDevice::LanguageStrings()
{
    if (FLanguageStrings.empty() && OpenFile()) {
        StringBuffer languages;
        languages.fill(0xFFFF);
        platform::ErrorCode err = platform::NoError;
        const bool ok = FHidFileHandle->indexedString(0, languages, err);
        const std::size_t n = ok ? WrittenLength(languages) : 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (auto name = FPlatform->languageName(languages[i])) {
                if (name->size() > 256)
                    name->resize(256);
                FLanguageStrings.push_back(std::move(*name));
                continue;
            }
            char text[32];
            std::snprintf(text, sizeof text, "unknown Locale ID $%.4x",
                          static_cast<unsigned>(languages[i]));
            std::string narrow(text);
            FLanguageStrings.emplace_back(narrow.begin(), narrow.end());
        }
        CloseFile();
    }
    return FLanguageStrings;
}

bool THidDevice::WriteFile(const std::uint8_t* Report, std::uint32_t ToWrite,
                           std::uint32_t& BytesWritten)
{
    BytesWritten = 0;
    if (Report == nullptr && ToWrite > 0) {
        SetLastError(EINVAL);
        return false;
    }
    if (!OpenFile())
        return false;
    platform::ErrorCode err = platform::NoError;
    if (!FHidFileHandle->write(std::span<const std::uint8_t>(Report, ToWrite), err)) {
        SetLastError(err);
        return false;
    }
    BytesWritten = ToWrite;
    return true;
}

std::string THidDevice::SysErrorMessage(std::uint32_t Error) const
{
    return FPlatform->errorMessage(Error);
}

void THidDevice::SetThreadSleepTime(int Value)
{
    if (Value >= 10 && Value <= 10000)
        FThreadSleepTime = Value;
}

void THidDevice::SetOnData(THidDataEvent Handler)
{
    if (!Handler)
        StopThread();
    FData = std::move(Handler);
    StartThread();
}

void THidDevice::StartThread()
{
    if (!FData || !FIsPluggedIn || !FIsCheckedOut || FDataThread)
        return;
    if (!OpenFile() || !FHasReadWriteAccess)
        return;
    const std::size_t length = Caps().InputReportByteLength;
    // Without input reports every read would fail at once, again and again.
    if (length == 0)
        return;
    {
        std::lock_guard lock(FReadLock);
        FReadRefused = false;
    }
    // Open the read side before anything can be sent: a reply that came
    // before the thread got round to opening it would be lost. A failure
    // here is reported by the thread, which tries again.
    platform::ErrorCode err = platform::NoError;
    AcquireReadHandle(err);
    FDataThread.reset(new THidDeviceReadThread(this, length));
    FDataThread->Start(FDataThread);
}

void THidDevice::StopThread()
{
    if (auto thread = std::move(FDataThread))
        thread->Stop();
}

// ---------------------------------------------------------------------------
// THidDeviceController

THidDeviceController::THidDeviceController(platform::Platform& Platform, MainThreadHandoff& Handoff)
    : FPlatform(Platform), FHandoff(Handoff), FAlive(std::make_shared<THidDeviceController*>(this))
{
    std::weak_ptr<THidDeviceController*> alive = FAlive;
    MainThreadHandoff* handoff = &Handoff;
    FPlatform.setChangeListener([alive, handoff] {
        handoff->post([alive] {
            if (auto self = alive.lock())
                (*self)->DeviceChangeMessage(0);
        });
    });
    // The first scan counts as a change even if it finds nothing.
    FHandoff.post([alive] {
        if (auto self = alive.lock())
            (*self)->DeviceChangeMessage(-1);
    });
}

THidDeviceController::~THidDeviceController()
{
    FDeviceChangeEvent = nullptr;
    FDevUnplugEvent = nullptr;
    FEnumerateEvent = nullptr;
    FPlatform.setChangeListener({});
    FAlive.reset();
    std::vector<THidDevice*> list = std::move(FList);
    FList.clear();
    for (THidDevice* device : list) {
        device->FMyController = nullptr;
        if (device->FIsCheckedOut) {
            // The application still holds it; it can no longer read.
            device->StopThread();
            device->FIsPluggedIn = false;
            device->CloseAll();
        } else {
            delete device;
        }
    }
}

THidDevice* THidDeviceController::Items(int Idx) const
{
    if (Idx < 0 || Idx >= Count())
        return nullptr;
    return FList[static_cast<std::size_t>(Idx)];
}

std::string THidDeviceController::SysErrorMessage(std::uint32_t Error) const
{
    return FPlatform.errorMessage(Error);
}

void THidDeviceController::SetOnDeviceChange(TNotifyEvent Handler)
{
    const bool changed = Handler || FDeviceChangeEvent;
    FDeviceChangeEvent = std::move(Handler);
    if (changed)
        GuardedDeviceChange();
}

void THidDeviceController::DeviceChangeMessage(std::intptr_t LParam)
{
    if (FInDeviceChange) {
        GuardedDeviceChange(); // only notes the miss
        return;
    }
    FLParam = LParam;
    GuardedDeviceChange();
}

void THidDeviceController::GuardedDeviceChange()
{
    if (FInDeviceChange) {
        // A handler of the running scan let messages through; the change may
        // have come after the scan looked, so look again once it is done.
        FMissedDeviceChange = true;
        return;
    }
    {
        const RaisedWhile raised{FInDeviceChange};
        DeviceChange();
    }
    if (FMissedDeviceChange) {
        FMissedDeviceChange = false;
        std::weak_ptr<THidDeviceController*> alive = FAlive;
        FHandoff.post([alive] {
            if (auto self = alive.lock())
                (*self)->DeviceChangeMessage(0);
        });
    }
}

std::vector<std::unique_ptr<THidDevice>> THidDeviceController::InterfaceScan()
{
    std::vector<std::unique_ptr<THidDevice>> found;
    for (platform::InterfaceId& id : FPlatform.enumerate()) {
        try {
            found.emplace_back(new THidDevice(std::make_unique<THidPnPInfo>(std::move(id)), this,
                                              FPlatform, FHandoff));
        } catch (const EControllerError&) {
            // left out silently
        }
    }
    return found;
}

void THidDeviceController::DeviceChange()
{
    std::vector<std::unique_ptr<THidDevice>> found = InterfaceScan();
    bool changed = FLParam == -1;

    std::vector<std::pair<THidDevice*, std::uint64_t>> known;
    for (THidDevice* device : FList)
        known.emplace_back(device, device->Serial());
    for (auto it = known.rbegin(); it != known.rend(); ++it) {
        const auto [device, serial] = *it;
        if (!Holds(FList, device, serial))
            continue; // handed back by a handler meanwhile
        const bool present =
            device->FIsPluggedIn && std::any_of(found.begin(), found.end(), [&](const auto& fresh) {
                return fresh->PnPInfo().DeviceID() == device->PnPInfo().DeviceID();
            });
        if (present)
            continue;
        changed = true;
        // Unplugged first: a read thread woken by the close must not open
        // the vanished node again.
        device->FIsPluggedIn = false;
        device->CloseAll();
        if (THidPlugEvent unplug = std::exchange(device->FUnplug, nullptr))
            unplug(device);
        if (!Holds(FList, device, serial))
            continue;
        RaisePlugEvent(FRemovalEvent, device);
        if (!Holds(FList, device, serial))
            continue;
        auto pos = std::find(FList.begin(), FList.end(), device);
        if (!device->FIsCheckedOut) {
            FList.erase(pos);
            device->FMyController = nullptr;
            delete device;
        }
    }

    for (auto& fresh : found) {
        const bool already = std::any_of(FList.begin(), FList.end(), [&](THidDevice* device) {
            return device->FIsPluggedIn &&
                   device->PnPInfo().DeviceID() == fresh->PnPInfo().DeviceID();
        });
        if (already) {
            fresh->FMyController = nullptr;
            fresh.reset();
            continue;
        }
        THidDevice* device = fresh.release();
        FList.push_back(device);
        changed = true;
        RaisePlugEvent(FArrivalEvent, device);
    }

    CountDevices();
    if (changed && FDeviceChangeEvent) {
        TNotifyEvent handler = FDeviceChangeEvent;
        handler();
    }
}

void THidDeviceController::RaisePlugEvent(const THidPlugEvent& Event, THidDevice* Device)
{
    if (!Event)
        return;
    THidPlugEvent handler = Event;
    Offer(FList, Device, Device->FIsEnumerated, [&] { handler(Device); });
}

void THidDeviceController::CountDevices()
{
    int checkedIn = 0;
    int checkedOut = 0;
    int unplugged = 0;
    for (const THidDevice* device : FList) {
        if (device->FIsCheckedOut)
            ++checkedOut;
        else
            ++checkedIn;
        if (!device->FIsPluggedIn)
            ++unplugged;
    }
    FNumCheckedInDevices = checkedIn;
    FNumUnpluggedDevices = unplugged;
    FNumCheckedOutDevices = checkedOut - unplugged;
}

int THidDeviceController::Enumerate()
{
    if (!FEnumerateEvent)
        return 0;
    int offered = 0;
    for (std::size_t i = 0; i < FList.size(); ++i) {
        THidDevice* device = FList[i];
        if (!device->FIsPluggedIn)
            continue;
        ++offered;
        THidEnumerateEvent handler = FEnumerateEvent;
        bool goOn = true;
        const std::uint64_t serial = device->Serial();
        Offer(FList, device, device->FIsEnumerated,
              [&] { goOn = handler(device, static_cast<int>(i)); });
        if (Holds(FList, device, serial) && !device->FIsCheckedOut)
            device->CloseAll();
        if (!goOn)
            break;
    }
    return offered;
}

bool THidDeviceController::CheckOutByIndex(THidDevice*& HidDev, int Idx)
{
    HidDev = nullptr;
    THidDevice* device = Items(Idx);
    if (device == nullptr || device->FIsCheckedOut)
        return false;
    device->FIsCheckedOut = true;
    CountDevices();
    device->StartThread();
    HidDev = device;
    return true;
}

std::unique_ptr<THidDevice> THidDeviceController::CheckOutByIndex(int Idx)
{
    THidDevice* device = nullptr;
    CheckOutByIndex(device, Idx);
    return std::unique_ptr<THidDevice>(device);
}

void THidDeviceController::HandBack(THidDevice* Device, THidDataEvent Data, THidPlugEvent Unplug)
{
    auto pos = std::find(FList.begin(), FList.end(), Device);
    if (pos == FList.end())
        return;
    if (Device->FIsPluggedIn) {
        try {
            auto* fresh = new THidDevice(std::move(Device->FPnPInfo), this, FPlatform, FHandoff);
            fresh->FData = std::move(Data);
            fresh->FUnplug = std::move(Unplug);
            fresh->FThreadSleepTime = Device->FThreadSleepTime;
            *pos = fresh;
        } catch (const EControllerError&) {
            // Present but no longer usable: the next scan finds it anew.
            FList.erase(pos);
        }
    } else {
        FList.erase(pos);
    }
    CountDevices();
}

} // namespace hid
