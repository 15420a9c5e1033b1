#pragma once

// Big-endian access to the byte fields of command and reply reports. Callers
// pass spans that hold the whole field; the offsets come from Layout.h.

#include <cstddef>
#include <cstdint>
#include <span>

namespace vms::link
{

constexpr std::uint16_t readU16BE(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

constexpr std::uint32_t readU32BE(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
}

// Two's complement: the conversion of an out-of-range unsigned value is
// defined modulo 2^N since C++20.
constexpr std::int16_t readI16BE(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::int16_t>(readU16BE(bytes, at));
}

constexpr std::int32_t readI32BE(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::int32_t>(readU32BE(bytes, at));
}

constexpr void writeU16BE(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = static_cast<std::uint8_t>(value >> 8);
    bytes[at + 1] = static_cast<std::uint8_t>(value);
}

constexpr void writeU32BE(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value)
{
    bytes[at] = static_cast<std::uint8_t>(value >> 24);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 16);
    bytes[at + 2] = static_cast<std::uint8_t>(value >> 8);
    bytes[at + 3] = static_cast<std::uint8_t>(value);
}

constexpr void writeI16BE(std::span<std::uint8_t> bytes, std::size_t at, std::int16_t value)
{
    writeU16BE(bytes, at, static_cast<std::uint16_t>(value));
}

constexpr void writeI32BE(std::span<std::uint8_t> bytes, std::size_t at, std::int32_t value)
{
    writeU32BE(bytes, at, static_cast<std::uint32_t>(value));
}

} // namespace vms::link
