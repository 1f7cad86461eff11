// The simulated picture: how the frame layouts are written, and what each property does to it.

#include <gtest/gtest.h>

#include <cmath>

#include "camera/platform/graph/FrameConversion.h"
#include "camera/platform/common/JpegCodec.h"
#include "camera/platform/simulated/PictureModel.h"
#include "camera/platform/simulated/ProfileSource.h"
#include "camera/platform/simulated/TestPattern.h"

namespace tavelo::platform::simulated {
namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

FrameLayout Layout(PixelFormat format, bool bottomUp = false, int width = kWidth, int height = kHeight) {
  FrameLayout layout;
  layout.format = format;
  layout.width = width;
  layout.height = height;
  layout.bottomUp = bottomUp;
  switch (format) {
    case PixelFormat::YUY2: layout.stride = static_cast<std::size_t>(width) * 2; break;
    case PixelFormat::RGB24: layout.stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; break;
    case PixelFormat::RGB32: layout.stride = static_cast<std::size_t>(width) * 4; break;
    case PixelFormat::MJPG: break;
  }
  layout.maxFrameBytes = layout.stride * height;
  return layout;
}

struct Pixel {
  int r, g, b;
};

// A frame as top-down RGB pixels, whatever layout it was rendered in.
class Picture {
 public:
  Picture(const FrameLayout& layout, double seconds, const PictureAdjustments& adjustments) : layout_(layout) {
    std::vector<std::uint8_t> frame;
    EXPECT_TRUE(RenderTestPattern(layout, seconds, adjustments, frame));
    bgra_.resize(static_cast<std::size_t>(layout.width) * layout.height * 4);
    EXPECT_TRUE(ConvertToBottomUpBgra(layout, frame.data(), frame.size(), bgra_.data()));
  }
  explicit Picture(const PictureAdjustments& adjustments, double seconds = 0.0)
      : Picture(Layout(PixelFormat::RGB32, true), seconds, adjustments) {}

  Pixel At(int x, int y) const {
    const std::uint8_t* p = &bgra_[(static_cast<std::size_t>(layout_.height - 1 - y) * layout_.width + x) * 4];
    return {p[2], p[1], p[0]};
  }
  // Relative positions: (0.5, 0.1) is the middle of the top bars.
  Pixel At(double fx, double fy) const {
    return At(static_cast<int>(fx * layout_.width), static_cast<int>(fy * layout_.height));
  }
  double MeanLuma() const {
    double sum = 0;
    for (int y = 0; y < layout_.height; ++y) {
      for (int x = 0; x < layout_.width; ++x) {
        const Pixel p = At(x, y);
        sum += 0.299 * p.r + 0.587 * p.g + 0.114 * p.b;
      }
    }
    return sum / (layout_.width * layout_.height);
  }
  bool operator==(const Picture& other) const { return bgra_ == other.bgra_; }

