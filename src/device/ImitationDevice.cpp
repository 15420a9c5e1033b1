#include "device/ImitationDevice.h"

#include "device/MemoryMap.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <utility>

namespace device
{

namespace mm = memory_map;
using namespace std::chrono_literals;

namespace
{

constexpr std::size_t FirmwareTextLength = 61; // reply data 2..62

// Request bytes past the end of a short report read as zero, as the padding
// of a full report would.
std::uint8_t at(std::span<const std::uint8_t> request, std::size_t index)
{
    return index < request.size() ? request[index] : std::uint8_t{0};
}

std::uint16_t be16(std::span<const std::uint8_t> bytes, std::size_t index)
{
    return static_cast<std::uint16_t>(at(bytes, index) << 8 | at(bytes, index + 1));
}

std::int32_t be32(std::span<const std::uint8_t> bytes, std::size_t index)
{
    const std::uint32_t raw = std::uint32_t{at(bytes, index)} << 24 |
                              std::uint32_t{at(bytes, index + 1)} << 16 |
                              std::uint32_t{at(bytes, index + 2)} << 8 | at(bytes, index + 3);
    return static_cast<std::int32_t>(raw);
}

void put16(std::span<std::uint8_t> bytes, std::size_t index, std::uint16_t value)
{
    bytes[index] = static_cast<std::uint8_t>(value >> 8);
    bytes[index + 1] = static_cast<std::uint8_t>(value);
}

void put32(std::span<std::uint8_t> bytes, std::size_t index, std::int32_t value)
{
    const auto raw = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
        bytes[index + i] = static_cast<std::uint8_t>(raw >> (24 - 8 * i));
}

// Copies a text of at most `maxChars` from the request into a zeroed field:
// the text ends at its first zero byte, the rest of the field stays zero.
void storeText(std::span<const std::uint8_t> request, std::size_t from, std::size_t maxChars,
               std::span<std::uint8_t> field)
{
    std::fill(field.begin(), field.end(), std::uint8_t{0});
    for (std::size_t i = 0; i < maxChars && i < field.size(); ++i) {
        const std::uint8_t c = at(request, from + i);
        if (c == 0)
            break;
        field[i] = c;
    }
}

void putText(std::span<std::uint8_t> field, std::string_view text)
{
    std::fill(field.begin(), field.end(), std::uint8_t{0});
    const std::size_t n = std::min(text.size(), field.size());
    for (std::size_t i = 0; i < n; ++i)
        field[i] = static_cast<std::uint8_t>(text[i]);
}

// A triangle wave between 0 and `span` over `period`.
std::int64_t triangle(std::int64_t t, std::int64_t period, std::int64_t span)
{
    const std::int64_t phase = t % period;
    const std::int64_t half = period / 2;
    return phase < half ? phase * span / half : (period - phase) * span / half;
}

std::int32_t clampToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// One reply report: report ID 0, then the code at data index 0-1.
struct Reply {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(ReportLength, 0);

    explicit Reply(std::string_view code)
    {
        bytes[1] = static_cast<std::uint8_t>(code[0]);
        bytes[2] = static_cast<std::uint8_t>(code[1]);
    }
    // Reply data as the tables count it: index 0 is the first letter.
    std::span<std::uint8_t> data() { return std::span(bytes).subspan(1); }
};

// Main states the debug window names.
constexpr std::uint8_t StateIdle = 2;
constexpr std::uint8_t StateRaportSms = 4;
constexpr std::uint8_t StateGsmSignal = 5;
constexpr std::uint8_t StateColdStart = 6;
constexpr std::uint8_t StateGsmRegistration = 15;

constexpr std::uint8_t NetworkHome = 1;
constexpr std::uint8_t NetworkSearching = 3;

constexpr auto ColdStartTime = 1000ms;
constexpr auto RegistrationTime = 4000ms;
constexpr auto SmsSendingTime = 2000ms;

} // namespace

ImitationDevice::ImitationDevice(Clock clock) : clock_(std::move(clock))
{
    if (!clock_) {
        clock_ = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now().time_since_epoch());
        };
    }
    bootedAt_ = now();
    firmware_ = "Veltrano Mini 8 FW 2.14 (imitacija)";
    loadSampleSettings();
}

std::chrono::milliseconds ImitationDevice::now() const
{
    return clock_();
}

std::chrono::milliseconds ImitationDevice::upTime() const
{
    return std::max(now() - bootedAt_, 0ms);
}

