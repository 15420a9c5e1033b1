#include "TestBytes.h"
#include "link/Replies.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <random>

using namespace vms::link;
using linktest::Bytes;

namespace
{

// Bounds every decoded text must respect, whatever the device sent.
void checkBounds(const Reply& r)
{
    if (const auto* f = std::get_if<FirmwareInfo>(&r)) {
        EXPECT_LE(f->text.size(), 61u);
    }
    if (const auto* s = std::get_if<StatusReport>(&r)) {
        EXPECT_LE(s->phoneNumber.size(), 16u);
    }
    if (const auto* g = std::get_if<GsmNumber>(&r)) {
        EXPECT_LE(g->number.size(), 16u);
    }
    if (const auto* t = std::get_if<SmsText>(&r)) {
        EXPECT_LE(t->text.size(), 32u);
    }
    if (const auto* p = std::get_if<PhonebookRecord>(&r)) {
        EXPECT_LE(p->number.size(), 16u);
        EXPECT_LE(p->note.size(), 6u);
        EXPECT_EQ(p->row, p->index & 0xFF);
    }
}

void checkOne(const Bytes& data)
{
    // An exact-size heap copy, so a sanitizer build sees any read past the end.
    const auto exact = std::make_unique<std::uint8_t[]>(data.size() + 1);
    std::copy(data.begin(), data.end(), exact.get());
    const Reply r = decodeReply(std::span<const std::uint8_t>(exact.get(), data.size()));
    checkBounds(r);
    if (data.size() < 2) {
        EXPECT_TRUE(std::holds_alternative<Ignored>(r));
        return;
    }
    // ShowRead's buffer: only the first 64 bytes count, and padding is zeros;
    // a list item cut short is not taken at all.
    if (!std::holds_alternative<Ignored>(r)) {
        EXPECT_EQ(r, decodeReply(toReplyBuffer(data)));
    }
}

} // namespace

TEST(ReplyRobustness, RandomBuffersAndMutatedReplies)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> length(0, 80);

    const char* codes[] = {"GF", "GS", "GM", "GN", "SN", "GP", "SP", "GA",
                           "GK", "GC", "SC", "GO", "SO", "SF", "gs", "ZZ"};
    // About a second of inputs; a deadline rather than a count, so slow
    // sanitizer builds stay brief too.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (int round = 0; round < 4'000'000; ++round) {
        if (round % 1024 == 0 && std::chrono::steady_clock::now() > deadline)
            break;
        Bytes data(length(rng));
        for (auto& b : data)
            b = static_cast<std::uint8_t>(byte(rng));
        if (round % 2 == 1 && data.size() >= 2) {
            // A valid code, sometimes with a valid sub-code, then random mutations.
            const char* code = codes[static_cast<std::size_t>(round / 2) % std::size(codes)];
            data[0] = static_cast<std::uint8_t>(code[0]);
            data[1] = static_cast<std::uint8_t>(code[1]);
            if (data.size() > 3 && round % 3 == 0)
                data[3] = (round % 4 == 0) ? 'A' : 'D';
            if (round % 5 == 0)
                std::fill(data.begin() + std::min<std::size_t>(data.size(), 4 + round % 40),
                          data.end(), 0);
        }
        checkOne(data);
        if (HasFailure())
            FAIL() << "input " << linktest::toHex(data);
    }
}

TEST(ReplyRobustness, EveryCodeAtEveryLength)
{
    // The same inputs on every run: each code, each length up to past the
    // buffer, filled with zeros, with ones, and with letters a text or a
    // sub-code test could trip over.
    const char* codes[] = {"GF", "GS", "GM", "GN", "SN", "GP", "SP", "GA", "GK", "GC", "SC",
                           "GO", "SO", "SR", "ST", "SD", "SA", "SK", "SF", "gs", "ZZ"};
    const std::uint8_t fills[] = {0x00, 0xFF, 'A', 'D'};
    for (const char* code : codes) {
        for (const std::uint8_t fill : fills) {
            for (std::size_t length = 0; length <= 80; ++length) {
                Bytes data(length, fill);
                if (length > 0)
                    data[0] = static_cast<std::uint8_t>(code[0]);
                if (length > 1)
                    data[1] = static_cast<std::uint8_t>(code[1]);
                checkOne(data);
                if (HasFailure())
                    FAIL() << "input " << linktest::toHex(data);
            }
        }
    }
}
