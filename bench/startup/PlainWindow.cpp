// The yardstick for Tavelo's start-up: a plain Qt Widgets program with what Tavelo's window shows at
// first sight, built the ordinary way — a left column with the command buttons, the camera list and the
// power-frequency list, seventeen property rows (name, slider, value, "Auto"), a status strip — at the
// same size, with stock widgets, the default style and font, no pictures and no camera access.
// Whatever Tavelo needs beyond this program's start-up is its own cost.

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <QWidget>

namespace {

const char* const kPropertyNames[] = {"Exposure",   "Gain",         "White balance", "Focus",     "Zoom (+/-)",
                                      "Brightness", "Saturation",   "Contrast",      "Sharpness", "Backlight comp.",
                                      "Gamma",      "Color enable", "Hue",           "Iris",      "Roll",
                                      "Tilt",       "Pan"};

QWidget* LeftColumn() {
  auto* column = new QWidget;
  column->setFixedWidth(260);
  auto* layout = new QVBoxLayout(column);
  layout->addWidget(new QLabel(QStringLiteral("Cam Settings")));
  auto* buttons = new QHBoxLayout;
  for (const char* text : {"Load", "Save", "System Dialog", "Factory default"})
    buttons->addWidget(new QPushButton(QString::fromLatin1(text)));
  layout->addLayout(buttons);
  auto* cameras = new QListWidget;
  cameras->addItems({QStringLiteral("HD Webcam"), QStringLiteral("Laptop Camera")});
  cameras->setCurrentRow(0);
  layout->addWidget(cameras);
  layout->addWidget(new QLabel(QStringLiteral("Power frequency")));
  auto* frequencies = new QListWidget;
  frequencies->addItems({QStringLiteral("PAL - 50Hz"), QStringLiteral("NTSC - 60Hz")});
  frequencies->setCurrentRow(0);
  layout->addWidget(frequencies);
  layout->addStretch();
  return column;
}

QWidget* PropertyRows() {
  auto* rows = new QWidget;
  auto* layout = new QVBoxLayout(rows);
  for (const char* name : kPropertyNames) {
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QString::fromLatin1(name));
    label->setFixedWidth(121);
    row->addWidget(label);
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(0, 255);
    slider->setValue(128);
    row->addWidget(slider, 1);
    auto* value = new QLabel(QStringLiteral("128"));
    value->setFixedWidth(40);
    row->addWidget(value);
    row->addWidget(new QCheckBox(QStringLiteral("Auto")));
    layout->addLayout(row);
  }
  layout->addStretch();
  return rows;
}

QWidget* StatusStrip() {
  auto* strip = new QWidget;
  auto* layout = new QHBoxLayout(strip);
  layout->addWidget(new QLabel(QStringLiteral(" ")));
  layout->addWidget(new QLabel, 1);
  layout->addWidget(new QLabel(QStringLiteral("Camera configurable")));
  return strip;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Plain start-up reference"));
  auto* outer = new QVBoxLayout(&window);
  auto* regions = new QHBoxLayout;
  regions->addWidget(LeftColumn());
  regions->addWidget(PropertyRows(), 1);
  outer->addLayout(regions, 1);
  outer->addWidget(StatusStrip());
  window.resize(1517, 740);
  window.show();
  return application.exec();
}