void ImitationDevice::loadSampleSettings()
{
    auto mem = std::span(memory_);
    mem[mm::RelayPeriod] = 5;
    mem[mm::CallFunction] = 1;

    const auto alarm = mem.subspan(mm::AnalogAlarm, mm::AnalogAlarmSize);
    put32(alarm, 0, 800000); // 80.0
    put32(alarm, 4, 100000); // 10.0
    put16(alarm, 8, 15);
    alarm[10] = 3;
    alarm[11] = 1;
    alarm[12] = 0;

    const auto din = mem.subspan(mm::DigitalInputs, mm::DigitalInputsSize);
    din[0] = 0b101;
    din[1] = 5;
    din[2] = 10;
    din[3] = 20;

    const auto coef = mem.subspan(mm::Coefficients, mm::CoefficientsSize);
    put32(coef, 0, 244); // K1 0.0244
    put32(coef, 4, 0);
    put32(coef, 8, 10000); // K2 1.0
    put32(coef, 12, 0);
    put16(coef, 16, static_cast<std::uint16_t>(-100));
    put16(coef, 18, 0);
    coef[20] = 1;
    coef[21] = 0;

    const std::string_view numbers[] = {"+381641234567", "+381631112223"};
    for (std::size_t i = 0; i < std::size(numbers); ++i)
        putText(mem.subspan(mm::GsmNumbers + i * mm::GsmNumberSize, mm::GsmNumberChars),
                numbers[i]);

    const std::string_view texts[mm::SmsTextCount] = {
        "Ulaz 1 aktiviran",   "Ulaz 2 aktiviran",       "Ulaz 3 aktiviran",
        "Ulaz 1 deaktiviran", "Ulaz 2 deaktiviran",     "Ulaz 3 deaktiviran",
        "Analogni ulaz",      "Alarm: iznad maksimuma", "Alarm: ispod minimuma"};
    for (std::size_t i = 0; i < mm::SmsTextCount; ++i)
        putText(mem.subspan(mm::SmsTexts + i * mm::SmsTextSize, mm::SmsTextChars), texts[i]);

    struct Entry {
        std::string_view number;
        std::string_view note;
        std::uint8_t active;
    };
    const Entry entries[] = {
        {"+381641234567", "Pera", 1}, {"+381652223334", "Mika", 1}, {"0113334445", "Kanc", 0}};
    for (std::size_t i = 0; i < std::size(entries); ++i) {
        const auto record =
            mem.subspan(mm::Phonebook + i * mm::PhonebookRecordSize, mm::PhonebookRecordSize);
        put16(record, 0, static_cast<std::uint16_t>(i));
        putText(record.subspan(2, mm::PhonebookNumberChars), entries[i].number);
        putText(record.subspan(18, mm::PhonebookNoteChars), entries[i].note);
        record[25] = entries[i].active;
    }
}

Response ImitationDevice::handle(std::span<const std::uint8_t> outputReport)
{
    std::lock_guard lock(mutex_);
    log_.emplace_back(outputReport.begin(), outputReport.end());
    logged_.notify_all();

    Response response;
    response.latency = latency_;
    response.reply = answer(outputReport, response);
    if (outputReport.size() >= 3) {
        const Code code{static_cast<char>(outputReport[1]), static_cast<char>(outputReport[2])};
        applyFaults(code, response.reply);
    }
    return response;
}

bool ImitationDevice::faultsApply(const Code& code) const
{
    return !faults_.onlyFor || *faults_.onlyFor == code;
}

std::uint16_t ImitationDevice::shifted(const Code& code, std::uint16_t index) const
{
    if (!faultsApply(code))
        return index;
    return static_cast<std::uint16_t>(index + faults_.indexShift);
}

void ImitationDevice::applyFaults(const Code& code,
                                  std::optional<std::vector<std::uint8_t>>& reply) const
{
    if (!reply || !faultsApply(code))
        return;
    if (faults_.silent) {
        reply.reset();
        return;
    }
    if (faults_.wrongCode) {
        (*reply)[1] = static_cast<std::uint8_t>((*faults_.wrongCode)[0]);
        (*reply)[2] = static_cast<std::uint8_t>((*faults_.wrongCode)[1]);
    }
    if (faults_.replyLength)
        reply->resize(std::min(*faults_.replyLength, reply->size()));
}

