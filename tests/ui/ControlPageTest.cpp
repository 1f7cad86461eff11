// A page of the driver panel over a small in-memory device: which controls "Defaults" writes and in
// what order when a value control comes before its automatic switch, and what a refused write shows.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <map>

#include "ui/ControlPage.h"

namespace {

constexpr quint32 kBrightness = 1;
constexpr quint32 kAutoBrightness = 2;
constexpr quint32 kSerial = 3;

// Brightness is listed before its switch (as V4L2 ids order them) and is locked while the switch is on.
TFrameControl Integer(quint32 id, const char* name, qint64 maximum, qint64 defaultValue) {
  TFrameControl control;
  control.Id = id;
  control.Name = name;
  control.Maximum = maximum;
  control.Default = defaultValue;
  return control;
}

class Device final : public TControlPageSource {
 public:
  QString Read(std::vector<TFrameControl>& controls) override {
    controls.clear();
    TFrameControl brightness = Integer(kBrightness, "Brightness", 255, 128);
    brightness.Inactive = values[kAutoBrightness] != 0;
    brightness.Value = values[kBrightness];
    TFrameControl automatic = Integer(kAutoBrightness, "Brightness, Auto", 1, 0);
    automatic.Kind = TFrameControlKind::Boolean;
    automatic.Value = values[kAutoBrightness];
    TFrameControl serial = Integer(kSerial, "Serial", 9999, 0);
    serial.ReadOnly = true;
    serial.Value = values[kSerial];
    controls = {brightness, automatic, serial};
    return {};
  }
  QString Write(quint32 id, qint64 value) override {
    writes.push_back({id, value});
    if (id == refuse) return QStringLiteral("The camera is in use by another program");
    if (id == kBrightness && values[kAutoBrightness] != 0) return QStringLiteral("locked");
    values[id] = value;
    return {};
  }

  std::map<quint32, qint64> values{{kBrightness, 10}, {kAutoBrightness, 1}, {kSerial, 4711}};
  std::vector<std::pair<quint32, qint64>> writes;
  quint32 refuse = 0;
};

TEST(ControlPage, DefaultsFreeALockedControlFirstAndLeaveReadOnlyOnesAlone) {
  auto device = std::make_shared<Device>();
  TControlPage page(device);
  EXPECT_FALSE(page.Editor(kBrightness)->isEnabled());
  EXPECT_FALSE(page.Editor(kSerial)->isEnabled());

  page.DefaultsButton()->click();

  // The switch first (brightness was locked), then brightness on the second walk; never the locked one.
  EXPECT_EQ(device->writes, (std::vector<std::pair<quint32, qint64>>{{kAutoBrightness, 0}, {kBrightness, 128}}));
  EXPECT_TRUE(page.Editor(kBrightness)->isEnabled());
  EXPECT_EQ(qobject_cast<QSlider*>(page.Editor(kBrightness))->value(), 128);
  EXPECT_EQ(page.ValueLabel(kBrightness)->text(), "128");
}

TEST(ControlPage, ARefusalShowsBesideItsControlUntilAWriteGoesThrough) {
  auto device = std::make_shared<Device>();
  device->values[kAutoBrightness] = 0;
  TControlPage page(device);
  page.show();
  auto* slider = qobject_cast<QSlider*>(page.Editor(kBrightness));
  device->refuse = kBrightness;
  slider->setValue(90);
  page.Refresh();  // what the frame does after every change
  EXPECT_TRUE(page.ErrorLabel(kBrightness)->isVisible());
  EXPECT_EQ(page.ErrorLabel(kBrightness)->text(), "The camera is in use by another program");
  EXPECT_FALSE(page.ErrorLabel(kAutoBrightness)->isVisible());
  EXPECT_EQ(slider->value(), 10);  // what the device holds

  device->refuse = 0;
  slider->setValue(91);
  EXPECT_FALSE(page.ErrorLabel(kBrightness)->isVisible());
  EXPECT_EQ(device->values[kBrightness], 91);
}

TEST(ControlPage, ADraggedSliderWritesEveryPositionButAnnouncesTheChangeOnceWhenLetGo) {
  auto device = std::make_shared<Device>();
  device->values[kAutoBrightness] = 0;
  TControlPage page(device);
  int announced = 0;
  QObject::connect(&page, &TControlPage::Changed, [&] { ++announced; });
  auto* slider = qobject_cast<QSlider*>(page.Editor(kBrightness));

  slider->setSliderDown(true);
  for (int value : {20, 30, 40}) slider->setValue(value);
  EXPECT_EQ(announced, 0);  // no page is read again mid-drag
  EXPECT_EQ(page.ValueLabel(kBrightness)->text(), "40");
  slider->setSliderDown(false);

  EXPECT_EQ(device->writes,
            (std::vector<std::pair<quint32, qint64>>{{kBrightness, 20}, {kBrightness, 30}, {kBrightness, 40}}));
  EXPECT_EQ(announced, 1);
}

}  // namespace
