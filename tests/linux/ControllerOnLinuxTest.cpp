// The HID layer on the hidraw back end, with the imitation device behind a
// fake node of a umockdev testbed; run under umockdev-wrapper.

#include "device/ImitationDevice.h"
#include "hid/HidControllerClass.h"
#include "hid/platform/linux/LinuxPlatform.h"

#include "FakeHidraw.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>

using namespace std::chrono_literals;

namespace
{

using Bytes = std::vector<std::uint8_t>;

const Bytes VendorDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00,
                                0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40, 0x09, 0x01,
                                0x81, 0x02, 0x95, 0x40, 0x09, 0x01, 0x91, 0x02, 0xC0};

TEST(LinuxController, ImitationDeviceAnswersGFAndItsUnplugReachesTheController)
{
    vms::test::FakeBed bed;
    vms::test::FakeNodeProfile profile;
    profile.manufacturer = "Veltrano";
    profile.productName = "Veltrano 8";
    profile.descriptor = VendorDescriptor;
    auto& node = bed.add(profile);

    device::ImitationDevice imitation;
    node.onWrite([&imitation](vms::test::FakeHidraw& n, const Bytes& report) {
        const auto response = imitation.handle(report);
        if (response.reply && response.reply->size() > 1) // unnumbered: no ID byte on the wire
            n.sendInput(Bytes(response.reply->begin() + 1, response.reply->end()));
    });

    hid::platform::ErrorCode err = 0;
    auto platform = hid::platform::linux_backend::makeLinuxPlatform(err);
    ASSERT_NE(platform, nullptr);
    hid::MainThreadHandoff handoff;
    std::vector<std::string> events;
    std::vector<Bytes> data;
    std::vector<std::uint32_t> readErrors;
    {
        hid::THidDeviceController controller(*platform, handoff);
        std::u16string product;
        controller.SetOnArrival([&](hid::THidDevice* d) {
            events.push_back("arrival");
            product = d->ProductName(); // open to queries while offered
        });
        controller.SetOnRemoval([&](hid::THidDevice*) { events.push_back("removal"); });
        controller.SetOnDeviceDataError(
            [&](hid::THidDevice*, std::uint32_t e) { readErrors.push_back(e); });
        controller.SetOnDeviceChange([&] { events.push_back("change"); });
        ASSERT_EQ(events, (std::vector<std::string>{"arrival", "change"}));
        ASSERT_EQ(controller.Count(), 1);
        EXPECT_EQ(product, u"Veltrano 8");

        auto device = controller.CheckOutByIndex(0);
        ASSERT_NE(device, nullptr);
        device->SetOnData(
            [&](hid::THidDevice*, std::uint8_t id, const std::uint8_t* bytes, std::uint16_t size) {
                Bytes r{id};
                r.insert(r.end(), bytes, bytes + size);
                data.push_back(r);
            });
        Bytes request(65, 0);
        request[1] = 'G';
        request[2] = 'F';
        std::uint32_t written = 0;
        ASSERT_TRUE(device->WriteFile(request, written));
        EXPECT_EQ(written, 65u);
        while (data.empty() && handoff.waitAndDrain(10s)) {
        }
        ASSERT_EQ(data.size(), 1u);
        EXPECT_EQ(data[0].size(), 65u) << "ReportID + 64 bytes";
        EXPECT_EQ(data[0][0], 0);
        EXPECT_EQ(data[0][1], 'G');
        EXPECT_EQ(data[0][2], 'F');

        // Unplugged mid-read: the read thread reports its error, the monitor
        // the change; the scan then raises OnRemoval and OnDeviceChange.
        events.clear();
        bed.unplug(node);
        while (readErrors.empty() && handoff.waitAndDrain(10s)) {
        }
        ASSERT_FALSE(readErrors.empty());
        EXPECT_EQ(readErrors[0], static_cast<std::uint32_t>(ENODEV));
        ASSERT_TRUE(vms::test::waitReadable(platform->changeFd(), 10s));
        platform->processChanges();
        while (events.size() < 2 && handoff.waitAndDrain(10s)) {
        }
        EXPECT_EQ(events, (std::vector<std::string>{"removal", "change"}));
        EXPECT_FALSE(device->IsPluggedIn());

        // Handing it back stops its read thread and drops the entry.
        device.reset();
        EXPECT_EQ(controller.Count(), 0);
    }
}

} // namespace