void ImitationDevice::restart(std::chrono::milliseconds downTime, Response& response)
{
    // The device comes back after the down time and registers on the network
    // again; what lives only in its RAM is lost.
    bootedAt_ = now() + downTime;
    relay_ = false;
    smsSendingUntil_ = 0ms;
    response.dropConnection = downTime;
}

std::optional<std::vector<std::uint8_t>>
ImitationDevice::answer(std::span<const std::uint8_t> request, Response& response)
{
    if (request.size() < 3)
        return std::nullopt;
    const Code code{static_cast<char>(request[1]), static_cast<char>(request[2])};
    const std::string_view cmd(code.data(), code.size());
    const std::uint8_t sub = at(request, 3);
    const auto mem = std::span(memory_);

    Reply reply(cmd);
    const auto data = reply.data();
    // Actions and plain writes echo their code with the sub-code at index 3.
    auto echo = [&] {
        data[3] = sub;
        return std::optional(reply.bytes);
    };

    if (cmd == "GF") {
        putText(data.subspan(2, FirmwareTextLength), firmware_);
        return reply.bytes;
    }
    if (cmd == "GS")
        return statusReply();
    if (cmd == "GM") {
        const std::uint16_t page = be16(request, 3);
        if (page >= PageCount)
            return std::nullopt;
        put16(data, 2, shifted(code, page));
        const auto source = mem.subspan(page * PageSize, PageSize);
        std::copy(source.begin(), source.end(), data.begin() + 4);
        return reply.bytes;
    }
    if (cmd == "GN") {
        data[2] = static_cast<std::uint8_t>(shifted(code, sub));
        if (sub < mm::GsmNumberCount) {
            const auto number =
                mem.subspan(mm::GsmNumbers + sub * mm::GsmNumberSize, mm::GsmNumberSize);
            std::copy(number.begin(), number.end(), data.begin() + 4);
        }
        return reply.bytes;
    }
    if (cmd == "SN") {
        if (sub >= mm::GsmNumberCount)
            return std::nullopt;
        storeText(request, 4, mm::GsmNumberChars,
                  mem.subspan(mm::GsmNumbers + sub * mm::GsmNumberSize, mm::GsmNumberSize));
        return reply.bytes;
    }
    if (cmd == "GP") {
        data[3] = static_cast<std::uint8_t>(shifted(code, sub));
        if (sub < mm::SmsTextCount) {
            const auto text = mem.subspan(mm::SmsTexts + sub * mm::SmsTextSize, mm::SmsTextSize);
            std::copy(text.begin(), text.end(), data.begin() + 4);
        }
        return reply.bytes;
    }
    if (cmd == "SP") {
        if (sub >= mm::SmsTextCount)
            return std::nullopt;
        storeText(request, 4, mm::SmsTextChars,
                  mem.subspan(mm::SmsTexts + sub * mm::SmsTextSize, mm::SmsTextSize));
        return reply.bytes;
    }
    if (cmd == "GA") {
        if (sub == 'A') {
            const auto group = mem.subspan(mm::AnalogAlarm, mm::AnalogAlarmSize);
            std::copy(group.begin(), group.end(), data.begin() + 4);
        } else if (sub == 'D') {
            const auto group = mem.subspan(mm::DigitalInputs, mm::DigitalInputsSize);
            std::copy(group.begin(), group.end(), data.begin() + 4);
        } else {
            return std::nullopt;
        }
        data[3] = sub;
        return reply.bytes;
    }
    if (cmd == "SA") {
        if (sub == 'A') {
            for (std::size_t i = 0; i < mm::AnalogAlarmSize; ++i)
                mem[mm::AnalogAlarm + i] = at(request, 4 + i);
        } else if (sub == 'D') {
            // The request carries one byte per trigger; the device keeps them as bits.
            const auto group = mem.subspan(mm::DigitalInputs, mm::DigitalInputsSize);
            group[0] = static_cast<std::uint8_t>((at(request, 4) != 0 ? 1 : 0) |
                                                 (at(request, 5) != 0 ? 2 : 0) |
                                                 (at(request, 6) != 0 ? 4 : 0));
            group[1] = at(request, 7);
            group[2] = at(request, 8);
            group[3] = at(request, 9);
        } else {
            return std::nullopt;
        }
        return echo();
    }
    if (cmd == "GK") {
        if (sub != 'A')
            return std::nullopt;
        data[3] = sub;
        const auto group = mem.subspan(mm::Coefficients, mm::CoefficientsSize);
        std::copy(group.begin(), group.end(), data.begin() + 4);
        return reply.bytes;
    }
    if (cmd == "SK") {
        if (sub != 'A')
            return std::nullopt;
        for (std::size_t i = 0; i < mm::CoefficientsSize; ++i)
            mem[mm::Coefficients + i] = at(request, 4 + i);
        return echo();
    }
    if (cmd == "GC") {
        const std::uint16_t index = be16(request, 3);
        put16(data, 2, shifted(code, index));
        if (index < mm::PhonebookCount) {
            const auto record = mem.subspan(mm::Phonebook + index * mm::PhonebookRecordSize,
                                            mm::PhonebookRecordSize);
            std::copy(record.begin() + 2, record.end(), data.begin() + 4);
        }
        return reply.bytes;
    }
    if (cmd == "SC") {
        const std::uint16_t index = be16(request, 3);
        if (index >= mm::PhonebookCount)
            return std::nullopt;
        const auto record =
            mem.subspan(mm::Phonebook + index * mm::PhonebookRecordSize, mm::PhonebookRecordSize);
        // Kept as a clean record: terminators and unused bytes stay zero
        // whatever the request carried there.
        std::fill(record.begin(), record.end(), std::uint8_t{0});
        put16(record, 0, index);
        storeText(request, 5, mm::PhonebookNumberChars,
                  record.subspan(2, mm::PhonebookNumberChars));
        storeText(request, 21, mm::PhonebookNoteChars, record.subspan(18, mm::PhonebookNoteChars));
        record[25] = at(request, 28);
        return reply.bytes;
    }
    if (cmd == "GO") {
        data[3] = mem[mm::RelayPeriod];
        return reply.bytes;
    }
    if (cmd == "SO") {
        if (sub == 'T') {
            relay_ = !relay_;
        } else if (sub == 'P') {
            const std::uint8_t period = at(request, 4);
            if (period < 1 || period > 250)
                return std::nullopt;
            mem[mm::RelayPeriod] = period;
        } else {
            return std::nullopt;
        }
        return echo();
    }
    if (cmd == "SR") {
        if (sub != 'B')
            return std::nullopt;
        restart(bootDownTime_, response);
        return std::nullopt;
    }
    if (cmd == "ST") {
        if (sub != 'S')
            return std::nullopt;
        // A test SMS goes to every stored number.
        for (std::size_t i = 0; i < mm::GsmNumberCount; ++i) {
            if (mem[mm::GsmNumbers + i * mm::GsmNumberSize] != 0)
                ++smsSent_;
        }
        smsSendingUntil_ = now() + SmsSendingTime;
        return echo();
    }
    if (cmd == "SD") {
        if (sub != 'E')
            return std::nullopt;
        mem[mm::CallFunction] = at(request, 4) != 0 ? 1 : 0;
        return echo();
    }
    if (cmd == "SF") {
        memory_.fill(0);
        restart(formatDownTime_, response);
        return std::nullopt;
    }
    return std::nullopt;
}

