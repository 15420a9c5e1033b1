#pragma once

// Text on the wire is one byte per character: the low 8 bits of each UTF-16
// unit go out, and a received byte is the character with that code (0..255).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vms::link
{

// Writes at most maxChars characters (and never more than out.size()) into
// out and returns how many were written. Bytes of out past them are untouched.
std::size_t encodeText(std::u16string_view text, std::span<std::uint8_t> out, std::size_t maxChars);

// The characters of a bounded field up to its first zero byte.
std::u16string decodeText(std::span<const std::uint8_t> field);

} // namespace vms::link
