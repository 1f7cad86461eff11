// The camera test: the live picture of the selected camera and format in the test window, its frame
// clock, the state it leaves the main window in, and what happens when the camera is busy or goes.

#include <QCheckBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "app/CameraTestRules.h"
#include "app/StartArguments.h"
#include "tests/app/MainWindowHarness.h"
#include "ui/Effects.h"
#include "ui/Image.h"
#include "ui/ListBox.h"
#include "ui/LiveCam.h"
#include "ui/PaintBox.h"
#include "ui/Timer.h"
#include "ui/TrackBar.h"

using namespace tavelo::platform;

namespace {

// ---- Rules without a window --------------------------------------------------------------------------

TEST(CameraTestRules, FrameClockIsTheFramePeriodInWholeMilliseconds) {
  const struct {
    std::int64_t avgTimePerFrame;
    int interval;
  } cases[] = {{333333, 33}, {400000, 40}, {666666, 66}, {10000, 1}, {9999, 0}, {0, 0}, {-5, 0},
               {std::int64_t{1} << 50, INT_MAX}};
  for (const auto& c : cases) {
    EXPECT_EQ(FrameClockInterval(c.avgTimePerFrame), c.interval) << c.avgTimePerFrame;
  }
}

TEST(StartArguments, TraceAndPreviewAreReadFromTheFrontInAnyOrder) {
  const struct {
    QStringList arguments;
    bool trace;
    bool preview;
  } cases[] = {
      {{}, false, false},
      {{"trace"}, true, false},
      {{"preview"}, false, true},
      {{"trace", "preview"}, true, true},
      {{"preview", "trace"}, true, true},
      {{"x", "trace"}, false, false},
      {{"preview", "x", "trace"}, false, true},
      {{"Preview"}, false, false},
      {{"preview "}, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const TStartArguments parsed = TStartArguments::Parse(c.arguments);
    EXPECT_EQ(parsed.Trace, c.trace);
    EXPECT_EQ(parsed.Preview, c.preview);
  }
}

// ---- The window ----------------------------------------------------------------------------------------

constexpr char kCameraPath[] = "sim://test-camera";

// Small formats keep the frames cheap; the frame durations are the clock's cases.
constexpr char kTestCamera[] = R"([Device]
FriendlyName=Test Camera
DevicePath=sim://test-camera

[VideoProcAmp.Brightness]
Min=-64
Max=64
Default=0
Capabilities=Manual

[Format]
Subtype=YUY2
Width=160
Height=120
FrameIntervals=333333

[Format]
Subtype=YUY2
Width=160
Height=120
FrameIntervals=400000

[Format]
Subtype=MJPG
Width=176
Height=144
FrameIntervals=666666

[Format]
Subtype=YUY2
Width=160
Height=120
FrameIntervals=0
)";

enum FormatIndex { k30Hz = 0, k25Hz = 1, kMjpg15Hz = 2, kNoRate = 3 };

class CameraTestWindowTest : public MainWindowTest {
 protected:
  TFormMain& StartPreview(QStringList arguments = {"preview"}) {
    UseSimulated({WriteProfile("test-camera.ini", kTestCamera)});
    TFormMain& window = Start(std::move(arguments));
    ClickEntry(window.ComboBoxCamera, 0);  // a single camera is listed, not selected: the user picks it
    return window;
  }

  TLivecamForm& TestWindow() { return *Window().LivecamForm(); }

  void ClickTestIcon() {
    QTest::mouseClick(Window().ButtonTestCam, Qt::LeftButton, {}, Window().ButtonTestCam->rect().center());
  }

  // Selects the format and opens the test by clicking the camera icon.
  void OpenTest(int format) {
    ClickEntry(Window().ComboBoxFormat, format);
    ASSERT_EQ(Window().ComboBoxFormat->ItemIndex(), format);
    ClickTestIcon();
  }

