// The capture pin's formats on the fake kernel: media types from the listings, ranges reduced to a
// usable set, the current format, and format changes with their refusals.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "app/DisplayTexts.h"
#include "camera/FCamera.h"
#include "tests/v4l2/V4l2TestRig.h"
#include "camera/platform/v4l2/V4l2Errors.h"

namespace tavelo::v4l2test {
namespace {
using namespace tavelo::platform;
using Strings = std::vector<std::string>;

struct Listed {
  Guid subtype;
  std::int32_t width;
  std::int32_t height;
  std::int64_t frameTime;
  std::uint16_t bitCount;
  std::uint32_t compression;
  bool fixedSize;
  std::uint32_t sampleSize;
};

VideoInfoHeader HeaderOf(const AmMediaType& mediaType) {
  VideoInfoHeader header;
  std::memcpy(&header, mediaType.pbFormat, sizeof header);
  return header;
}

std::vector<Listed> ListMediaTypes(IPin& pin, Result* result = nullptr) {
  std::vector<Listed> listed;
  std::shared_ptr<IEnumMediaTypes> enumerator;
  const Result r = pin.EnumMediaTypes(enumerator);
  if (result != nullptr) *result = r;
  if (Failed(r)) return listed;
  AmMediaType* mediaType = nullptr;
  while (enumerator->Next(mediaType) == kOk) {
    EXPECT_EQ(mediaType->formattype, guids::FormatVideoInfo);
    EXPECT_GE(mediaType->cbFormat, kVideoInfoHeaderSize);
    EXPECT_EQ(mediaType->majortype, guids::MediaTypeVideo);
    const VideoInfoHeader header = HeaderOf(*mediaType);
    listed.push_back({mediaType->subtype, header.bmiHeader.biWidth, header.bmiHeader.biHeight, header.AvgTimePerFrame,
                      header.bmiHeader.biBitCount, header.bmiHeader.biCompression, mediaType->bFixedSizeSamples != 0,
                      mediaType->lSampleSize});
    DeleteMediaType(mediaType);
  }
  return listed;
}

// Truncated, as a camera's descriptors state frame times.
std::int64_t FrameTime(const v4l2_fract& interval) {
  return static_cast<std::int64_t>(interval.numerator) * 10'000'000 / interval.denominator;
}

TEST(V4l2FormatTest, EveryUsableModeOfEachListingBecomesAVideoInfoMediaTypeInDriverOrder) {
  for (const std::string& profile : WebcamProfileNames()) {
    SCOPED_TRACE(profile);
    V4l2TestRig rig;
    const FakeCameraModel model = LoadWebcamProfile(profile);
    rig.Plug(model);
    const BoundCamera camera = rig.Bind(model.card);
    const std::vector<Listed> listed = ListMediaTypes(*camera.pin);

    std::vector<Listed> expected;
    for (const FakeFormat& format : model.formats) {
      // Nothing here decodes H.264, and the frame path reads one plane (NV12M has two).
      if (format.pixelFormat == V4L2_PIX_FMT_H264 || format.pixelFormat == V4L2_PIX_FMT_NV12M) continue;
      const bool mjpg = format.pixelFormat == V4L2_PIX_FMT_MJPEG || format.pixelFormat == V4L2_PIX_FMT_JPEG;
      const Guid subtype = mjpg ? guids::MediaSubtypeMJPG
                           : format.pixelFormat == V4L2_PIX_FMT_NV12 ? guids::MediaSubtypeNV12
                                                                     : guids::MediaSubtypeYUY2;
      const std::uint16_t bits = mjpg ? 24 : format.pixelFormat == V4L2_PIX_FMT_NV12 ? 12 : 16;
      for (const FakeFrameSize& size : format.sizes)
        for (const v4l2_fract& interval : size.intervals) {
          const std::uint32_t bytes = size.width * size.height * (bits == 12 ? 3 : 4) / 2;
          expected.push_back({subtype, static_cast<std::int32_t>(size.width), static_cast<std::int32_t>(size.height),
                              FrameTime(interval), bits, subtype.data1, !mjpg, bytes});
        }
    }
    ASSERT_EQ(listed.size(), expected.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(listed[i].subtype, expected[i].subtype);
      EXPECT_EQ(listed[i].width, expected[i].width);
      EXPECT_EQ(listed[i].height, expected[i].height);
      EXPECT_EQ(listed[i].frameTime, expected[i].frameTime);
      EXPECT_EQ(listed[i].bitCount, expected[i].bitCount);
      EXPECT_EQ(listed[i].compression, expected[i].compression);
      EXPECT_EQ(listed[i].fixedSize, expected[i].fixedSize);
      EXPECT_EQ(listed[i].sampleSize, expected[i].sampleSize);
    }
  }
}

TEST(V4l2FormatTest, FourCharacterCodesAndFrameTimesReadAsTheComponentExpects) {
  V4l2TestRig rig;
  rig.PlugProfile("hd-autofocus");
  const BoundCamera camera = rig.Bind("Simulated HD Webcam");
  const std::vector<Listed> listed = ListMediaTypes(*camera.pin);
  ASSERT_FALSE(listed.empty());
  EXPECT_EQ(listed[0].compression, MakeFourCC('Y', 'U', 'Y', '2'));
  EXPECT_EQ(listed[0].frameTime, 333333);   // 30 fps
  EXPECT_EQ(listed[5].frameTime, 1333333);  // 7.5 fps
  EXPECT_EQ(listed.back().compression, MakeFourCC('M', 'J', 'P', 'G'));
}

TEST(V4l2FormatTest, SizeAndRateRangesAreReducedToTheUsualSteps) {
  FakeCameraModel model;
  model.card = "Range Camera";
  FakeFormat ranged;
  ranged.pixelFormat = V4L2_PIX_FMT_YUYV;
  ranged.sizeRange = v4l2_frmsize_stepwise{16, 1920, 16, 16, 1080, 16};
  ranged.intervalRange = v4l2_frmival_stepwise{{1, 30}, {1, 1}, {1, 1000}};
  ranged.continuousIntervals = true;
  model.formats.push_back(ranged);
  FakeFormat rgb;
  rgb.pixelFormat = V4L2_PIX_FMT_BGR24;
  rgb.sizes.push_back({320, 240, {{1, 15}}});
  model.formats.push_back(rgb);

  V4l2TestRig rig;
  rig.Plug(model);
  const BoundCamera camera = rig.Bind("Range Camera");
  const std::vector<Listed> listed = ListMediaTypes(*camera.pin);

  // Sizes on the 16-pixel grid from the common list, then the largest the driver allows.
  const std::vector<std::pair<int, int>> sizes = {{176, 144},  {320, 240},  {352, 288},   {640, 480},
                                                  {800, 448},  {848, 480},  {1024, 576},  {1024, 768},
                                                  {1280, 720}, {1280, 960}, {1280, 1024}, {1920, 1080}};
  const std::vector<std::int64_t> times = {333333, 400000, 416666, 500000, 666666, 1000000, 2000000};
  ASSERT_EQ(listed.size(), sizes.size() * times.size() + 1);
  for (std::size_t s = 0; s < sizes.size(); ++s)
    for (std::size_t t = 0; t < times.size(); ++t) {
      const Listed& entry = listed[s * times.size() + t];
      EXPECT_EQ(entry.width, sizes[s].first);
      EXPECT_EQ(entry.height, sizes[s].second);
      EXPECT_EQ(entry.frameTime, times[t]);
    }
  // V4L2's BGR24 is the platform's RGB24, rows top-down: a negative height says so.
  EXPECT_EQ(listed.back().subtype, guids::MediaSubtypeRGB24);
  EXPECT_EQ(listed.back().compression, 0u);
  EXPECT_EQ(listed.back().height, -240);
  EXPECT_EQ(listed.back().bitCount, 24);
}

// The rates webcams list, through the camera component as the window reads them: each frame time is
// the truncated one a descriptor gives, the format text reads the rate whole (7.5 frames per second
// shows as 7: whole frames), and setting the format hands the driver the listed fraction itself.
TEST(V4l2FormatTest, FrameRatesReadBackWholeInTheFormatTextsAndReachTheDriverExactly) {
  struct Rate {
    v4l2_fract interval;
    std::int64_t frameTime;
    QString text;
  };
  const std::vector<Rate> rates = {{{1, 30}, 333333, "30"},  {{1, 25}, 400000, "25"},   {{1, 24}, 416666, "24"},
                                   {{1, 20}, 500000, "20"},  {{1, 15}, 666666, "15"},   {{1, 10}, 1000000, "10"},
                                   {{2, 15}, 1333333, "7"}, {{1, 5}, 2000000, "5"}};
  FakeCameraModel model;
  model.card = "Rates Camera";
  FakeFormat yuyv;
  yuyv.pixelFormat = V4L2_PIX_FMT_YUYV;
  FakeFrameSize size{640, 480, {}};
  for (const Rate& rate : rates) size.intervals.push_back(rate.interval);
  yuyv.sizes.push_back(size);
  model.formats.push_back(yuyv);

  V4l2TestRig rig;
  rig.Plug(model);
  TFCamera camera(nullptr, rig.PlatformPointer());
  camera.SetDeviceName("Rates Camera");
  const TFCameraFormats formats = camera.SupportedFormats();
  ASSERT_EQ(formats.size(), rates.size());
  for (std::size_t i = 0; i < rates.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(formats[i].AvgTimePerFrame, rates[i].frameTime);
    EXPECT_EQ(FormatEntryText(formats[i]), "640x480 " + rates[i].text + "Hz 16bpp");
    camera.SetFormat(formats[i]);
    const TFCameraFormat now = camera.Format();
    EXPECT_EQ(now.AvgTimePerFrame, rates[i].frameTime);
  }
}

class V4l2StreamConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_ = &rig_.PlugProfile("hd-autofocus");
    camera_ = rig_.Bind("Simulated HD Webcam");
    ASSERT_EQ(QueryInterfaceAs(camera_.pin, config_), kOk);
  }
  // The pin's own media type at `index`.
  AmMediaType* Offered(std::size_t index) {
    std::shared_ptr<IEnumMediaTypes> enumerator;
    EXPECT_EQ(camera_.pin->EnumMediaTypes(enumerator), kOk);
    AmMediaType* mediaType = nullptr;
    for (std::size_t i = 0; i <= index; ++i) {
      DeleteMediaType(mediaType);
      EXPECT_EQ(enumerator->Next(mediaType), kOk);
    }
    return mediaType;
  }
  VideoInfoHeader Current() {
    AmMediaType* current = nullptr;
    EXPECT_EQ(config_->GetFormat(current), kOk);
    EXPECT_EQ(current->formattype, guids::FormatVideoInfo);
    const VideoInfoHeader header = HeaderOf(*current);
    DeleteMediaType(current);
    return header;
  }

