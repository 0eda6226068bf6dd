#include "devices/ui/device_test_dialog.h"

#include <QLabel>

#include "devices/plant_fixture.h"
#include "platform/qtkit/dialog.h"
#include "platform/qtkit/testing.h"
#include "platform/qtkit/text.h"
#include "platform/runtime/cp874.h"

namespace mp {
namespace {

class DeviceTestScreen : public PlantFixture {
protected:
    void SetUp() override { testing::testApp(); }

    // The nine lines after pressing start `presses` times.
    QStringList run(int presses) {
        QStringList lines;
        testing::whenModal([&](QWidget* w) {
            auto* dlg = static_cast<KitDialog*>(w);
            for (int i = 0; i < presses; ++i) testing::clickButton(dlg, QString::fromUtf8("เริ่ม"));
            for (int k = 1; k <= 9; ++k)
                lines << static_cast<QLabel*>(dlg->control("line" + std::to_string(k)))->text();
            testing::clickButton(dlg, QString::fromUtf8("ออก"));
        });
        runDeviceTest(nullptr, QFont("Loma", 12));
        return lines;
    }
};

TEST_F(DeviceTestScreen, StartShowsEachDeviceOnItsLine) {
    plant.setContents(1, 1234.5);
    plant.setIndicatorFault(3, *sim::parseFault("silent"));
    QStringList lines = run(2);  // the second run starts again from the start texts
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[0], QString::fromUtf8("หัวอ่านที่ 1 = 1234.5"));
    EXPECT_EQ(lines[1], QString::fromUtf8("หัวอ่านที่ 2 = 0.0"));
    EXPECT_EQ(lines[2], QString::fromUtf8("หัวอ่านที่ 3 = ERROR"));
    EXPECT_EQ(lines[7], QString::fromUtf8("หัวอ่านที่ 8 = ERROR"));  // no address for slot 8
    EXPECT_EQ(lines[8], QString::fromUtf8("กล่องควบคุม = OK"));
    EXPECT_EQ(plant.outputs(), std::string(16, '0'));
}

TEST_F(DeviceTestScreen, BeforeStartTheLinesShowTheirStartTexts) {
    QStringList lines = run(0);
    EXPECT_EQ(lines[0], QString::fromUtf8("การสื่อสารกับหัวอ่านที่ 1"));
    EXPECT_EQ(lines[8], QString::fromUtf8("การสื่อสารกับกล่องควบคุม"));
}

}  // namespace
}  // namespace mp