  void Tick() { emit Window().CameraTimer->Timer(Window().CameraTimer); }

  // Waits until the paint surface shows a frame of the camera (the first frames take a moment).
  QImage WaitForPicture() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 3000) {
      QTest::qWait(20);
      const QImage picture = Painted();
      if (!IsUniform(picture)) return picture;
    }
    ADD_FAILURE() << "no picture was painted";
    return {};
  }

  // What the paint surface draws now.
  QImage Painted() { return Window().PaintBox->grab().toImage().convertToFormat(QImage::Format_RGB32); }

  static bool IsUniform(const QImage& image) {
    if (image.isNull()) return true;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) != first) return false;
      }
    }
    return true;
  }

  static double MeanLuma(const QImage& image) {
    double sum = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) sum += qGray(image.pixel(x, y));
    }
    return sum / (image.width() * image.height());
  }

  bool TraceHas(const QString& line) { return Window().Memo1->toPlainText().split('\n').contains(line); }

  // The state the test leaves behind when no test runs (its Idle state).
  void ExpectIdle(bool streamingElsewhere = false) {
    EXPECT_FALSE(TestWindow().isVisible());
    EXPECT_EQ(TestWindow().Tag(), 0);
    EXPECT_FALSE(Window().CameraTimer->Enabled());
    EXPECT_FALSE(Window().CameraOff->isHidden());
    EXPECT_FALSE(Window().CameraIconGlow->isEnabled());
    EXPECT_FALSE(Window().CameraIconInnerGlow->isEnabled());
    EXPECT_EQ(Window().CameraGlowTimer->Interval(), 0);
    EXPECT_FALSE(Window().FCamera->Active());
    EXPECT_EQ(Simulated().IsStreaming(kCameraPath), streamingElsewhere);
  }
};

TEST_F(CameraTestWindowTest, TestRunsAtTheFormatsFramePeriod) {
  const struct {
    int format;
    int interval;
    QString caption;
  } cases[] = {
      {k30Hz, 33, "Test Camera @ 160x120 30Hz 16bpp"},
      {k25Hz, 40, "Test Camera @ 160x120 25Hz 16bpp"},
      {kMjpg15Hz, 66, "Test Camera @ 176x144 15Hz 24bpp"},
      {kNoRate, 0, "Test Camera @ 160x120 16bpp"},
  };
  StartPreview();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    OpenTest(c.format);
    EXPECT_TRUE(TestWindow().isVisible());
    EXPECT_EQ(TestWindow().Tag(), 1);
    EXPECT_EQ(TestWindow().windowTitle(), c.caption);
    EXPECT_TRUE(Window().CameraTimer->Enabled());
    EXPECT_EQ(Window().CameraTimer->Interval(), c.interval);
    EXPECT_EQ(Window().CameraTimer->IsCounting(), c.interval > 0);  // 0: the clock stays idle
    EXPECT_TRUE(Window().CameraOff->isHidden());
    EXPECT_EQ(Window().CameraGlowTimer->Interval(), 500);
    EXPECT_EQ(Window().PaintBox->parentWidget(), TestWindow().CameraPanel);
    EXPECT_EQ(Window().PaintBox->size(), Window().FCamera->Format().Width == 176 ? QSize(176, 144) : QSize(160, 120));
    EXPECT_EQ(Simulated().CurrentFormatIndex(kCameraPath), std::optional<std::size_t>(c.format));
    EXPECT_TRUE(Simulated().IsStreaming(kCameraPath));
    WaitForPicture();
    // Ending the test: the window hides at once, the next tick lets the camera go.
    ClickTestIcon();
    Tick();
    ExpectIdle();
  }
  EXPECT_TRUE(notices.isEmpty()) << notices.join('\n').toStdString();
}

