#pragma once

// Reply decoding. Every byte comes from the device and is untrusted: any
// input length is accepted, indices are passed on as received, and the
// caller checks them against the *Count/*Size constants of Settings.h.

#include "link/Settings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace vms::link
{

inline constexpr std::size_t kReplySize = 64;
using ReplyBuffer = std::array<std::uint8_t, kReplySize>;

// The first 64 bytes of data, zero-padded when shorter.
ReplyBuffer toReplyBuffer(std::span<const std::uint8_t> data);

// A reply with no branch: unknown or action code, too short, wrong sub-code.
struct Ignored {
    friend bool operator==(const Ignored&, const Ignored&) = default;
};

// "GF": all non-zero bytes of 2..62 in order.
struct FirmwareInfo {
    std::u16string text;
    friend bool operator==(const FirmwareInfo&, const FirmwareInfo&) = default;
};

// "GS".
struct StatusReport {
    std::uint8_t signal = 0; // 0..5 expected; the gauge clamps
    std::uint8_t rssi = 0;
    std::uint8_t din1 = 0; // 0 off, other on
    std::uint8_t din2 = 0;
    std::uint8_t din3 = 0;
    std::uint8_t relay = 0;
    std::uint16_t raw1 = 0;
    std::uint16_t raw2 = 0;
    std::uint16_t smsTx = 0;
    std::uint16_t smsRx = 0;
    std::int32_t calc1 = 0; // fixed-point
    std::int32_t calc2 = 0;
    std::u16string phoneNumber; // at most 16 characters
    // MainStateM, SMSListState, GSM_Init_State, GSMLiveRemaining,
    // USARTDataReady(GSM_UART), RaportSMSStateM, SendSMSTextStateM
    std::array<std::uint8_t, 7> debug{};
    std::uint8_t networkState = 0;
    std::uint8_t callFunction = 0; // 0 off, other on
    std::uint8_t debounce = 0;     // ANAlarmDebounceCntr

    friend bool operator==(const StatusReport&, const StatusReport&) = default;
};

// "GM". page may be anything the device sent; check it against kMemoryPageCount.
struct MemoryPage {
    std::uint16_t page = 0;
    std::array<std::uint8_t, kMemoryPageSize> bytes{};
    friend bool operator==(const MemoryPage&, const MemoryPage&) = default;
};

// "GN": index from data[2], number from 4..19 (at most 16 characters).
struct GsmNumber {
    std::uint8_t index = 0;
    std::u16string number;
    friend bool operator==(const GsmNumber&, const GsmNumber&) = default;
};

// "GP": index from data[3], text from 4..35 (at most 32 characters).
struct SmsText {
    std::uint8_t index = 0;
    std::u16string text;
    friend bool operator==(const SmsText&, const SmsText&) = default;
};

// "GC". The window addresses rows by the low byte of the index only.
struct PhonebookRecord {
    std::uint16_t index = 0;
    std::uint8_t row = 0;  // low byte of index
    std::u16string number; // at most 16 characters
    std::u16string note;   // at most 6 characters
    std::uint8_t flag = 0; // 1 active, anything else not active
    friend bool operator==(const PhonebookRecord&, const PhonebookRecord&) = default;
};

// "GO".
struct RelayPeriod {
    std::uint8_t period = 0;
    friend bool operator==(const RelayPeriod&, const RelayPeriod&) = default;
};

// "SN", "SP", "SC": only the code matters.
struct Acknowledgement {
    enum class Of { GsmNumber, SmsText, PhonebookRecord };
    Of of = Of::GsmNumber;
    friend bool operator==(const Acknowledgement&, const Acknowledgement&) = default;
};

using Reply =
    std::variant<Ignored, FirmwareInfo, StatusReport, MemoryPage, GsmNumber, SmsText, AnalogAlarm,
                 DigitalTriggers, Coefficients, PhonebookRecord, RelayPeriod, Acknowledgement>;

// Decodes the data of one input report after its report ID, any length.
Reply decodeReply(std::span<const std::uint8_t> data);

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// "NOT_REGISTERED", "HOME_NETWORK", "ROAMING_NETWORK", "SEARCHING...",
// "UNDEFINED!?" for 4..255.
std::u16string_view networkStateText(std::uint8_t state);
Rgb networkStateColour(std::uint8_t state);

// "AKTIVAN" for flag 1, "NEAKTIVAN" otherwise, empty when the number is empty.
std::u16string_view phonebookActiveText(const PhonebookRecord& record);

} // namespace vms::link
