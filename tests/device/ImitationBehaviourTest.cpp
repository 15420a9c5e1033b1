#include "device/ImitationBehaviour.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace
{

using Bytes = std::vector<std::uint8_t>;

template <typename Set> device::Faults faults(Set set)
{
    device::Faults f;
    set(f);
    return f;
}

class FakeBus : public hid::platform::virt::BusContext
{
public:
    struct Reply {
        Bytes report;
        std::chrono::milliseconds delay;
    };
    std::vector<Reply> replies;
    std::vector<std::chrono::milliseconds> drops;

    void reply(Bytes inputReport, std::chrono::milliseconds delay) override
    {
        replies.push_back({std::move(inputReport), delay});
    }
    void dropConnection(std::chrono::milliseconds downTime) override { drops.push_back(downTime); }
};

Bytes request(const char* code, std::uint8_t sub = 0)
{
    Bytes report(65, 0);
    report[1] = static_cast<std::uint8_t>(code[0]);
    report[2] = static_cast<std::uint8_t>(code[1]);
    report[3] = sub;
    return report;
}

class ImitationBehaviourTest : public ::testing::Test
{
protected:
    std::chrono::milliseconds now{0};
    std::shared_ptr<device::ImitationDevice> model =
        std::make_shared<device::ImitationDevice>([this] { return now; });
    device::ImitationBehaviour behaviour{model};
    FakeBus bus;
};

TEST_F(ImitationBehaviourTest, RepliesThroughTheBusWithTheModelsLatency)
{
    model->setLatency(40ms);
    behaviour.onOutputReport(request("GS"), bus);

    ASSERT_EQ(bus.replies.size(), 1u);
    EXPECT_EQ(bus.replies[0].delay, 40ms);
    ASSERT_EQ(bus.replies[0].report.size(), 65u);
    EXPECT_EQ(bus.replies[0].report[0], 0);
    EXPECT_EQ(bus.replies[0].report[1], 'G');
    EXPECT_EQ(bus.replies[0].report[2], 'S');
    EXPECT_TRUE(bus.drops.empty());
    EXPECT_EQ(model->receivedCount(), 1u);
}

TEST_F(ImitationBehaviourTest, RestartsAskTheBusToDropTheConnection)
{
    struct Case {
        Bytes report;
        std::chrono::milliseconds downTime;
    };
    model->setFormatDownTime(3s);
    model->setBootDownTime(1500ms);
    const Case cases[] = {{request("SF"), 3s}, {request("SR", 'B'), 1500ms}};
    for (const auto& c : cases) {
        FakeBus fresh;
        behaviour.onOutputReport(c.report, fresh);
        EXPECT_TRUE(fresh.replies.empty());
        ASSERT_EQ(fresh.drops.size(), 1u);
        EXPECT_EQ(fresh.drops[0], c.downTime);
    }
}

TEST_F(ImitationBehaviourTest, SilentDeviceSendsNothing)
{
    model->setFaults(faults([](device::Faults& f) { f.silent = true; }));
    behaviour.onOutputReport(request("GF"), bus);
    behaviour.onOutputReport(Bytes{}, bus);
    EXPECT_TRUE(bus.replies.empty());
    EXPECT_TRUE(bus.drops.empty());
    EXPECT_EQ(model->receivedCount(), 2u);
}

TEST(ImitationIdentity, PlugsInAsTheToolsDevice)
{
    const auto id = device::imitationIdentity();
    EXPECT_EQ(id.product, u"Veltrano 8");
    EXPECT_FALSE(id.manufacturer.empty());
    EXPECT_EQ(id.attributes.VendorID, 0x1209);
    EXPECT_EQ(id.attributes.ProductID, 0x5656);
    EXPECT_EQ(id.reportLengths.InputReportByteLength, 65);
    EXPECT_EQ(id.reportLengths.OutputReportByteLength, 65);
    EXPECT_EQ(id.reportLengths.FeatureReportByteLength, 0);
}

} // namespace
