#include "link/Replies.h"

#include "link/Bytes.h"
#include "link/Layout.h"
#include "link/TextCodec.h"

#include <algorithm>

namespace vms::link
{

namespace L = layout;

namespace
{

std::span<const std::uint8_t> field(const ReplyBuffer& data, L::Field f)
{
    return std::span<const std::uint8_t>(data).subspan(f.at, f.size);
}

FirmwareInfo decodeFirmware(const ReplyBuffer& data)
{
    // Zero bytes are skipped, not taken as the end of the text.
    FirmwareInfo info;
    for (const std::uint8_t byte : field(data, L::reply::kFirmware))
        if (byte != 0)
            info.text.push_back(static_cast<char16_t>(byte));
    return info;
}

StatusReport decodeStatus(const ReplyBuffer& data)
{
    namespace S = L::status;
    StatusReport s;
    s.signal = data[S::kSignal];
    s.rssi = data[S::kRssi];
    s.din1 = data[S::kDin1];
    s.din2 = data[S::kDin2];
    s.din3 = data[S::kDin3];
    s.relay = data[S::kRelay];
    s.raw1 = readU16BE(data, S::kRaw1);
    s.raw2 = readU16BE(data, S::kRaw2);
    s.smsTx = readU16BE(data, S::kSmsTx);
    s.smsRx = readU16BE(data, S::kSmsRx);
    s.calc1 = readI32BE(data, S::kCalc1);
    s.calc2 = readI32BE(data, S::kCalc2);
    s.phoneNumber = decodeText(field(data, S::kPhoneNumber));
    const auto debug = field(data, S::kDebug);
    std::copy(debug.begin(), debug.end(), s.debug.begin());
    s.networkState = data[S::kNetworkState];
    s.callFunction = data[S::kCallFunction];
    s.debounce = data[S::kDebounce];
    return s;
}

MemoryPage decodeMemoryPage(const ReplyBuffer& data)
{
    MemoryPage page;
    page.page = readU16BE(data, L::reply::kPage);
    const auto bytes = field(data, L::reply::kPageData);
    std::copy(bytes.begin(), bytes.end(), page.bytes.begin());
    return page;
}

Reply decodeAlarm(const ReplyBuffer& data)
{
    const char16_t group = data[L::reply::kSubCode];
    if (group == static_cast<char16_t>(AlarmGroup::Analog)) {
        namespace A = L::analog_alarm;
        AnalogAlarm alarm;
        alarm.maximum = readI32BE(data, A::kMaximum);
        alarm.minimum = readI32BE(data, A::kMinimum);
        alarm.repeatMinutes = readU16BE(data, A::kRepeat);
        alarm.smsCount = data[A::kSmsCount];
        alarm.alarmOn = data[A::kAlarmOn] != 0;
        const std::uint8_t custom = data[A::kCustomTexts];
        if (custom <= 1)
            alarm.customTexts = custom == 1;
        return alarm;
    }
    if (group == static_cast<char16_t>(AlarmGroup::Digital)) {
        DigitalTriggers triggers;
        const std::uint8_t flags = data[L::reply::kTriggerFlags];
        for (std::size_t i = 0; i < 3; ++i) {
            triggers.trigger[i] = (flags >> i) & 1u;
            triggers.delay[i] = data[L::reply::kDelays + i];
        }
        return triggers;
    }
    return Ignored{};
}

Reply decodeCoefficients(const ReplyBuffer& data)
{
    if (data[L::reply::kSubCode] != 'A')
        return Ignored{};
    namespace C = L::coefficients;
    Coefficients c;
    c.k1 = readI32BE(data, C::kK1);
    c.n1 = readI32BE(data, C::kN1);
    c.k2 = readI32BE(data, C::kK2);
    c.n2 = readI32BE(data, C::kN2);
    c.offset1 = readI16BE(data, C::kOffset1);
    c.offset2 = readI16BE(data, C::kOffset2);
    c.useVoltageOut1 = data[C::kVoltageOut1] != 0;
    c.useVoltageOut2 = data[C::kVoltageOut2] != 0;
    return c;
}

PhonebookRecord decodePhonebook(const ReplyBuffer& data)
{
    namespace P = L::phonebook;
    const auto record = std::span<const std::uint8_t>(data).subspan(P::kInReply, P::kSize);
    PhonebookRecord r;
    r.index = readU16BE(record, P::kIndex);
    r.row = static_cast<std::uint8_t>(r.index & 0xFFu);
    r.number = decodeText(record.subspan(P::kNumberIn.at, P::kNumberIn.size));
    r.note = decodeText(record.subspan(P::kNote.at, P::kNote.size));
    r.flag = record[P::kFlag];
    return r;
}

constexpr bool is(const ReplyBuffer& data, char first, char second)
{
    return data[L::reply::kCmd] == static_cast<std::uint8_t>(first) &&
           data[L::reply::kSubCmd] == static_cast<std::uint8_t>(second);
}

// A list item the device cut short would read as zeros past its end and be
// stored as if it were the device's data; such a reply is not taken.
bool holds(std::span<const std::uint8_t> input, L::Field f)
{
    return input.size() >= f.at + f.size;
}

// A text ends at its first zero, so it is whole once that zero has come.
bool holdsText(std::span<const std::uint8_t> input, L::Field f)
{
    if (holds(input, f))
        return true;
    if (input.size() <= f.at)
        return false;
    const auto part = input.subspan(f.at);
    return std::find(part.begin(), part.end(), std::uint8_t{0}) != part.end();
}

} // namespace

ReplyBuffer toReplyBuffer(std::span<const std::uint8_t> data)
{
    ReplyBuffer buffer{};
    const std::size_t count = std::min(data.size(), buffer.size());
    std::copy_n(data.begin(), count, buffer.begin());
    return buffer;
}

Reply decodeReply(std::span<const std::uint8_t> input)
{
    // A reply shorter than two bytes has no code; zero padding would not make one.
    if (input.size() < 2)
        return Ignored{};
    const ReplyBuffer data = toReplyBuffer(input);
    if (is(data, 'G', 'F'))
        return decodeFirmware(data);
    if (is(data, 'G', 'S'))
        return decodeStatus(data);
    if (is(data, 'G', 'M'))
        return holds(input, L::reply::kPageData) ? Reply{decodeMemoryPage(data)} : Ignored{};
    if (is(data, 'G', 'N') && !holdsText(input, L::reply::kGsmNumber))
        return Ignored{};
    if (is(data, 'G', 'N'))
        return GsmNumber{data[L::reply::kGsmIndex], decodeText(field(data, L::reply::kGsmNumber))};
    if (is(data, 'S', 'N'))
        return Acknowledgement{Acknowledgement::Of::GsmNumber};
    if (is(data, 'G', 'P') && !holdsText(input, L::reply::kSmsText))
        return Ignored{};
    if (is(data, 'G', 'P'))
        return SmsText{data[L::reply::kSmsIndex], decodeText(field(data, L::reply::kSmsText))};
    if (is(data, 'S', 'P'))
        return Acknowledgement{Acknowledgement::Of::SmsText};
    if (is(data, 'G', 'A'))
        return decodeAlarm(data);
    if (is(data, 'G', 'K'))
        return decodeCoefficients(data);
    if (is(data, 'G', 'C'))
        return input.size() > L::phonebook::kInReply + L::phonebook::kFlag
                   ? Reply{decodePhonebook(data)}
                   : Ignored{};
    if (is(data, 'S', 'C'))
        return Acknowledgement{Acknowledgement::Of::PhonebookRecord};
    if (is(data, 'G', 'O'))
        return RelayPeriod{data[L::reply::kRelayPeriod]};
    return Ignored{};
}

std::u16string_view networkStateText(std::uint8_t state)
{
    switch (state) {
    case 0:
        return u"NOT_REGISTERED";
    case 1:
        return u"HOME_NETWORK";
    case 2:
        return u"ROAMING_NETWORK";
    case 3:
        return u"SEARCHING...";
    default:
        return u"UNDEFINED!?";
    }
}

Rgb networkStateColour(std::uint8_t state)
{
    switch (state) {
    case 1:
    case 2:
        return {0, 128, 0};
    case 3:
        return {128, 0, 128};
    default:
        return {255, 0, 0};
    }
}

std::u16string_view phonebookActiveText(const PhonebookRecord& record)
{
    if (record.number.empty())
        return u"";
    return record.flag == 1 ? u"AKTIVAN" : u"NEAKTIVAN";
}

} // namespace vms::link