 private:
  FrameLayout layout_;
  std::vector<std::uint8_t> bgra_;
};

// Card positions (top-down fractions) at 100 % zoom: eight bars in the top 55 %, a grey ramp below,
// then the checkerboard.
constexpr double kYellowBarX = 1.5 / 8;
constexpr double kBlueBarX = 6.5 / 8;
constexpr double kBarsY = 0.1;
constexpr double kRampY = 0.62;

TEST(TestPattern, IsAPureFunctionOfLayoutTimeAndAdjustments) {
  const FrameLayout layout = Layout(PixelFormat::YUY2);
  std::vector<std::uint8_t> first;
  std::vector<std::uint8_t> second;
  ASSERT_TRUE(RenderTestPattern(layout, 1.25, {}, first));
  ASSERT_TRUE(RenderTestPattern(layout, 1.25, {}, second));
  EXPECT_EQ(first, second);
  EXPECT_EQ(first.size(), static_cast<std::size_t>(kWidth) * kHeight * 2);

  // Time moves the square across the bars and nothing else.
  const Picture early(layout, 0.0, {});
  const Picture later(layout, 1.0, {});
  EXPECT_FALSE(early == later);
  EXPECT_EQ(early.At(0.5, kRampY).r, later.At(0.5, kRampY).r);
  const Picture afterOnePeriod(layout, kTestPatternPeriodSeconds, {});
  EXPECT_TRUE(early == afterOnePeriod);
}

TEST(TestPattern, EveryLayoutShowsTheSameCard) {
  const Picture reference(Layout(PixelFormat::RGB32, true), 0.5, {});
  for (const FrameLayout& layout : {Layout(PixelFormat::RGB32, false), Layout(PixelFormat::RGB24, true),
                                    Layout(PixelFormat::RGB24, false, 162, kHeight), Layout(PixelFormat::YUY2),
                                    Layout(PixelFormat::MJPG)}) {
    SCOPED_TRACE(static_cast<int>(layout.format));
    const Picture picture(layout, 0.5, {});
    // Chroma subsampling and JPEG blur the colours a little; the card must still be the same card.
    for (const auto& [fx, fy] : {std::pair{kYellowBarX, kBarsY}, std::pair{kBlueBarX, kBarsY},
                                 std::pair{0.5, kRampY}, std::pair{0.03, 0.9}, std::pair{0.97, 0.9}}) {
      const Pixel expected = reference.At(fx, fy);
      const Pixel actual = picture.At(fx, fy);
      EXPECT_NEAR(actual.r, expected.r, 12) << fx << "," << fy;
      EXPECT_NEAR(actual.g, expected.g, 12) << fx << "," << fy;
      EXPECT_NEAR(actual.b, expected.b, 12) << fx << "," << fy;
    }
  }
}

TEST(TestPattern, RgbFramesStoreTheBottomRowFirstWhenBottomUp) {
  std::vector<std::uint8_t> frame;
  ASSERT_TRUE(RenderTestPattern(Layout(PixelFormat::RGB32, true), 0.0, {}, frame));
  // The first stored row is the picture's bottom row (checkerboard: dark or light, grey either way);
  // the last stored row is the top of the bars (white bar first).
  const std::uint8_t* lastRow = &frame[static_cast<std::size_t>(kHeight - 1) * kWidth * 4];
  EXPECT_EQ(lastRow[0], 192);
  EXPECT_EQ(lastRow[2], 192);
  EXPECT_EQ(frame[0], frame[1]);
  EXPECT_EQ(frame[1], frame[2]);
}

struct Effect {
  const char* name;
  PictureAdjustments adjustments;
  std::function<void(const Picture& neutral, const Picture& changed)> check;
};

class TestPatternEffect : public ::testing::TestWithParam<Effect> {};

TEST_P(TestPatternEffect, ChangesThePictureTheWayItShould) {
  const Picture neutral(PictureAdjustments{});
  const Picture changed(GetParam().adjustments);
  EXPECT_FALSE(neutral == changed);
  GetParam().check(neutral, changed);
}

PictureAdjustments With(const std::function<void(PictureAdjustments&)>& change) {
  PictureAdjustments a;
  change(a);
  return a;
}

INSTANTIATE_TEST_SUITE_P(
    Properties, TestPatternEffect,
    ::testing::Values(
        Effect{"Brightness", With([](auto& a) { a.brightness = 40; }),
               [](const Picture& n, const Picture& c) { EXPECT_GT(c.MeanLuma(), n.MeanLuma() + 25); }},
        Effect{"Contrast", With([](auto& a) { a.contrastPercent = 50; }),
               [](const Picture& n, const Picture& c) {
                 // Dark parts get lighter and light parts darker.
                 EXPECT_GT(c.At(0.03, kRampY).r, n.At(0.03, kRampY).r);
                 EXPECT_LT(c.At(0.97, kRampY).r, n.At(0.97, kRampY).r);
               }},
        Effect{"Saturation", With([](auto& a) { a.saturationPercent = 0; }),
               [](const Picture&, const Picture& c) {
                 const Pixel yellow = c.At(kYellowBarX, kBarsY);
                 EXPECT_NEAR(yellow.r, yellow.b, 2);
                 EXPECT_NEAR(yellow.g, yellow.b, 2);
               }},
        Effect{"Hue", With([](auto& a) { a.hueDegrees = 120; }),
               [](const Picture& n, const Picture& c) {
                 // Colours turn, greys stay grey.
                 EXPECT_GT(std::abs(c.At(kBlueBarX, kBarsY).b - n.At(kBlueBarX, kBarsY).b), 40);
                 const Pixel grey = c.At(0.5, kRampY);
                 EXPECT_NEAR(grey.r, grey.b, 2);
               }},
        Effect{"Gamma", With([](auto& a) { a.gammaPercent = 200; }),
               [](const Picture& n, const Picture& c) {
                 EXPECT_GT(c.At(0.5, kRampY).r, n.At(0.5, kRampY).r + 30);
                 EXPECT_NEAR(c.At(0.999, kRampY).r, n.At(0.999, kRampY).r, 2);  // white stays white
               }},
        Effect{"WhiteBalance", With([](auto& a) { a.redGainPercent = 70; a.blueGainPercent = 130; }),
               [](const Picture&, const Picture& c) {
                 const Pixel grey = c.At(0.5, kRampY);
                 EXPECT_GT(grey.b, grey.r + 30);
               }},
        Effect{"Zoom", With([](auto& a) { a.zoomPercent = 400; }),
               [](const Picture&, const Picture& c) {
                 // Four times closer the middle of the card fills the frame: the green and magenta
                 // bars above the middle of the ramp, no border and no checkerboard.
                 EXPECT_EQ(c.At(0.02, 0.02).r, 0);
                 EXPECT_NEAR(c.At(0.02, 0.02).g, 192, 2);
                 const Pixel bottom = c.At(0.5, 0.98);
                 EXPECT_NEAR(bottom.r, bottom.g, 2);
                 EXPECT_GT(bottom.r, 100);
                 EXPECT_LT(bottom.r, 160);
               }},
        Effect{"Pan", With([](auto& a) { a.panPermille = 250; }),
               [](const Picture& n, const Picture& c) {
                 // The view moves right by a quarter: the middle now shows what was at three quarters.
                 EXPECT_NEAR(c.At(0.5, kRampY).r, n.At(0.75, kRampY).r, 3);
               }},
        Effect{"Tilt", With([](auto& a) { a.tiltPermille = 300; }),
               [](const Picture& n, const Picture& c) {
                 // The view moves up: the card shows lower in the frame, with border above it.
                 EXPECT_NEAR(c.At(0.5, kRampY + 0.3).r, n.At(0.5, kRampY).r, 3);
                 EXPECT_EQ(c.At(0.5, 0.05).r, 40);
               }}),
    [](const auto& info) { return std::string(info.param.name); });

class PictureModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    auto loaded = LoadCameraProfile("all-controls", &error);
    ASSERT_TRUE(loaded) << error;
    profile_ = *loaded;
    for (const PropertyProfile& p : profile_.properties) states_.push_back({p.defaultValue, p.flags});
  }

  void SetValue(PropertyFamily family, std::int32_t id, std::int32_t value) {
    for (std::size_t i = 0; i < profile_.properties.size(); ++i) {
      if (profile_.properties[i].family == family && profile_.properties[i].id == id) states_[i].value = value;
    }
  }

  PictureAdjustments Picture() const { return PictureFromProperties(profile_, states_); }

  CameraProfile profile_;
  std::vector<PropertyState> states_;
};

