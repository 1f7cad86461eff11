// Video formats of the capture pin: which media types count, how they map, how a format is selected,
// and that every media type received is disposed on every path.

#include "tests/camera/CameraFixture.h"

namespace tavelo::camera_tests {
namespace {

VideoFormatSetup VideoType(std::int32_t width, std::int32_t height, std::int64_t frameTime, std::uint16_t bits,
                     std::uint32_t compression = MakeFourCC('Y', 'U', 'Y', '2')) {
  VideoFormatSetup setup;
  setup.width = width;
  setup.height = height;
  setup.avgTimePerFrame = frameTime;
  setup.bitCount = bits;
  setup.compression = compression;
  return setup;
}

class Formats : public CameraFixture {
 protected:
  // A camera "Cam A" whose capture pin offers `mediaTypes`.
  std::shared_ptr<ScriptedDevice> CameraOffering(std::vector<MediaTypeCopy> mediaTypes,
                                                 std::optional<MediaTypeCopy> current = std::nullopt) {
    DeviceSetup setup = CameraSetup("Cam A");
    setup.pins.front().mediaTypes = std::move(mediaTypes);
    setup.pins.front().currentFormat = std::move(current);
    auto device = platform->AddDevice(setup);
    camera->SetDeviceName("Cam A");
    return device;
  }

