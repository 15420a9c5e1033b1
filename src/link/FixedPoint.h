#pragma once

// The fixed-point decimal of the wire: a signed 32-bit integer equal to the
// value times 10000.

#include <cstdint>
#include <string>

namespace vms::link
{

inline constexpr std::int32_t kFixedPointScale = 10000;

// value × 10000, rounded to nearest with a half going to the even neighbour,
// taken as its low 32 bits (so values beyond ±214748.3647 wrap, as the device
// expects). Not-a-number and infinities give 0; parseDecimal never yields them.
std::int32_t toFixedPoint(long double value);

// "0.0000": at least one digit before the separator, exactly four after it,
// a leading minus for negative values.
std::u16string formatFixedPoint(std::int32_t scaled, char16_t decimalSeparator);

} // namespace vms::link