std::vector<std::uint8_t> ImitationDevice::statusReply()
{
    const auto mem = std::span<const std::uint8_t>(memory_);
    const std::int64_t up = upTime().count();
    const bool registered = upTime() >= RegistrationTime;
    const bool sending = now() < smsSendingUntil_;

    Reply reply("GS");
    const auto data = reply.data();

    // Signal: unknown (99) while searching, then an RSSI that wanders 12..26.
    const std::uint8_t rssi =
        registered ? static_cast<std::uint8_t>(12 + triangle(up, 30000, 14)) : 99;
    data[2] = registered ? static_cast<std::uint8_t>(std::min(5, rssi / 6)) : 0;
    data[3] = rssi;

    data[4] = static_cast<std::uint8_t>((up / 3000) % 2);
    data[5] = static_cast<std::uint8_t>((up / 5000) % 2);
    data[6] = static_cast<std::uint8_t>((up / 7000) % 2);
    data[7] = relay_ ? 1 : 0;

    // Channel 1 drifts slowly over most of the converter's range with a
    // little noise; channel 2 wobbles around the middle.
    const auto raw1 = static_cast<std::uint16_t>(600 + triangle(up, 40000, 2800) + (up / 100) % 5);
    const auto raw2 = static_cast<std::uint16_t>(2000 + triangle(up, 10000, 100));
    put16(data, 8, raw1);
    put16(data, 10, raw2);
    put16(data, 12, smsSent_);
    put16(data, 14, smsReceived_);

    // value = K * (raw + offset) + N, all in ten-thousandths.
    const auto coef = mem.subspan(mm::Coefficients, mm::CoefficientsSize);
    auto calculated = [&](std::uint16_t raw, std::size_t k, std::size_t n, std::size_t offset) {
        const auto off = static_cast<std::int16_t>(be16(coef, offset));
        return clampToInt32(std::int64_t{be32(coef, k)} * (raw + off) + be32(coef, n));
    };
    const std::int32_t value1 = calculated(raw1, 0, 4, 16);
    put32(data, 16, value1);
    put32(data, 20, calculated(raw2, 8, 12, 18));

    // The number of the first active phonebook record stands for the caller.
    const bool callFunction = mem[mm::CallFunction] != 0;
    if (callFunction) {
        for (std::size_t i = 0; i < mm::PhonebookCount; ++i) {
            const auto record =
                mem.subspan(mm::Phonebook + i * mm::PhonebookRecordSize, mm::PhonebookRecordSize);
            if (record[25] == 1 && record[2] != 0) {
                std::copy_n(record.begin() + 2, mm::PhonebookNumberChars, data.begin() + 24);
                break;
            }
        }
    }

    std::uint8_t mainState = StateIdle;
    if (upTime() < ColdStartTime)
        mainState = StateColdStart;
    else if (!registered)
        mainState = StateGsmRegistration;
    else if (sending)
        mainState = StateRaportSms;
    else if (up % 10000 < 500)
        mainState = StateGsmSignal;
    data[54] = mainState;
    data[55] = static_cast<std::uint8_t>((up / 1000) % 3);
    data[56] = registered ? 10 : static_cast<std::uint8_t>(up / 400);
    data[57] = static_cast<std::uint8_t>(60 - (up / 1000) % 60);
    data[58] = static_cast<std::uint8_t>((up / 250) % 2);
    data[59] = sending ? static_cast<std::uint8_t>(1 + (up / 500) % 3) : 0;
    data[60] = sending ? 2 : 0;
    data[61] = registered ? NetworkHome : NetworkSearching;
    data[62] = callFunction ? 1 : 0;

    const auto alarm = mem.subspan(mm::AnalogAlarm, mm::AnalogAlarmSize);
    const bool alarmOn = alarm[11] != 0;
    const bool outside = value1 > be32(alarm, 0) || value1 < be32(alarm, 4);
    data[63] = alarmOn && outside ? static_cast<std::uint8_t>(1 + (up / 100) % 20) : 0;

    return reply.bytes;
}