  void TearDown() override { EXPECT_EQ(platform->OutstandingMediaTypes(), 0) << "a media type was not disposed"; }
};

TEST_F(Formats, EveryFieldComesFromTheMediaTypeAndItsHeader) {
  VideoFormatSetup setup = VideoType(1920, -1080, 166666, 24, MakeFourCC('M', 'J', 'P', 'G'));
  setup.fixedSizeSamples = false;
  setup.sampleSize = 123456;
  setup.source = {1, 2, 3, 4};
  setup.target = {5, 6, 7, 8};
  setup.bitRate = 0x90000000u;  // above the signed range: wraps as the 32-bit field does
  setup.bitErrorRate = 9;
  setup.xPelsPerMeter = 2835;
  setup.yPelsPerMeter = 2836;
  CameraOffering({VideoInfoFormat(setup)});

  const TFCameraFormats formats = camera->SupportedFormats();
  ASSERT_EQ(formats.size(), 1u);
  const TFCameraFormat& format = formats[0];
  EXPECT_EQ(format.Width, 1920);
  EXPECT_EQ(format.Height, -1080);
  EXPECT_EQ(format.AvgTimePerFrame, 166666);
  EXPECT_FALSE(format.FixedSizeSamples);
  EXPECT_TRUE(format.TemporalCompression);
  EXPECT_EQ(format.SampleSize, 123456);
  EXPECT_EQ(format.Source, (Rect{1, 2, 3, 4}));
  EXPECT_EQ(format.Target, (Rect{5, 6, 7, 8}));
  EXPECT_EQ(format.BitRate, static_cast<std::int32_t>(0x90000000u));
  EXPECT_EQ(format.BitErrorRate, 9);
  EXPECT_EQ(format.BitsPerPixel, 24);
  EXPECT_EQ(format.Compression, (TFFourCC{'M', 'J', 'P', 'G'}));
  EXPECT_EQ(format.XPelsPerMeter, 2835);
  EXPECT_EQ(format.YPelsPerMeter, 2836);
}

TEST_F(Formats, OnlyVideoInfoTypesWithAWholeHeaderAreListedInPinOrder) {
  MediaTypeCopy audioMajorType = VideoInfoFormat(VideoType(160, 120, 333333, 16));
  audioMajorType.Get().majortype = guids::MediaTypeAudio;  // the major type is not tested
  CameraOffering({
      VideoInfoFormat(VideoType(640, 480, 333333, 16)),
      VideoInfoFormat(VideoType(800, 600, 333333, 16)).SetFormatType(guids::FormatVideoInfo2),
      VideoInfoFormat(VideoType(1024, 768, 333333, 16)).ResizeBlock(kVideoInfoHeaderSize - 1),
      VideoInfoFormat(VideoType(1280, 720, 0, 16)),  // no frame rate: listed like any other
      VideoInfoFormat(VideoType(640, 480, 333333, 16)),  // duplicates stay
      audioMajorType,
      VideoInfoFormat(VideoType(320, 240, 333333, 12)).ResizeBlock(kVideoInfoHeaderSize + 16),
  });
  std::vector<std::string> listed;
  for (const TFCameraFormat& f : camera->SupportedFormats())
    listed.push_back(std::to_string(f.Width) + "x" + std::to_string(f.Height));
  EXPECT_EQ(listed, (std::vector<std::string>{"640x480", "1280x720", "640x480", "160x120", "320x240"}));
}

TEST_F(Formats, OnlyExtendedHeadersGiveNoFormatsAndAnIncorrectCurrentFormat) {
  CameraOffering({VideoInfoFormat(VideoType(640, 480, 333333, 16)).SetFormatType(guids::FormatVideoInfo2)});
  EXPECT_TRUE(camera->SupportedFormats().empty());
  EXPECT_EQ(CameraError([&] { camera->Format(); }), "Incorrect format type");
}

TEST_F(Formats, AUsableTypeWithoutBlockIsAnInvalidHeader) {
  CameraOffering({VideoInfoFormat(VideoType(640, 480, 333333, 16)), VideoInfoFormat(VideoType(320, 240, 333333, 16)).DropBlock()});
  EXPECT_EQ(CameraError([&] { camera->SupportedFormats(); }), "Invalid MediaHeader");
}

struct CurrentFormatCase {
  const char* name;
  std::function<MediaTypeCopy()> current;
  std::string expected;  // an error message, or "<nothing raised>"
  friend void PrintTo(const CurrentFormatCase& c, std::ostream* os) { *os << c.name; }
};

class CurrentFormat : public Formats, public ::testing::WithParamInterface<CurrentFormatCase> {};

TEST_P(CurrentFormat, IsReadFromTheStreamConfiguration) {
  CameraOffering({VideoInfoFormat(VideoType(640, 480, 333333, 16))}, GetParam().current());
  EXPECT_EQ(CameraError([&] { camera->Format(); }), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Camera, CurrentFormat,
    ::testing::Values(
        CurrentFormatCase{"VideoInfo", [] { return VideoInfoFormat(VideoType(1280, 720, 333333, 24)); }, "<nothing raised>"},
        CurrentFormatCase{"ExtendedHeader",
                          [] { return VideoInfoFormat(VideoType(640, 480, 333333, 16)).SetFormatType(guids::FormatVideoInfo2); },
                          "Incorrect format type"},
        CurrentFormatCase{"ShortBlock",
                          [] { return VideoInfoFormat(VideoType(640, 480, 333333, 16)).ResizeBlock(kVideoInfoHeaderSize - 1); },
                          "Incorrect format size"},
        CurrentFormatCase{"NoBlock", [] { return VideoInfoFormat(VideoType(640, 480, 333333, 16)).DropBlock(); },
                          "Invalid MediaHeader"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Formats, TheCurrentFormatIsReadBack) {
  CameraOffering({VideoInfoFormat(VideoType(640, 480, 333333, 16))}, VideoInfoFormat(VideoType(1280, 720, 500000, 24)));
  const TFCameraFormat format = camera->Format();
  EXPECT_EQ(format.Width, 1280);
  EXPECT_EQ(format.Height, 720);
  EXPECT_EQ(format.AvgTimePerFrame, 500000);
  EXPECT_EQ(format.BitsPerPixel, 24);
}

TEST_F(Formats, EveryListedFormatWritesBackToItsOwnMediaType) {
  const auto device = CameraOffering({VideoInfoFormat(VideoType(640, 480, 333333, 16)),
                                      VideoInfoFormat(VideoType(1280, 720, 333333, 24, MakeFourCC('M', 'J', 'P', 'G'))),
                                      VideoInfoFormat(VideoType(1280, 720, 666666, 24, MakeFourCC('M', 'J', 'P', 'G'))),
                                      VideoInfoFormat(VideoType(320, 240, 0, 16))});
  const TFCameraFormats formats = camera->SupportedFormats();
  ASSERT_EQ(formats.size(), 4u);
  for (std::size_t i = formats.size(); i-- > 0;) {
    SCOPED_TRACE(i);
    camera->SetFormat(formats[i]);
    EXPECT_EQ(device->Pin(0).CurrentFormatIndex(), static_cast<int>(i));
    EXPECT_EQ(camera->Format().Width, formats[i].Width);
  }
}

TEST_F(Formats, TheFirstOfEqualCandidatesWinsAndOtherFieldsDoNotTakePart) {
  VideoFormatSetup later = VideoType(640, 480, 333333, 16, MakeFourCC('U', 'Y', 'V', 'Y'));
  later.sampleSize = 1;
  const auto device = CameraOffering({VideoInfoFormat(VideoType(320, 240, 333333, 16)),
                                      VideoInfoFormat(VideoType(640, 480, 333333, 16)), VideoInfoFormat(later)});
  TFCameraFormat requested = camera->SupportedFormats()[2];
  requested.Source = {9, 9, 9, 9};
  requested.BitRate = 77;
  camera->SetFormat(requested);
  EXPECT_EQ(device->Pin(0).CurrentFormatIndex(), 1);
  EXPECT_EQ(platform->Log({"StreamConfig.SetFormat"}), (std::vector<std::string>{"StreamConfig.SetFormat(1)"}));
}

TEST_F(Formats, AFormatThePinDoesNotOfferIsNotFound) {
  CameraOffering({VideoInfoFormat(VideoType(640, 480, 333333, 16)),
                  VideoInfoFormat(VideoType(640, 480, 333333, 16)).SetFormatType(guids::FormatVideoInfo2),
                  VideoInfoFormat(VideoType(640, 480, 333333, 16)).DropBlock()});
  const struct {
    const char* name;
    std::function<void(TFCameraFormat&)> change;
  } changes[] = {
      {"BitsPerPixel", [](TFCameraFormat& f) { f.BitsPerPixel = 24; }},
      {"Width", [](TFCameraFormat& f) { f.Width = 641; }},
      {"Height", [](TFCameraFormat& f) { f.Height = -480; }},
      {"FrameTimeBeyond32Bits", [](TFCameraFormat& f) { f.AvgTimePerFrame += std::int64_t{1} << 32; }},
  };
  for (const auto& change : changes) {
    SCOPED_TRACE(change.name);
    TFCameraFormat format;  // what the first media type offers
    format.Width = 640;
    format.Height = 480;
    format.AvgTimePerFrame = 333333;
    format.BitsPerPixel = 16;
    ASSERT_EQ(CameraError([&] { camera->SetFormat(format); }), "<nothing raised>");
    change.change(format);
    EXPECT_EQ(CameraError([&] { camera->SetFormat(format); }), "Format not found");
  }
  EXPECT_EQ(platform->Count("StreamConfig.SetFormat"), static_cast<int>(std::size(changes)));
}

TEST_F(Formats, AnEmptyPinListsNothingAndFindsNothing) {
  CameraOffering({});
  EXPECT_TRUE(camera->SupportedFormats().empty());
  EXPECT_EQ(CameraError([&] { camera->SetFormat(TFCameraFormat{}); }), "Format not found");
}

TEST_F(Formats, EveryMemberNeedsACamera) {
  EXPECT_EQ(CameraError([&] { camera->SupportedFormats(); }), "Camera device not selected");
  EXPECT_EQ(CameraError([&] { camera->Format(); }), "Camera device not selected");
  EXPECT_EQ(CameraError([&] { camera->SetFormat({}); }), "Camera device not selected");
  camera->SetDeviceName("Gone");
  EXPECT_EQ(CameraError([&] { camera->SupportedFormats(); }), "Camera device 'Gone' not found");
}

// Missing objects and refused calls, for listing (L), reading (R) and writing (W).
struct FormatFailure {
  const char* name;
  std::function<void(ScriptedPlatform&)> arrange;
  std::string list, read, write;
  friend void PrintTo(const FormatFailure& c, std::ostream* os) { *os << c.name; }
};

class FormatFailures : public Formats, public ::testing::WithParamInterface<FormatFailure> {};

TEST_P(FormatFailures, RaiseTheirMessage) {
  CameraOffering({VideoInfoFormat(VideoType(640, 480, 333333, 16))});
  const TFCameraFormat offered = camera->SupportedFormats().front();
  camera->ReleaseGraph();  // forget the pin and ask again under the failure
  platform->SetErrorText(kFail, "Scripted failure.");
  GetParam().arrange(*platform);
  const auto message = [](const std::function<void()>& action) {
    try {
      action();
    } catch (const ECameraException& error) {
      return error.Message().toStdString();
    }
    return std::string("<nothing raised>");
  };
  EXPECT_EQ(message([&] { camera->SupportedFormats(); }), GetParam().list);
  EXPECT_EQ(message([&] { camera->Format(); }), GetParam().read);
  EXPECT_EQ(message([&] { camera->SetFormat(offered); }), GetParam().write);
}

const std::string kNone = "<nothing raised>";

INSTANTIATE_TEST_SUITE_P(
    Camera, FormatFailures,
    ::testing::Values(
        FormatFailure{"NoCapturePin", [](auto& p) { p.When("KsPropertySet.Get").Detail("Pin").Answer(kFail); },
                      "Cannot retrieve 'Capture IPin' interface", "Cannot retrieve 'IAMStreamConfig' interface",
                      "Cannot retrieve 'Capture IPin' interface"},
        FormatFailure{"NoStreamConfig", [](auto& p) { p.Lacks("Cam A/Capture", Iid::AMStreamConfig); }, kNone,
                      "Cannot retrieve 'IAMStreamConfig' interface", "Cannot retrieve 'IAMStreamConfig' interface"},
        FormatFailure{"NoMediaTypeEnumerator", [](auto& p) { p.When("Pin.EnumMediaTypes").AnswerOnly(kOk); },
                      "Cannot retrieve 'IEnumMediaTypes' interface", kNone,
                      "Cannot retrieve 'IEnumMediaTypes' interface"},
        FormatFailure{"EnumMediaTypesRefused", [](auto& p) { p.When("Pin.EnumMediaTypes").Answer(kFail); },
                      "Scripted failure.", kNone, "Scripted failure."},
        FormatFailure{"GetFormatRefused", [](auto& p) { p.When("StreamConfig.GetFormat").Answer(kFail); }, kNone,
                      "Scripted failure.", kNone},
        FormatFailure{"GetFormatWithoutRecord", [](auto& p) { p.When("StreamConfig.GetFormat").AnswerOnly(kOk); },
                      kNone, "Invalid MediaHeader", kNone},
        FormatFailure{"SetFormatRefused", [](auto& p) { p.When("StreamConfig.SetFormat").Answer(kFail); }, kNone,
                      kNone, "Scripted failure."},
        FormatFailure{"EnumerationBreaksOff", [](auto& p) { p.When("EnumMediaTypes.Next").Answer(kFail); }, kNone,
                      kNone, "Format not found"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavelo::camera_tests