  V4l2TestRig rig_;
  FakeCamera* fake_ = nullptr;
  BoundCamera camera_;
  std::shared_ptr<IAMStreamConfig> config_;
};

TEST_F(V4l2StreamConfigTest, SetsAnOfferedFormatWithItsRateAndReadsItBack) {
  const VideoInfoHeader first = Current();
  EXPECT_EQ(first.bmiHeader.biWidth, 640);
  EXPECT_EQ(first.AvgTimePerFrame, 333333);

  AmMediaType* mjpg = Offered(18);  // MJPG 1280x720 at 15 fps
  const VideoInfoHeader wanted = HeaderOf(*mjpg);
  ASSERT_EQ(wanted.bmiHeader.biWidth, 1280);
  ASSERT_EQ(wanted.AvgTimePerFrame, 666666);
  rig_.Kernel().ClearLog();
  EXPECT_EQ(config_->SetFormat(*mjpg), kOk);
  const Strings log = rig_.Kernel().LogText();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "S_FMT");
  EXPECT_EQ(log.back(), "S_PARM");

  const VideoInfoHeader now = Current();
  EXPECT_EQ(now.bmiHeader.biWidth, 1280);
  EXPECT_EQ(now.bmiHeader.biHeight, 720);
  EXPECT_EQ(now.bmiHeader.biCompression, MakeFourCC('M', 'J', 'P', 'G'));
  EXPECT_EQ(now.AvgTimePerFrame, 666666);

  // A frame time of 0 asks for the format at whatever rate the driver keeps.
  VideoInfoHeader anyRate = wanted;
  anyRate.AvgTimePerFrame = 0;
  std::memcpy(mjpg->pbFormat, &anyRate, sizeof anyRate);
  rig_.Kernel().ClearLog();
  EXPECT_EQ(config_->SetFormat(*mjpg), kOk);
  EXPECT_EQ(rig_.Kernel().LogText().back(), "S_FMT");
  DeleteMediaType(mjpg);
}

