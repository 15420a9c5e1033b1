#pragma once

// Every offset of the wire format, in one place. Request offsets are report
// bytes (byte 0 is the report ID); reply offsets are indices into the reply
// data (index 0 is the first letter of the code). Where a request and its
// reply share a layout, the numbers coincide and one table serves both.

#include <cstddef>

namespace vms::link::layout
{

struct Field {
    std::size_t at;
    std::size_t size;
};

namespace request
{
inline constexpr std::size_t kReportId = 0;
inline constexpr std::size_t kCmd = 1;
inline constexpr std::size_t kSubCmd = 2;
inline constexpr std::size_t kParams = 3; // Par1, or the first byte of a block
inline constexpr std::size_t kSubCode = 3;
inline constexpr std::size_t kIndex = 3;       // GN, SN, GP: one byte
inline constexpr std::size_t kIndex16 = 3;     // GM page, GC record: big-endian
inline constexpr Field kGsmNumber{4, 15};      // SN
inline constexpr std::size_t kRelayPeriod = 4; // SO 'P'
inline constexpr std::size_t kCallOn = 4;      // SD 'E'
inline constexpr std::size_t kTriggers = 4;    // SA 'D': three switch bytes
inline constexpr std::size_t kDelays = 7;      // SA 'D': three delay bytes
} // namespace request

namespace reply
{
inline constexpr std::size_t kCmd = 0;
inline constexpr std::size_t kSubCmd = 1;
inline constexpr std::size_t kSubCode = 3; // GA, GK
inline constexpr Field kFirmware{2, 61};
inline constexpr std::size_t kPage = 2; // GM, big-endian
inline constexpr Field kPageData{4, 32};
inline constexpr std::size_t kGsmIndex = 2;
inline constexpr Field kGsmNumber{4, 16};
inline constexpr std::size_t kSmsIndex = 3;
inline constexpr Field kSmsText{4, 32};
inline constexpr std::size_t kRelayPeriod = 3;
inline constexpr std::size_t kTriggerFlags = 4; // GA 'D': bit 0..2 = input 1..3
inline constexpr std::size_t kDelays = 5;       // GA 'D': three delay bytes
} // namespace reply

// "GS" reply.
namespace status
{
inline constexpr std::size_t kSignal = 2;
inline constexpr std::size_t kRssi = 3;
inline constexpr std::size_t kDin1 = 4;
inline constexpr std::size_t kDin2 = 5;
inline constexpr std::size_t kDin3 = 6;
inline constexpr std::size_t kRelay = 7;
inline constexpr std::size_t kRaw1 = 8;
inline constexpr std::size_t kRaw2 = 10;
inline constexpr std::size_t kSmsTx = 12;
inline constexpr std::size_t kSmsRx = 14;
inline constexpr std::size_t kCalc1 = 16;
inline constexpr std::size_t kCalc2 = 20;
inline constexpr Field kPhoneNumber{24, 16};
inline constexpr Field kDebug{54, 7};
inline constexpr std::size_t kNetworkState = 61;
inline constexpr std::size_t kCallFunction = 62;
inline constexpr std::size_t kDebounce = 63;
} // namespace status

// "SA"/"GA" 'A': report byte of the request = index of the reply.
namespace analog_alarm
{
inline constexpr std::size_t kMaximum = 4;
inline constexpr std::size_t kMinimum = 8;
inline constexpr std::size_t kRepeat = 12;
inline constexpr std::size_t kSmsCount = 14;
inline constexpr std::size_t kAlarmOn = 15;
inline constexpr std::size_t kCustomTexts = 16;
} // namespace analog_alarm

// "SK"/"GK" 'A': report byte of the request = index of the reply.
namespace coefficients
{
inline constexpr std::size_t kK1 = 4;
inline constexpr std::size_t kN1 = 8;
inline constexpr std::size_t kK2 = 12;
inline constexpr std::size_t kN2 = 16;
inline constexpr std::size_t kOffset1 = 20;
inline constexpr std::size_t kOffset2 = 22;
inline constexpr std::size_t kVoltageOut1 = 24;
inline constexpr std::size_t kVoltageOut2 = 25;
} // namespace coefficients

// The 32-byte phonebook record: block of "SC" (report bytes 3..34) and
// payload of "GC" (reply data 2..33). Offsets count from the record start.
namespace phonebook
{
inline constexpr std::size_t kSize = 32;
inline constexpr std::size_t kInRequest = 3;
inline constexpr std::size_t kInReply = 2;
inline constexpr std::size_t kIndex = 0; // big-endian
inline constexpr Field kNumberOut{2, 15};
inline constexpr Field kNumberIn{2, 16}; // a reply may run into the terminator
inline constexpr Field kNote{18, 6};
inline constexpr std::size_t kFlag = 25;
} // namespace phonebook

// The 32-byte SMS text block of "SP".
namespace sms_block
{
inline constexpr std::size_t kSize = 32;
inline constexpr std::size_t kIndex = 0;
inline constexpr Field kText{1, 30}; // byte 31 stays zero
} // namespace sms_block

} // namespace vms::link::layout