TEST_F(PictureModelTest, DefaultsGiveANeutralPicture) { EXPECT_EQ(Picture(), PictureAdjustments{}); }

TEST_F(PictureModelTest, EachPropertyMovesItsAdjustmentFromItsOwnRange) {
  SetValue(PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness, 100);  // range -100..100, default 0
  SetValue(PropertyFamily::VideoProcAmp, VideoProcAmp_Saturation, 0);
  SetValue(PropertyFamily::VideoProcAmp, VideoProcAmp_Hue, -90);
  SetValue(PropertyFamily::VideoProcAmp, VideoProcAmp_WhiteBalance, 2500);  // colder than the scene's 5000 K
  SetValue(PropertyFamily::CameraControl, CameraControl_Zoom, 40);           // 10..100: four times
  SetValue(PropertyFamily::CameraControl, CameraControl_Pan, -180);
  const PictureAdjustments a = Picture();
  EXPECT_EQ(a.brightness, 128);
  EXPECT_EQ(a.saturationPercent, 0);
  EXPECT_EQ(a.hueDegrees, -90);
  EXPECT_GT(a.blueGainPercent, a.redGainPercent);
  EXPECT_EQ(a.zoomPercent, 400);
  EXPECT_EQ(a.panPermille, -500);
}

TEST_F(PictureModelTest, ColourOffTurnsThePictureGreyAndExposureBrightensIt) {
  SetValue(PropertyFamily::VideoProcAmp, VideoProcAmp_ColorEnable, 0);
  SetValue(PropertyFamily::CameraControl, CameraControl_Exposure, -5);  // twice the default time (log2 s)
  const PictureAdjustments a = Picture();
  EXPECT_EQ(a.saturationPercent, 0);
  EXPECT_EQ(a.greenGainPercent, 200);
}