TEST_F(V4l2StreamConfigTest, RefusesFormatsThePinDoesNotOfferWithoutTouchingTheDriver) {
  AmMediaType* offered = Offered(0);
  const VideoInfoHeader original = HeaderOf(*offered);
  struct Case {
    std::string name;
    std::function<void(AmMediaType&, VideoInfoHeader&)> change;
  };
  const Case cases[] = {
      {"Size", [](AmMediaType&, VideoInfoHeader& h) { h.bmiHeader.biWidth = 800; }},
      {"Rate", [](AmMediaType&, VideoInfoHeader& h) { h.AvgTimePerFrame = 123456; }},
      {"BitCount", [](AmMediaType&, VideoInfoHeader& h) { h.bmiHeader.biBitCount = 24; }},
      {"Subtype", [](AmMediaType& m, VideoInfoHeader&) { m.subtype = guids::MediaSubtypeNV12; }},
      {"FormatType", [](AmMediaType& m, VideoInfoHeader&) { m.formattype = guids::FormatVideoInfo2; }},
      {"H264", [](AmMediaType& m, VideoInfoHeader&) { m.subtype = FourCCSubtype(MakeFourCC('H', '2', '6', '4')); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AmMediaType changed;
    ASSERT_EQ(CopyMediaType(changed, *offered), kOk);
    VideoInfoHeader header = original;
    c.change(changed, header);
    std::memcpy(changed.pbFormat, &header, sizeof header);
    rig_.Kernel().ClearLog();
    EXPECT_EQ(config_->SetFormat(changed), kErrorInvalidMediaType);
    for (const std::string& line : rig_.Kernel().LogText()) EXPECT_NE(line, "S_FMT");
    FreeMediaTypeContents(changed);
  }
  DeleteMediaType(offered);
}

TEST_F(V4l2StreamConfigTest, AnotherProgramsStreamMakesFormatChangesFailButNotReadsOrControls) {
  fake_->SetStreamingElsewhere(true);
  AmMediaType* offered = Offered(3);
  const Result r = config_->SetFormat(*offered);
  EXPECT_EQ(r, ResultFromErrno(EBUSY));
  EXPECT_EQ(rig_.Platform().GetErrorText(r), "The camera is in use by another program");
  DeleteMediaType(offered);
  EXPECT_EQ(Current().bmiHeader.biWidth, 640);
  EXPECT_EQ(camera_.procAmp->Set(VideoProcAmp_Brightness, 10, kPropertyFlagsManual), kOk);
}

TEST_F(V4l2StreamConfigTest, AnUnpluggedCameraFailsFormatCallsAsDisconnected) {
  AmMediaType* offered = Offered(0);
  fake_->Unplug();
  Result listed = kOk;
  ListMediaTypes(*camera_.pin, &listed);
  EXPECT_EQ(listed, v4l2::kResultDisconnected);
  AmMediaType* current = nullptr;
  EXPECT_EQ(config_->GetFormat(current), v4l2::kResultDisconnected);
  EXPECT_EQ(current, nullptr);
  EXPECT_EQ(config_->SetFormat(*offered), v4l2::kResultDisconnected);
  DeleteMediaType(offered);
}

}  // namespace
}  // namespace tavelo::v4l2test
