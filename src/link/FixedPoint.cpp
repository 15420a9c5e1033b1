#include "link/FixedPoint.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace vms::link
{

namespace
{

// Half to even, independent of the floating-point environment's rounding mode.
long double roundHalfEven(long double x)
{
    const long double lower = std::floor(x);
    // May round for -1 < x < 0, but never across 0.5 in a way that changes
    // the result.
    const long double fraction = x - lower;
    if (fraction > 0.5L)
        return lower + 1.0L;
    if (fraction < 0.5L)
        return lower;
    return std::fmod(lower, 2.0L) == 0.0L ? lower : lower + 1.0L;
}

} // namespace

std::int32_t toFixedPoint(long double value)
{
    const long double scaled = value * static_cast<long double>(kFixedPointScale);
    if (!std::isfinite(scaled))
        return 0;
    // fmod is exact, so this is the low 32 bits even far beyond the int64 range.
    constexpr long double twoTo32 = 4294967296.0L;
    long double low = std::fmod(roundHalfEven(scaled), twoTo32);
    if (low < 0.0L)
        low += twoTo32;
    const auto bits = static_cast<std::uint32_t>(static_cast<std::uint64_t>(low));
    return static_cast<std::int32_t>(bits);
}

std::u16string formatFixedPoint(std::int32_t scaled, char16_t decimalSeparator)
{
    const std::int64_t wide = scaled;
    const std::uint64_t magnitude = static_cast<std::uint64_t>(wide < 0 ? -wide : wide);
    const std::uint64_t whole = magnitude / kFixedPointScale;
    std::uint64_t fraction = magnitude % kFixedPointScale;

    std::u16string digits;
    std::uint64_t rest = whole;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + rest % 10));
        rest /= 10;
    } while (rest != 0);

    std::u16string text = wide < 0 ? u"-" : u"";
    text += digits;
    text += decimalSeparator;
    char16_t four[4];
    for (int i = 3; i >= 0; --i) {
        four[i] = static_cast<char16_t>(u'0' + fraction % 10);
        fraction /= 10;
    }
    text.append(four, 4);
    return text;
}

} // namespace vms::link
