#pragma once

// Conversions between the texts the user types and numbers, with the error
// texts the windows show.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vms::link
{

// A text that does not convert. what() is UTF-8; text() is the same message
// for the windows, which work in UTF-16.
class ConvertError : public std::runtime_error
{
public:
    explicit ConvertError(std::u16string message);

    const std::u16string& text() const noexcept { return m_text; }

private:
    std::u16string m_text;
};

// A decimal number: optional sign, digits with at most one decimalSeparator
// (digits on at least one side of it), optional exponent (e or E, optional
// sign, digits). Blanks around the number are tolerated. Only the given
// separator is accepted. Fails with "'%s' is not a valid floating point value",
// also for a value too large for a long double.
long double parseDecimal(std::u16string_view text, char16_t decimalSeparator);

// A whole number in the signed 32-bit range: optional sign and decimal digits,
// blanks around it tolerated. Fails with "''%s'' is not a valid integer value".
std::int32_t parseInteger(std::u16string_view text);

// The general format with up to 15 significant digits: fixed notation for
// 0.00001 <= |value| < 1e15, otherwise scientific ("1.5E-7", "1E20");
// no trailing zeros. Infinities and not-a-number give "INF", "-INF", "NAN".
std::u16string formatGeneral(long double value, char16_t decimalSeparator);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view text);

} // namespace vms::link
