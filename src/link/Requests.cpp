#include "link/Requests.h"

#include "link/Bytes.h"
#include "link/Layout.h"
#include "link/TextCodec.h"

#include <span>

namespace vms::link::requests
{

namespace L = layout;

namespace
{

// Parameters are addressed by report byte, as the layout gives them.
class ParamWriter
{
public:
    explicit ParamWriter(Request& request) : m_params(request.params) {}

    std::span<std::uint8_t> at(std::size_t reportByte)
    {
        return std::span<std::uint8_t>(m_params).subspan(reportByte - L::request::kParams);
    }
    void u8(std::size_t reportByte, std::uint8_t value) { at(reportByte)[0] = value; }
    void flag(std::size_t reportByte, bool value) { u8(reportByte, value ? 1 : 0); }
    void u16(std::size_t reportByte, std::uint16_t value) { writeU16BE(at(reportByte), 0, value); }
    void i16(std::size_t reportByte, std::int16_t value) { writeI16BE(at(reportByte), 0, value); }
    void i32(std::size_t reportByte, std::int32_t value) { writeI32BE(at(reportByte), 0, value); }

private:
    Params& m_params;
};

Request params(char16_t cmd, char16_t subCmd)
{
    Request request;
    request.cmd = cmd;
    request.subCmd = subCmd;
    request.form = Request::Form::Params;
    return request;
}

Request withSubCode(char16_t cmd, char16_t subCmd, char16_t subCode)
{
    Request request = params(cmd, subCmd);
    ParamWriter(request).u8(L::request::kSubCode, static_cast<std::uint8_t>(subCode & 0xFFu));
    return request;
}

Request block(char16_t cmd, char16_t subCmd, std::size_t size)
{
    Request request;
    request.cmd = cmd;
    request.subCmd = subCmd;
    request.form = Request::Form::Block;
    request.block.assign(size, 0);
    return request;
}

} // namespace

Request getFirmware()
{
    return params(u'G', u'F');
}

Request getStatus()
{
    return params(u'G', u'S');
}

Request getMemoryPage(std::uint16_t page)
{
    Request request = params(u'G', u'M');
    ParamWriter(request).u16(L::request::kIndex16, page);
    return request;
}

Request getGsmNumber(std::uint8_t index)
{
    Request request = params(u'G', u'N');
    ParamWriter(request).u8(L::request::kIndex, index);
    return request;
}

Request setGsmNumber(std::uint8_t index, std::u16string_view number)
{
    // Unused bytes stay zero: a short number is followed by a zero, an empty
    // one is fifteen zeros.
    Request request = params(u'S', u'N');
    ParamWriter w(request);
    w.u8(L::request::kIndex, index);
    encodeText(number, w.at(L::request::kGsmNumber.at), L::request::kGsmNumber.size);
    return request;
}

Request getSmsText(std::uint8_t index)
{
    Request request = params(u'G', u'P');
    ParamWriter(request).u8(L::request::kIndex, index);
    return request;
}

Request setSmsText(std::uint8_t index, std::u16string_view text)
{
    Request request = block(u'S', u'P', L::sms_block::kSize);
    std::span<std::uint8_t> bytes(request.block);
    bytes[L::sms_block::kIndex] = index;
    encodeText(text, bytes.subspan(L::sms_block::kText.at, L::sms_block::kText.size),
               L::sms_block::kText.size);
    return request;
}

Request getAlarm(AlarmGroup group)
{
    return withSubCode(u'G', u'A', static_cast<char16_t>(group));
}

Request setAnalogAlarm(const AnalogAlarm& alarm)
{
    namespace A = L::analog_alarm;
    Request request = withSubCode(u'S', u'A', static_cast<char16_t>(AlarmGroup::Analog));
    ParamWriter w(request);
    w.i32(A::kMaximum, alarm.maximum);
    w.i32(A::kMinimum, alarm.minimum);
    w.u16(A::kRepeat, alarm.repeatMinutes);
    w.u8(A::kSmsCount, alarm.smsCount);
    w.flag(A::kAlarmOn, alarm.alarmOn);
    w.flag(A::kCustomTexts, alarm.customTexts.value_or(false));
    return request;
}

Request setDigitalTriggers(const DigitalTriggers& triggers)
{
    Request request = withSubCode(u'S', u'A', static_cast<char16_t>(AlarmGroup::Digital));
    ParamWriter w(request);
    for (std::size_t i = 0; i < 3; ++i) {
        w.flag(L::request::kTriggers + i, triggers.trigger[i]);
        w.u8(L::request::kDelays + i, triggers.delay[i]);
    }
    return request;
}

Request getCoefficients()
{
    return withSubCode(u'G', u'K', u'A');
}

Request setCoefficients(const Coefficients& c)
{
    namespace C = L::coefficients;
    Request request = withSubCode(u'S', u'K', u'A');
    ParamWriter w(request);
    w.i32(C::kK1, c.k1);
    w.i32(C::kN1, c.n1);
    w.i32(C::kK2, c.k2);
    w.i32(C::kN2, c.n2);
    w.i16(C::kOffset1, c.offset1);
    w.i16(C::kOffset2, c.offset2);
    w.flag(C::kVoltageOut1, c.useVoltageOut1);
    w.flag(C::kVoltageOut2, c.useVoltageOut2);
    return request;
}

Request getPhonebookRecord(std::uint16_t index)
{
    Request request = params(u'G', u'C');
    ParamWriter(request).u16(L::request::kIndex16, index);
    return request;
}

Request setPhonebookRecord(const PhonebookEntry& entry)
{
    // Texts are cut to their fields, so the terminating zeros (record bytes
    // 17 and 24) always stay in place.
    namespace P = L::phonebook;
    Request request = block(u'S', u'C', P::kSize);
    std::span<std::uint8_t> record(request.block);
    writeU16BE(record, P::kIndex, entry.index);
    encodeText(entry.number, record.subspan(P::kNumberOut.at, P::kNumberOut.size),
               P::kNumberOut.size);
    encodeText(entry.note, record.subspan(P::kNote.at, P::kNote.size), P::kNote.size);
    record[P::kFlag] = entry.active ? 1 : 0;
    return request;
}

Request getRelayPeriod()
{
    return params(u'G', u'O');
}

Request toggleRelay()
{
    return withSubCode(u'S', u'O', u'T');
}

Request setRelayPeriod(std::uint8_t period)
{
    Request request = withSubCode(u'S', u'O', u'P');
    ParamWriter(request).u8(L::request::kRelayPeriod, period);
    return request;
}

Request restartToBootloader()
{
    return withSubCode(u'S', u'R', u'B');
}

Request sendTestSms()
{
    return withSubCode(u'S', u'T', u'S');
}

Request setCallFunction(bool on)
{
    Request request = withSubCode(u'S', u'D', u'E');
    ParamWriter(request).flag(L::request::kCallOn, on);
    return request;
}

Request formatMemory()
{
    return params(u'S', u'F');
}

} // namespace vms::link::requests
