#include "link/CommandFrame.h"

#include "link/Layout.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace vms::link
{

namespace
{

CommandReport frameHeader(char16_t cmd, char16_t subCmd)
{
    CommandReport report{};
    report[layout::request::kReportId] = 0;
    report[layout::request::kCmd] = static_cast<std::uint8_t>(cmd & 0xFFu);
    report[layout::request::kSubCmd] = static_cast<std::uint8_t>(subCmd & 0xFFu);
    return report;
}

} // namespace

CommandReport frameParams(char16_t cmd, char16_t subCmd, const Params& params)
{
    CommandReport report = frameHeader(cmd, subCmd);
    std::copy(params.begin(), params.end(), report.begin() + layout::request::kParams);
    return report;
}

CommandReport frameBlock(char16_t cmd, char16_t subCmd, std::span<const std::uint8_t> block)
{
    if (block.size() > kMaxBlockSize)
        throw std::length_error("command block of " + std::to_string(block.size()) +
                                " bytes exceeds " + std::to_string(kMaxBlockSize));
    CommandReport report = frameHeader(cmd, subCmd);
    std::copy(block.begin(), block.end(), report.begin() + layout::request::kParams);
    return report;
}

CommandReport frame(const Request& request)
{
    if (request.form == Request::Form::Block)
        return frameBlock(request.cmd, request.subCmd, request.block);
    return frameParams(request.cmd, request.subCmd, request.params);
}

} // namespace vms::link