TEST_F(CameraTestWindowTest, FramesArePaintedAtTheFramePeriod) {
  StartPreview();
  OpenTest(k30Hz);
  WaitForPicture();

  struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++paints;
      return false;
    }
  } counter;
  Window().PaintBox->installEventFilter(&counter);
  QTest::qWait(500);
  Window().PaintBox->removeEventFilter(&counter);
  // 33 ms: 15 ticks in half a second; a loaded machine loses some, a runaway repaint gains many.
  EXPECT_GE(counter.paints, 7);
  EXPECT_LE(counter.paints, 20);
}

TEST_F(CameraTestWindowTest, PictureFollowsTheBrightnessSlider) {
  StartPreview();
  OpenTest(k30Hz);
  const double before = MeanLuma(WaitForPicture());
  DragSlider(Row(TFCameraProperty::Brightness).Controls.TrackBar, 64);
  QTest::qWait(300);  // frames of the new brightness reach the picture
  const double brighter = MeanLuma(Painted());
  DragSlider(Row(TFCameraProperty::Brightness).Controls.TrackBar, -64);
  QTest::qWait(300);
  const double darker = MeanLuma(Painted());
  EXPECT_GT(brighter, before + 20);
  EXPECT_LT(darker, before - 20);
}

TEST_F(CameraTestWindowTest, EveryWayOfHidingTheWindowEndsTheTestOnTheNextTick) {
  const struct {
    const char* name;
    std::function<void()> hide;
    const char* traced;
  } cases[] = {
      {"close", [this] { TestWindow().close(); }, nullptr},
      {"test icon", [this] { ClickTestIcon(); }, "Hide 3"},
      {"camera-off icon", [this] { Window().Image1Click(Window().CameraOff); }, "Hide 2"},
      {"other format", [this] { ClickEntry(Window().ComboBoxFormat, k25Hz); }, "Hide 4"},
  };
  StartPreview({"preview", "trace"});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OpenTest(k30Hz);
    Window().Memo1->clear();
    c.hide();
    // Ending: hidden and Tag cleared at once, the camera still running until the tick.
    EXPECT_FALSE(TestWindow().isVisible());
    EXPECT_EQ(TestWindow().Tag(), 0);
    EXPECT_TRUE(Window().FCamera->Active());
    EXPECT_TRUE(Window().CameraTimer->Enabled());
    if (c.traced) {
      EXPECT_TRUE(TraceHas(c.traced));
    }
    EXPECT_FALSE(TraceHas("StopDevice"));
    Tick();
    EXPECT_TRUE(TraceHas("CameraTimerTimer"));
    EXPECT_TRUE(TraceHas("StopDevice"));
    ExpectIdle();
  }
}

TEST_F(CameraTestWindowTest, FormatDoubleClickStartsTheTestOnlyWhileNoneShows) {
  StartPreview({"preview", "trace"});
  ClickEntry(Window().ComboBoxFormat, k25Hz);
  TListBox* list = Window().ComboBoxFormat;
  const QPoint entry = list->visualItemRect(list->item(k25Hz)).center();
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, entry);
  ASSERT_TRUE(TestWindow().isVisible());
  EXPECT_EQ(Window().CameraTimer->Interval(), 40);

  // While the window shows a double-click changes nothing: the running camera is not restarted.
  Window().Memo1->clear();
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, entry);
  EXPECT_FALSE(TraceHas("StopDevice"));
  EXPECT_FALSE(TraceHas("FCamera.Active := True"));
  EXPECT_TRUE(TestWindow().isVisible());
  EXPECT_TRUE(Window().FCamera->Active());
  EXPECT_EQ(TestWindow().Tag(), 1);
}