void ImitationDevice::setLatency(std::chrono::milliseconds latency)
{
    std::lock_guard lock(mutex_);
    latency_ = latency;
}

void ImitationDevice::setFaults(const Faults& faults)
{
    std::lock_guard lock(mutex_);
    faults_ = faults;
}

void ImitationDevice::setFormatDownTime(std::chrono::milliseconds downTime)
{
    std::lock_guard lock(mutex_);
    formatDownTime_ = downTime;
}

void ImitationDevice::setBootDownTime(std::chrono::milliseconds downTime)
{
    std::lock_guard lock(mutex_);
    bootDownTime_ = downTime;
}

void ImitationDevice::setFirmwareText(const std::string& text)
{
    std::lock_guard lock(mutex_);
    firmware_ = text.substr(0, FirmwareTextLength);
}

std::vector<std::vector<std::uint8_t>> ImitationDevice::receivedReports() const
{
    std::lock_guard lock(mutex_);
    return log_;
}

std::size_t ImitationDevice::receivedCount() const
{
    std::lock_guard lock(mutex_);
    return log_.size();
}

void ImitationDevice::clearLog()
{
    std::lock_guard lock(mutex_);
    log_.clear();
}

bool ImitationDevice::waitForReports(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return logged_.wait_for(lock, timeout, [&] { return log_.size() >= count; });
}

Memory ImitationDevice::memory() const
{
    std::lock_guard lock(mutex_);
    return memory_;
}

bool ImitationDevice::relayOn() const
{
    std::lock_guard lock(mutex_);
    return relay_;
}

bool ImitationDevice::callFunctionOn() const
{
    std::lock_guard lock(mutex_);
    return memory_[mm::CallFunction] != 0;
}

std::uint16_t ImitationDevice::smsSent() const
{
    std::lock_guard lock(mutex_);
    return smsSent_;
}

std::uint16_t ImitationDevice::smsReceived() const
{
    std::lock_guard lock(mutex_);
    return smsReceived_;
}

} // namespace device
