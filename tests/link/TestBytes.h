#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace linktest
{

using Bytes = std::vector<std::uint8_t>;

// "00 53 4F" -> {0x00, 0x53, 0x4F}
inline Bytes hex(std::string_view text)
{
    Bytes out;
    std::istringstream in{std::string(text)};
    std::string token;
    while (in >> token)
        out.push_back(static_cast<std::uint8_t>(std::stoul(token, nullptr, 16)));
    return out;
}

inline std::string toHex(std::span<const std::uint8_t> bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const std::uint8_t b : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[b >> 4];
        out += digits[b & 0xF];
    }
    return out;
}

// The expected bytes from offset 0, then zeros up to size.
inline Bytes leading(std::string_view text, std::size_t size)
{
    Bytes out = hex(text);
    out.resize(size, 0);
    return out;
}

// A reply of `size` bytes starting with the two code letters, with byte runs
// placed at the given indices.
inline Bytes reply(std::string_view code,
                   std::initializer_list<std::pair<std::size_t, Bytes>> runs = {},
                   std::size_t size = 64)
{
    Bytes out(std::max<std::size_t>(size, 2), 0);
    out[0] = static_cast<std::uint8_t>(code[0]);
    out[1] = static_cast<std::uint8_t>(code[1]);
    for (const auto& [at, bytes] : runs) {
        if (out.size() < at + bytes.size())
            out.resize(at + bytes.size(), 0);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            out[at + i] = bytes[i];
    }
    out.resize(size);
    return out;
}

inline Bytes ascii(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

} // namespace linktest