TEST_F(CameraTestWindowTest, GlowsBlinkInTurnAndHoverLightsTheStartGlow) {
  StartPreview();
  TFormMain& window = Window();
  EXPECT_TRUE(window.CameraCouldStartGlow->isEnabled());  // on until the pointer first leaves
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(window.ButtonTestCam, &leave);
  EXPECT_FALSE(window.CameraCouldStartGlow->isEnabled());
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QCoreApplication::sendEvent(window.ButtonTestCam, &enter);
  EXPECT_TRUE(window.CameraCouldStartGlow->isEnabled());

  OpenTest(k30Hz);
  const struct {
    bool outer;
    bool inner;
  } ticks[] = {{true, false}, {false, true}, {true, false}, {false, true}};
  for (const auto& expected : ticks) {
    emit window.CameraGlowTimer->Timer(window.CameraGlowTimer);
    EXPECT_EQ(window.CameraIconGlow->isEnabled(), expected.outer);
    EXPECT_EQ(window.CameraIconInnerGlow->isEnabled(), expected.inner);
  }
  window.StopDevice();
  EXPECT_FALSE(window.CameraIconGlow->isEnabled());
  EXPECT_FALSE(window.CameraIconInnerGlow->isEnabled());
}

TEST_F(CameraTestWindowTest, CameraHeldByAnotherProgramGivesTheNoticeAndStaysIdle) {
  StartPreview();
  // Another program streams the camera: a second component on the same platform.
  TFCamera other(nullptr, std::shared_ptr<CapturePlatform>(&Simulated(), [](CapturePlatform*) {}));
  other.SetCaptureType(TFCaptureType::ctGrabber);
  other.SelectDevice(QStringLiteral("Test Camera"), QString::fromLatin1(kCameraPath));
  other.SetActive(true);
  other.Run();
  ASSERT_TRUE(Simulated().IsStreaming(kCameraPath));

  OpenTest(k30Hz);
  ASSERT_EQ(notices.size(), 1);
  EXPECT_EQ(notices[0], "Test Camera used in another app. Change settings here, observe results there!");
  ExpectIdle(/*streamingElsewhere=*/true);
  EXPECT_EQ(Window().CameraTimer->Interval(), 0);
  EXPECT_TRUE(reports->Messages().isEmpty());

  // Once the other program lets go the test runs.
  other.SetActive(false);
  ClickTestIcon();
  EXPECT_TRUE(TestWindow().isVisible());
  EXPECT_TRUE(Simulated().IsStreaming(kCameraPath));
}

TEST_F(CameraTestWindowTest, CameraRefusingToRunGivesTheNoticeAndStaysIdle) {
  StartPreview();
  ASSERT_TRUE(Simulated().FailCall(kCameraPath, CallFault(SimulatedCall::StateChange, kErrorDeviceInUse)));
  OpenTest(k30Hz);
  ASSERT_EQ(notices.size(), 1);
  EXPECT_EQ(notices[0], "Test Camera used in another app. Change settings here, observe results there!");
  ExpectIdle();
  EXPECT_TRUE(reports->Messages().isEmpty());
  ClickTestIcon();  // the fault was for one call: the next start runs
  EXPECT_TRUE(TestWindow().isVisible());
}

TEST_F(CameraTestWindowTest, UnpluggedCameraEndsTheTestWithANotice) {
  StartPreview();
  OpenTest(k30Hz);
  WaitForPicture();
  ASSERT_TRUE(Simulated().Unplug(kCameraPath));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !TestWindow().isVisible(); }, 2000));
  ExpectIdle();
  ASSERT_EQ(notices.size(), 1);
  EXPECT_EQ(notices[0], "Test Camera was disconnected. The camera list has been updated.");
  EXPECT_EQ(Window().ComboBoxCamera->Count(), 0);
  EXPECT_TRUE(reports->Messages().isEmpty());
  // Nothing keeps ticking or painting on the gone camera.
  QTest::qWait(100);
  EXPECT_EQ(notices.size(), 1);
}

