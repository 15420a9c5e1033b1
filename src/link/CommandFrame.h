#pragma once

// The command report: report ID 0, the two letters of the command code, then
// either 24 one-byte parameters or a block of up to 59 bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vms::link
{

inline constexpr std::size_t kCommandReportSize = 65;
inline constexpr std::size_t kParamCount = 24;
inline constexpr std::size_t kMaxBlockSize = 59;

using CommandReport = std::array<std::uint8_t, kCommandReportSize>;

// Par1..Par24; Par1 is report byte 3.
using Params = std::array<std::uint8_t, kParamCount>;

// One request as the main window sends it: HIDSendCmd takes cmd, subCmd and
// params; HIDSendCmdBuf takes cmd, subCmd and block.
struct Request {
    enum class Form { Params, Block };

    char16_t cmd = 0;
    char16_t subCmd = 0;
    Form form = Form::Params;
    Params params{};
    std::vector<std::uint8_t> block;

    friend bool operator==(const Request&, const Request&) = default;
};

// The 24-parameter form; the rest of the report is zero.
CommandReport frameParams(char16_t cmd, char16_t subCmd, const Params& params);

// The block form. A block longer than kMaxBlockSize throws std::length_error
// and nothing is framed.
CommandReport frameBlock(char16_t cmd, char16_t subCmd, std::span<const std::uint8_t> block);

CommandReport frame(const Request& request);

} // namespace vms::link