TEST(JpegCodec, RoundTripsAFrameAndRejectsGarbage) {
  std::vector<std::uint8_t> jpeg;
  ASSERT_TRUE(RenderTestPattern(Layout(PixelFormat::MJPG), 0.0, {}, jpeg));
  ASSERT_GT(jpeg.size(), 100u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  ASSERT_TRUE(DecodeJpegToBgra(jpeg.data(), jpeg.size(), width, height, pixels));
  EXPECT_EQ(width, kWidth);
  EXPECT_EQ(height, kHeight);

  const std::vector<std::uint8_t> garbage(500, 0x42);
  EXPECT_FALSE(DecodeJpegToBgra(garbage.data(), garbage.size(), width, height, pixels));
  jpeg.resize(40);  // a truncated header
  EXPECT_FALSE(DecodeJpegToBgra(jpeg.data(), jpeg.size(), width, height, pixels));
}

TEST(FrameConversion, Yuy2UsesTheStillImageTables) {
  // One pixel pair: black and white with neutral chroma, then a saturated red pair. The tables truncate
  // 1.370705 * 127 to 174 and so on, which a rounded BT.601 matrix (255, 0, 0) does not reproduce.
  const FrameLayout layout = Layout(PixelFormat::YUY2, false, 2, 2);
  const std::vector<std::uint8_t> frame{0, 128, 255, 128,    //
                                        76, 85, 76, 255};    // R = 76 + 174, G = 76 - 88 + 14, B = 76 - 74
  std::vector<std::uint8_t> bgra(2 * 2 * 4);
  ASSERT_TRUE(ConvertToBottomUpBgra(layout, frame.data(), frame.size(), bgra.data()));
  // The first stored row of a YUY2 frame is the top; the bitmap stores it last.
  EXPECT_EQ((std::vector<std::uint8_t>(bgra.begin() + 8, bgra.end())),
            (std::vector<std::uint8_t>{0, 0, 0, 255, 255, 255, 255, 255}));
  EXPECT_EQ((std::vector<std::uint8_t>(bgra.begin(), bgra.begin() + 8)),
            (std::vector<std::uint8_t>{2, 2, 250, 255, 2, 2, 250, 255}));
  EXPECT_FALSE(ConvertToBottomUpBgra(layout, frame.data(), frame.size() - 1, bgra.data()));
}

}  // namespace
}  // namespace tavelo::platform::simulated
