#include "link/NumberText.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace vms::link
{

namespace
{

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}
bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

std::u16string_view trimmed(std::u16string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

[[noreturn]] void failDecimal(std::u16string_view text)
{
    throw ConvertError(u"'" + std::u16string(text) + u"' is not a valid floating point value");
}

[[noreturn]] void failInteger(std::u16string_view text)
{
    throw ConvertError(u"''" + std::u16string(text) + u"'' is not a valid integer value");
}

} // namespace

ConvertError::ConvertError(std::u16string message)
    : std::runtime_error(toUtf8(message)), m_text(std::move(message))
{
}

long double parseDecimal(std::u16string_view text, char16_t decimalSeparator)
{
    const std::u16string_view s = trimmed(text);
    std::size_t i = 0;
    std::string ascii; // what from_chars reads: '.' separator, no '+'
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ascii += negative ? "-" : "";
        ++i;
    }

    // The decimal exponent of the leading digit, to tell overflow from underflow.
    long long magnitude = 0;
    bool seenNonZero = false;
    std::size_t mantissaDigits = 0;
    for (; i < s.size() && isDigit(s[i]); ++i, ++mantissaDigits) {
        ascii += static_cast<char>(s[i]);
        if (s[i] != u'0' || seenNonZero) {
            if (seenNonZero)
                ++magnitude;
            seenNonZero = true;
        }
    }
    if (i < s.size() && s[i] == decimalSeparator) {
        ascii += '.';
        ++i;
        long long zeros = 0;
        for (; i < s.size() && isDigit(s[i]); ++i, ++mantissaDigits) {
            ascii += static_cast<char>(s[i]);
            if (!seenNonZero) {
                ++zeros;
                if (s[i] != u'0') {
                    seenNonZero = true;
                    magnitude = -zeros;
                }
            }
        }
    }
    if (mantissaDigits == 0)
        failDecimal(text);

    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        ascii += 'e';
        ++i;
        bool negativeExponent = false;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
            negativeExponent = s[i] == u'-';
            ascii += negativeExponent ? "-" : "";
            ++i;
        }
        long long exponent = 0;
        std::size_t exponentDigits = 0;
        for (; i < s.size() && isDigit(s[i]); ++i, ++exponentDigits) {
            ascii += static_cast<char>(s[i]);
            if (exponent < 1'000'000)
                exponent = exponent * 10 + (s[i] - u'0');
        }
        if (exponentDigits == 0)
            failDecimal(text);
        magnitude += negativeExponent ? -exponent : exponent;
    }
    if (i != s.size())
        failDecimal(text);

    long double value = 0.0L;
    const char* const first = ascii.data();
    const char* const last = first + ascii.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc::result_out_of_range) {
        if (magnitude > 0)
            failDecimal(text);
        return negative ? -0.0L : 0.0L; // too small to hold: zero
    }
    if (error != std::errc{} || end != last || !std::isfinite(value))
        failDecimal(text);
    return value;
}

std::int32_t parseInteger(std::u16string_view text)
{
    const std::u16string_view s = trimmed(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    if (i == s.size())
        failInteger(text);
    constexpr std::int64_t limit = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    for (; i < s.size(); ++i) {
        if (!isDigit(s[i]))
            failInteger(text);
        magnitude = magnitude * 10 + (s[i] - u'0');
        if (magnitude > limit)
            failInteger(text);
    }
    if (!negative && magnitude == limit)
        failInteger(text);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::u16string formatGeneral(long double value, char16_t decimalSeparator)
{
    if (std::isnan(value))
        return u"NAN";
    if (std::isinf(value))
        return value < 0 ? u"-INF" : u"INF";
    if (value == 0.0L)
        return u"0";

    // Fifteen significant digits, rounded once, then laid out by hand so the
    // separator never comes from the C locale.
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const std::string sci(buffer, result.ptr);
    const std::size_t ePos = sci.find('e');
    std::string mantissa = sci.substr(0, ePos);
    const int exponent = std::stoi(sci.substr(ePos + 1));

    const bool negative = mantissa.front() == '-';
    std::string digits;
    for (const char c : mantissa)
        if (c >= '0' && c <= '9')
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::u16string out = negative ? u"-" : u"";
    auto append = [&out](const std::string& ascii) {
        for (const char c : ascii)
            out += static_cast<char16_t>(c);
    };

    if (exponent >= 15 || exponent < -5) {
        append(digits.substr(0, 1));
        if (digits.size() > 1) {
            out += decimalSeparator;
            append(digits.substr(1));
        }
        out += u'E';
        append(std::to_string(exponent));
        return out;
    }
    if (exponent >= 0) {
        const auto wholeDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= wholeDigits) {
            append(digits + std::string(wholeDigits - digits.size(), '0'));
        } else {
            append(digits.substr(0, wholeDigits));
            out += decimalSeparator;
            append(digits.substr(wholeDigits));
        }
        return out;
    }
    out += u'0';
    out += decimalSeparator;
    append(std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits);
    return out;
}

std::string toUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace vms::link
