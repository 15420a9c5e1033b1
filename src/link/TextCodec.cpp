#include "link/TextCodec.h"

#include <algorithm>

namespace vms::link
{

std::size_t encodeText(std::u16string_view text, std::span<std::uint8_t> out, std::size_t maxChars)
{
    const std::size_t count = std::min({text.size(), maxChars, out.size()});
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<std::uint8_t>(text[i] & 0xFFu);
    return count;
}

std::u16string decodeText(std::span<const std::uint8_t> field)
{
    std::u16string text;
    for (const std::uint8_t byte : field) {
        if (byte == 0)
            break;
        text.push_back(static_cast<char16_t>(byte));
    }
    return text;
}

} // namespace vms::link