TEST_F(CameraTestWindowTest, ClosingTheWindowWhilePaintingEndsTheTestCleanly) {
  StartPreview();
  OpenTest(k30Hz);
  WaitForPicture();
  // The close arrives inside a paint, between fetching the frame and the next one.
  const QMetaObject::Connection closing = QObject::connect(
      Window().PaintBox, &TPaintBox::Paint, &TestWindow(), [this] { TestWindow().close(); },
      Qt::DirectConnection);
  Window().InvalidatePaintBox();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Window().FCamera->Active(); }, 2000));
  QObject::disconnect(closing);
  ExpectIdle();
  EXPECT_TRUE(notices.isEmpty());
}

TEST_F(CameraTestWindowTest, TestWindowDestroyedFirstLeavesTheMainWindowWorking) {
  StartPreview();
  OpenTest(k30Hz);
  WaitForPicture();
  DestroyLivecamForm();  // with the paint surface it was lent
  EXPECT_EQ(Window().PaintBox, nullptr);
  Tick();
  EXPECT_FALSE(Window().FCamera->Active());
  ClickTestIcon();  // no window to show: nothing happens
  EXPECT_FALSE(Window().FCamera->Active());
  EXPECT_TRUE(reports->Messages().isEmpty());
}

TEST_F(CameraTestWindowTest, RefreshLeavesARunningTestAlone) {
  StartPreview();
  OpenTest(k30Hz);
  emit Window().RefreshTimer->Timer(Window().RefreshTimer);
  EXPECT_TRUE(Window().FCamera->Active());
  EXPECT_TRUE(Simulated().IsStreaming(kCameraPath));
  TestWindow().close();
  emit Window().RefreshTimer->Timer(Window().RefreshTimer);  // Tag is 0: the re-read deactivates
  EXPECT_FALSE(Window().FCamera->Active());
}

TEST_F(CameraTestWindowTest, GrabberPathRepaintsPerFrameAndStopsOnceHidden) {
  StartPreview();
  Window().FCamera->SetCaptureType(TFCaptureType::ctGrabber);
  OpenTest(k30Hz);
  ASSERT_TRUE(TestWindow().isVisible());
  EXPECT_EQ(Window().FCamera->CaptureType(), TFCaptureType::ctGrabber);
  EXPECT_FALSE(Window().CameraTimer->Enabled());  // frames drive the repaint
  EXPECT_TRUE(Window().CameraOff->isHidden());
  WaitForPicture();

  // Start and stop while frames flow: deactivation waits for the frame handler, which never waits.
  for (int cycle = 0; cycle < 5; ++cycle) {
    TestWindow().close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Window().FCamera->Active(); }, 2000)) << cycle;
    ExpectIdle();
    ClickTestIcon();
    ASSERT_TRUE(TestWindow().isVisible()) << cycle;
    QTest::qWait(50);
  }
  EXPECT_TRUE(notices.isEmpty());
}

TEST_F(CameraTestWindowTest, PreviewArgumentShowsTheFormatListAndTestArea) {
  const struct {
    QStringList arguments;
    bool shown;
    bool trace;
  } cases[] = {
      {{}, false, false},
      {{"trace"}, false, true},
      {{"preview"}, true, false},
      {{"trace", "preview"}, true, true},
      {{"preview", "trace"}, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    TFormMain& window = StartPreview(c.arguments);
    EXPECT_EQ(window.ComboBoxFormat->isVisible(), c.shown);
    EXPECT_EQ(window.LayoutButtonTestCam->isVisible(), c.shown);
    EXPECT_EQ(window.TraceMode, c.trace);
    EXPECT_FALSE(window.KeepSynced->isVisible());  // the rest of the design as it is
    EXPECT_TRUE(window.Hiddenfunctions->isHidden());
    // Shown, the list holds the camera's formats and the icon is clickable.
    if (c.shown) {
      EXPECT_EQ(window.ComboBoxFormat->Count(), 4);
      EXPECT_TRUE(window.ButtonTestCam->isEnabled());
      EXPECT_GT(window.ComboBoxFormat->height(), 0);
      EXPECT_GT(window.LayoutButtonTestCam->height(), 0);
    }
  }
}

}  // namespace
