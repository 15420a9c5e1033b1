// Feeds arbitrary device bytes to the reply decoder, and arbitrary text to the
// number conversions, checking the invariants the windows rely on.

#include "link/FixedPoint.h"
#include "link/NumberText.h"
#include "link/Replies.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

using namespace vms::link;

namespace
{

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void fuzzReply(std::span<const std::uint8_t> data)
{
    const Reply reply = decodeReply(data);
    if (data.size() < 2)
        check(std::holds_alternative<Ignored>(reply));
    else
        check(reply == decodeReply(toReplyBuffer(data)));
    if (const auto* s = std::get_if<StatusReport>(&reply))
        check(s->phoneNumber.size() <= 16);
    if (const auto* t = std::get_if<SmsText>(&reply))
        check(t->text.size() <= 32);
    if (const auto* p = std::get_if<PhonebookRecord>(&reply))
        check(p->number.size() <= 16 && p->note.size() <= 6);
}

void fuzzText(std::span<const std::uint8_t> data)
{
    std::u16string text;
    for (const std::uint8_t b : data)
        text.push_back(b == 0xFF ? u'\u0661' : static_cast<char16_t>(b));
    try {
        const long double value = parseDecimal(text, u'.');
        check(value == value); // never NaN
        const std::int32_t scaled = toFixedPoint(value);
        check(!formatFixedPoint(scaled, u',').empty());
        check(!formatGeneral(value, u'.').empty());
    } catch (const ConvertError& e) {
        check(e.text().size() >= text.size());
    }
    try {
        const std::int32_t value = parseInteger(text);
        check(parseInteger(std::u16string(text)) == value);
    } catch (const ConvertError&) {
    }
    if (data.size() >= sizeof(double)) {
        double d = 0;
        std::memcpy(&d, data.data(), sizeof d);
        (void)formatGeneral(d, u'.');
        (void)toFixedPoint(d);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    if (data[0] & 1)
        fuzzText(rest);
    else
        fuzzReply(rest);
    return 0;
}
