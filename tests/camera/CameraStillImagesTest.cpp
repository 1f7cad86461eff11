// The newest frame as a still image: the grabber's buffered frame and the renderer's current image
// written as a stream, a file or a bitmap; the failure table; format blocks that lie about the frame.

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstring>
#include <optional>
#include <random>
#include <thread>

#include "camera/platform/common/JpegCodec.h"
#include "camera/platform/common/Yuy2Conversion.h"
#include "camera/platform/simulated/SimulatedPlatform.h"
#include "tests/camera/CameraFixture.h"
#include "tests/support/JpegTestFrames.h"

namespace tavelo::camera_tests {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kYuy2 = MakeFourCC('Y', 'U', 'Y', '2');
constexpr std::uint32_t kMjpg = MakeFourCC('M', 'J', 'P', 'G');
constexpr std::size_t kInfoAt = 48;  // the bitmap info header inside a video-info block

std::uint32_t U32(const Bytes& bytes, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}
std::uint16_t U16(const Bytes& bytes, std::size_t at) {
  std::uint16_t value = 0;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

Bytes RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

struct Written {
  TFImageFormat format = TFImageFormat::ifBmp;
  Bytes bytes;
};

Written WriteStream(TFCamera& camera) {
  QBuffer stream;
  stream.open(QIODevice::ReadWrite);
  Written written;
  written.format = camera.CurrentImageToStream(stream);
  const QByteArray& data = stream.data();
  written.bytes.assign(data.begin(), data.end());
  return written;
}

std::string LoadError(const std::function<void()>& action) { return MessageOf<EInvalidGraphic>(action); }

// A camera on the grabber path, its grabber connected with the format a test gives.
class GrabberStills : public CameraFixture {
 protected:
  void SetUp() override {
    SelectCamA();
    camera->SetCaptureType(TFCaptureType::ctGrabber);
    camera->SetActive(true);
    ASSERT_TRUE(camera->Active());
    grabber = platform->SampleGrabber();
    ASSERT_NE(grabber, nullptr);
  }

  void Connect(MediaTypeCopy mediaType) { grabber->SetConnectedMediaType(std::move(mediaType)); }
  void Connect(std::int32_t width, std::int32_t height, std::uint16_t bitCount, std::uint32_t compression) {
    VideoFormatSetup setup;
    setup.width = width;
    setup.height = height;
    setup.bitCount = bitCount;
    setup.compression = compression;
    setup.xPelsPerMeter = 2835;
    Connect(VideoInfoFormat(setup));
  }
  void Deliver(Bytes frame) { grabber->Deliver(0.25, std::move(frame)); }

  std::shared_ptr<ScriptedSampleGrabber> grabber;
};

TEST_F(GrabberStills, A640x480Yuy2FrameBecomesA32BitBottomUpBitmapFile) {
  Connect(640, 480, 16, kYuy2);
  const Bytes frame = RandomBytes(640 * 480 * 2, 7);
  Deliver(frame);
  const Written written = WriteStream(*camera);

  EXPECT_EQ(written.format, TFImageFormat::ifBmp);
  ASSERT_EQ(written.bytes.size(), 1228854u);
  EXPECT_EQ(U16(written.bytes, 0), 0x4D42);
  EXPECT_EQ(U32(written.bytes, 2), 1228854u);  // file size
  EXPECT_EQ(U32(written.bytes, 6), 0u);        // reserved
  EXPECT_EQ(U32(written.bytes, 10), 54u);      // pixel offset
  EXPECT_EQ(U32(written.bytes, 14), 40u);      // header size
  EXPECT_EQ(U32(written.bytes, 18), 640u);
  EXPECT_EQ(U32(written.bytes, 22), 480u);     // still positive: bottom-up
  EXPECT_EQ(U16(written.bytes, 26), 1);        // planes
  EXPECT_EQ(U16(written.bytes, 28), 32);       // bit count
  EXPECT_EQ(U32(written.bytes, 30), 0u);       // compression
  EXPECT_EQ(U32(written.bytes, 34), 0u);       // image size
  EXPECT_EQ(U32(written.bytes, 38), 2835u);    // resolution kept
  EXPECT_EQ(U32(written.bytes, 46), 0u);       // colours used
  EXPECT_EQ(U32(written.bytes, 50), 0u);       // important colours

  Bytes expected(640 * 480 * 4);
  ASSERT_EQ(ConvertYuy2ToBgraReference(frame.data(), frame.size(), 640, 480, expected.data()), 480);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), written.bytes.begin() + 54));

  // The bitmap has the picture's first row on top again.
  const TFBitmap bitmap = camera->CurrentImageToBitmap();
  ASSERT_EQ(bitmap.Width(), 640);
  ASSERT_EQ(bitmap.Height(), 480);
  EXPECT_EQ(bitmap.BytesPerLine(), 640 * 4);
  EXPECT_EQ(std::memcmp(bitmap.Bits(), expected.data() + 479 * 640 * 4, 640 * 4), 0);
  EXPECT_EQ(std::memcmp(bitmap.Bits() + 479 * 640 * 4, expected.data(), 640 * 4), 0);
}

struct PixelCase {
  const char* name;
  Bytes group;  // Y0 U Y1 V
  std::uint32_t first;
  std::uint32_t second;
  friend void PrintTo(const PixelCase& c, std::ostream* os) { *os << c.name; }
};

class Yuy2Pixels : public GrabberStills, public ::testing::WithParamInterface<PixelCase> {};

TEST_P(Yuy2Pixels, ComeOutAsTheTablesSay) {
  const PixelCase& c = GetParam();
  Connect(2, 1, 16, kYuy2);
  Deliver(c.group);
  const Written written = WriteStream(*camera);
  ASSERT_EQ(written.bytes.size(), 54u + 8);
  EXPECT_EQ(U32(written.bytes, 54), c.first);
  EXPECT_EQ(U32(written.bytes, 58), c.second);
}

INSTANTIATE_TEST_SUITE_P(
    Camera, Yuy2Pixels,
    ::testing::Values(PixelCase{"NeutralGrey", {128, 128, 128, 128}, 0xFF808080u, 0xFF808080u},
                      PixelCase{"RedClampsAt255", {255, 128, 255, 255}, 0xFFFFA7FFu, 0xFFFFA7FFu},
                      PixelCase{"BlueClampsAt0", {0, 0, 0, 128}, 0xFF002B00u, 0xFF002B00u},
                      // trunc(0.698001 * 128) + trunc(0.337633 * 128) = 89 + 43; rounded coefficients give 135
                      PixelCase{"TruncatedGreenFromBothChromaEnds", {0, 0, 0, 0}, 0xFF008400u, 0xFF008400u},
                      PixelCase{"EachPixelKeepsItsOwnLuma", {10, 128, 200, 128}, 0xFF0A0A0Au, 0xFFC8C8C8u}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GrabberStills, AMotionJpegFrameIsWrittenAsDeliveredAndDecodesWithoutHuffmanTables) {
  // A camera's frame: standard tables assumed, no DHT segment in it.
  Bytes rgb(32 * 16 * 3);
  for (std::size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = 200;
    rgb[i + 1] = 40;
    rgb[i + 2] = 90;
  }
  Bytes jpeg;
  ASSERT_TRUE(EncodeJpegRgb(rgb.data(), 32, 16, 90, jpeg));
  const Bytes frame = tavelo::test_support::WithoutHuffmanTables(jpeg);
  ASSERT_LT(frame.size(), jpeg.size());

  Connect(32, 16, 24, kMjpg);
  Deliver(frame);
  const Written written = WriteStream(*camera);
  EXPECT_EQ(written.format, TFImageFormat::ifJpeg);
  EXPECT_EQ(written.bytes, frame);

  const TFBitmap bitmap = camera->CurrentImageToBitmap();
  ASSERT_EQ(bitmap.Width(), 32);
  ASSERT_EQ(bitmap.Height(), 16);
  const std::uint32_t centre = bitmap.Pixel(16, 8);
  EXPECT_NEAR(static_cast<int>((centre >> 16) & 0xFF), 200, 4);
  EXPECT_NEAR(static_cast<int>((centre >> 8) & 0xFF), 40, 4);
  EXPECT_NEAR(static_cast<int>(centre & 0xFF), 90, 4);
  EXPECT_EQ(centre >> 24, 0xFFu);
}

TEST_F(GrabberStills, A24BitRgbFrameKeepsItsHeaderAndRows) {
  Connect(3, 2, 24, 0);
  const Bytes frame = RandomBytes(2 * 12, 3);  // rows padded to 12 bytes
  Deliver(frame);
  const Written written = WriteStream(*camera);

  AmMediaType connected;
  ASSERT_EQ(grabber->GetConnectedMediaType(connected), kOk);
  Bytes expected{'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0};
  expected.insert(expected.end(), connected.pbFormat + kInfoAt, connected.pbFormat + kInfoAt + 40);
  FreeMediaTypeContents(connected);
  expected.insert(expected.end(), frame.begin(), frame.end());
  EXPECT_EQ(written.format, TFImageFormat::ifBmp);
  EXPECT_EQ(written.bytes, expected);

  // Stored bottom row first, so the bitmap's top-left pixel is the frame's second row.
  const TFBitmap bitmap = camera->CurrentImageToBitmap();
  ASSERT_EQ(bitmap.Height(), 2);
  EXPECT_EQ(bitmap.Pixel(0, 0), 0xFF000000u | (frame[14] << 16) | (frame[13] << 8) | frame[12]);
}

TEST_F(GrabberStills, BeforeTheFirstFrameNothingIsWrittenAndTheBitmapFailsToLoad) {
  Connect(640, 480, 16, kYuy2);
  const Written written = WriteStream(*camera);
  EXPECT_EQ(written.format, TFImageFormat::ifBmp);
  EXPECT_TRUE(written.bytes.empty());
  EXPECT_EQ(LoadError([&] { camera->CurrentImageToBitmap(); }), "The camera image could not be loaded: the stream is empty");
}

struct UnusableFormat {
  const char* name;
  std::function<void(MediaTypeCopy&)> spoil;
  friend void PrintTo(const UnusableFormat& c, std::ostream* os) { *os << c.name; }
};

class UnusableFormats : public GrabberStills, public ::testing::WithParamInterface<UnusableFormat> {};

TEST_P(UnusableFormats, WriteNothingAndNeverAskForTheFrame) {
  VideoFormatSetup setup;
  MediaTypeCopy mediaType = VideoInfoFormat(setup);
  GetParam().spoil(mediaType);
  Connect(std::move(mediaType));
  Deliver(Bytes(640 * 480 * 2, 128));
  platform->ClearCalls();
  const TaskMemCounts before = CountTaskMem();
  const Written written = WriteStream(*camera);
  const TaskMemCounts after = CountTaskMem();
  EXPECT_EQ(written.format, TFImageFormat::ifBmp);
  EXPECT_TRUE(written.bytes.empty());
  EXPECT_EQ(platform->Count("SampleGrabber.GetCurrentBuffer"), 0);
  EXPECT_EQ(after.allocations - before.allocations, after.frees - before.frees);  // the copied type was freed
}

INSTANTIATE_TEST_SUITE_P(
    Camera, UnusableFormats,
    ::testing::Values(UnusableFormat{"NotVideoInfo", [](MediaTypeCopy& m) { m.SetFormatType(guids::FormatVideoInfo2); }},
                      UnusableFormat{"BlockUnder88Bytes", [](MediaTypeCopy& m) { m.ResizeBlock(87); }},
                      UnusableFormat{"NoBlock", [](MediaTypeCopy& m) { m.DropBlock(); }}),
    [](const auto& info) { return std::string(info.param.name); });

struct GrabberFailure {
  const char* name;
  std::function<void(ScriptedPlatform&)> script;
  std::int32_t code;  // 0: nothing raised, nothing written
  friend void PrintTo(const GrabberFailure& c, std::ostream* os) { *os << c.name; }
};

class GrabberFailures : public GrabberStills, public ::testing::WithParamInterface<GrabberFailure> {};

TEST_P(GrabberFailures, RaiseThePlatformErrorOrWriteNothingAndLeakNothing) {
  const GrabberFailure& c = GetParam();
  Connect(4, 2, 16, kYuy2);
  Deliver(Bytes(16, 128));
  c.script(*platform);
  const TaskMemCounts before = CountTaskMem();
  QBuffer stream;
  stream.open(QIODevice::ReadWrite);
  const PlatformError error = PlatformErrorOf([&] { camera->CurrentImageToStream(stream); });
  const TaskMemCounts after = CountTaskMem();
  EXPECT_EQ(error.code, c.code) << error.message;
  EXPECT_EQ(stream.size(), 0);
  EXPECT_EQ(after.allocations - before.allocations, after.frees - before.frees);
}

INSTANTIATE_TEST_SUITE_P(
    Camera, GrabberFailures,
    ::testing::Values(
        GrabberFailure{"MediaTypeRefused", [](ScriptedPlatform& p) { p.When("SampleGrabber.GetConnectedMediaType").Answer(kFail); },
                       kFail},
        GrabberFailure{"SizeQueryRefused",
                       [](ScriptedPlatform& p) { p.When("SampleGrabber.GetCurrentBuffer").Answer(kErrorNoFrameYet); }, 0},
        GrabberFailure{"FetchRefused",
                       [](ScriptedPlatform& p) {
                         // The size query passes, the fetch that follows fails.
                         p.When("SampleGrabber.GetCurrentBuffer").Answer(kOutOfMemory);
                         p.When("SampleGrabber.GetCurrentBuffer").Answer(kOk).Times(1);
                       },
                       kOutOfMemory}),
    [](const auto& info) { return std::string(info.param.name); });

class InactiveStills : public CameraFixture {};

TEST_F(InactiveStills, AnInactiveCameraHasNoImage) {
  SelectCamA();
  QBuffer stream;
  stream.open(QIODevice::ReadWrite);
  EXPECT_EQ(CameraError([&] { camera->CurrentImageToStream(stream); }), CameraMessages::Inactive.toStdString());
  EXPECT_EQ(CameraError([&] { camera->CurrentImageToBitmap(); }), CameraMessages::Inactive.toStdString());
}

TEST_F(GrabberStills, TheFrameHandlerCannotChangeWhileActive) {
  EXPECT_EQ(CameraError([&] { camera->SetOnImageAvailable({[](TFCamera*, double) {}, this}); }),
            CameraMessages::Active.toStdString());
  EXPECT_FALSE(camera->OnImageAvailable());
}

// ---- Format blocks that lie ------------------------------------------------------------------------------
// Every frame below is an exact-size heap block, so a read past it is caught by the address sanitizer.

struct LyingCase {
  const char* name;
  std::int32_t width;
  std::int32_t height;
  std::uint16_t bitCount;
  std::uint32_t compression;
  std::size_t frameBytes;
  std::uint32_t headerSize;    // written into the block's info header
  std::uint32_t blockBytes;    // the format block's size
  std::size_t streamBytes;     // 0: nothing written
  std::int32_t convertedRows;  // YUY2: rows converted from the frame; the rest black. -1: the loader refuses
  friend void PrintTo(const LyingCase& c, std::ostream* os) { *os << c.name; }
};

class LyingFormats : public GrabberStills, public ::testing::WithParamInterface<LyingCase> {};

TEST_P(LyingFormats, AreWrittenAsFarAsValidOrNotAtAll) {
  const LyingCase& c = GetParam();
  VideoFormatSetup setup;
  setup.width = c.width;
  setup.height = c.height;
  setup.bitCount = c.bitCount;
  setup.compression = c.compression;
  MediaTypeCopy mediaType = VideoInfoFormat(setup);
  mediaType.ResizeBlock(c.blockBytes);
  std::memcpy(mediaType.Get().pbFormat + kInfoAt, &c.headerSize, 4);
  Connect(std::move(mediaType));
  const Bytes frame = RandomBytes(c.frameBytes, 11);
  Deliver(frame);

  const Written written = WriteStream(*camera);
  EXPECT_EQ(written.format, TFImageFormat::ifBmp);
  ASSERT_EQ(written.bytes.size(), c.streamBytes);
  if (c.streamBytes == 0) {
    EXPECT_THROW(camera->CurrentImageToBitmap(), EInvalidGraphic);
    return;
  }
  EXPECT_EQ(U32(written.bytes, 2), c.streamBytes);
  if (c.convertedRows < 0) {
    EXPECT_THROW(camera->CurrentImageToBitmap(), EInvalidGraphic);
    return;
  }
  const TFBitmap bitmap = camera->CurrentImageToBitmap();
  ASSERT_EQ(bitmap.Width(), c.width);
  ASSERT_EQ(bitmap.Height(), c.height);
  Bytes expected(static_cast<std::size_t>(c.width) * c.height * 4);
  ASSERT_EQ(ConvertYuy2ToBgraReference(frame.data(), frame.size(), c.width, c.height, expected.data()), c.convertedRows);
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      const std::uint32_t want = y < c.convertedRows
                                     ? U32(expected, (static_cast<std::size_t>(c.height - 1 - y) * c.width + x) * 4)
                                     : 0xFF000000u;
      ASSERT_EQ(bitmap.Pixel(x, y), want) << "at " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Camera, LyingFormats,
    ::testing::Values(
        LyingCase{"Yuy2FrameShorterThanItsFormat", 4, 4, 16, kYuy2, 2 * 8 + 5, 40, 88, 54 + 64, 2},
        LyingCase{"Yuy2EmptyRowsWhenUnderOneRow", 4, 2, 16, kYuy2, 3, 40, 88, 54 + 32, 0},
        LyingCase{"Yuy2OddWidthGroupsRunAcrossRows", 3, 2, 16, kYuy2, 12, 40, 88, 54 + 24, 2},
        LyingCase{"Yuy2OddWidthLastGroupCutShort", 3, 2, 16, kYuy2, 11, 40, 88, 54 + 24, 1},
        LyingCase{"Yuy2LongerFrameIsCutToItsFormat", 2, 2, 16, kYuy2, 64, 40, 88, 54 + 16, 2},
        LyingCase{"Yuy2LargerInfoHeaderGoesOutWhole", 2, 2, 16, kYuy2, 8, 52, 100, 66 + 16, 2},
        LyingCase{"HeaderSizePastTheBlock", 2, 2, 16, kYuy2, 8, 41, 88, 0, 0},
        LyingCase{"HeaderSizeUnderTheStandardHeader", 2, 2, 16, kYuy2, 8, 12, 88, 0, 0},
        LyingCase{"HeaderSizeZero", 2, 2, 16, kYuy2, 8, 0, 88, 0, 0},
        LyingCase{"Yuy2ZeroWidth", 0, 2, 16, kYuy2, 8, 40, 88, 0, 0},
        LyingCase{"Yuy2NegativeHeight", 2, -2, 16, kYuy2, 8, 40, 88, 0, 0},
        LyingCase{"Yuy2HugeWidth", 1 << 20, 2, 16, kYuy2, 8, 40, 88, 0, 0},
        LyingCase{"Rgb24ShorterThanItsFormat", 4, 4, 24, 0, 10, 40, 88, 54 + 10, -1},
        LyingCase{"Rgb24HugeDimensions", 100000, 4, 24, 0, 10, 40, 88, 54 + 10, -1}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The renderer path -----------------------------------------------------------------------------------

class RendererStills : public CameraFixture {
 protected:
  void SetUp() override {
    SelectCamA();
    camera = std::make_unique<TFCamera>(&form, platform);
    camera->SetDeviceName("Cam A");
    camera->SetPreviewWindowServices(OwnerFormServices(&form, WindowHandle{0x1234}));
    camera->SetCaptureType(TFCaptureType::ctVmr9);
    camera->SetActive(true);
    ASSERT_EQ(camera->CaptureType(), TFCaptureType::ctVmr9);
  }
  void TearDown() override { camera.reset(); }

  QObject form;
};

TEST_F(RendererStills, TheCurrentImageIsWrittenBehindAFileHeaderAndFreed) {
  platform->Vmr9()->SetNativeVideoSize(4, 3);
  const TaskMemCounts before = CountTaskMem();
  const Written written = WriteStream(*camera);
  const TaskMemCounts after = CountTaskMem();
  EXPECT_EQ(after.allocations - before.allocations, 1u);
  EXPECT_EQ(after.frees - before.frees, 1u);

  EXPECT_EQ(written.format, TFImageFormat::ifBmp);
  ASSERT_EQ(written.bytes.size(), 14u + 40 + 48);
  EXPECT_EQ(U16(written.bytes, 0), 0x4D42);
  EXPECT_EQ(U32(written.bytes, 2), 102u);
  EXPECT_EQ(U32(written.bytes, 10), 54u);
  EXPECT_EQ(U32(written.bytes, 14), 40u);
  EXPECT_EQ(U32(written.bytes, 34), 48u);  // the renderer's image size stays
  EXPECT_TRUE(std::all_of(written.bytes.begin() + 54, written.bytes.end(), [](std::uint8_t b) { return b == 0x80; }));

  const TFBitmap bitmap = camera->CurrentImageToBitmap();
  ASSERT_EQ(bitmap.Width(), 4);
  ASSERT_EQ(bitmap.Height(), 3);
  EXPECT_EQ(bitmap.Pixel(3, 2), 0xFF808080u);
}

TEST_F(RendererStills, NoCurrentImageRaisesThePlatformError) {
  platform->When("VMRWindowlessControl9.GetCurrentImage").Answer(kErrorNoFrameYet);
  QBuffer stream;
  stream.open(QIODevice::ReadWrite);
  EXPECT_EQ(PlatformErrorOf([&] { camera->CurrentImageToStream(stream); }).code, kErrorNoFrameYet);
  EXPECT_EQ(stream.size(), 0);
  EXPECT_EQ(PlatformErrorOf([&] { camera->CurrentImageToBitmap(); }).code, kErrorNoFrameYet);
}

// ---- Files -------------------------------------------------------------------------------------------------

struct FileCase {
  const char* name;
  bool frameBuffered;
  bool refuseMediaType;
  bool fileExists;
  bool raises;
  enum { Kept, Replaced, Absent } outcome;
  friend void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }
};

class StillFiles : public GrabberStills, public ::testing::WithParamInterface<FileCase> {};

TEST_P(StillFiles, AreReplacedOnlyByACompletePicture) {
  const FileCase& c = GetParam();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("still.bmp"));
  if (c.fileExists) {
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("previous picture");
  }
  Connect(4, 2, 16, kYuy2);
  if (c.frameBuffered) Deliver(Bytes(16, 128));
  if (c.refuseMediaType) platform->When("SampleGrabber.GetConnectedMediaType").Answer(kFail);

  bool raised = false;
  try {
    EXPECT_EQ(camera->CurrentImageToFile(path), TFImageFormat::ifBmp);
  } catch (const ECameraException&) {
    raised = true;
  }
  EXPECT_EQ(raised, c.raises);

  QFile file(path);
  switch (c.outcome) {
    case FileCase::Absent: EXPECT_FALSE(file.exists()); break;
    case FileCase::Kept:
      ASSERT_TRUE(file.open(QIODevice::ReadOnly));
      EXPECT_EQ(file.readAll(), QByteArray("previous picture"));
      break;
    case FileCase::Replaced:
      ASSERT_TRUE(file.open(QIODevice::ReadOnly));
      EXPECT_EQ(file.size(), 54 + 32);
      EXPECT_TRUE(file.readAll().startsWith("BM"));
      break;
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), c.outcome == FileCase::Absent ? 0 : 1)
      << "no temporary file stays behind";
}

INSTANTIATE_TEST_SUITE_P(
    Camera, StillFiles,
    ::testing::Values(FileCase{"APictureReplacesTheFile", true, false, true, false, FileCase::Replaced},
                      FileCase{"APictureCreatesTheFile", true, false, false, false, FileCase::Replaced},
                      FileCase{"NoFrameKeepsTheFile", false, false, true, false, FileCase::Kept},
                      FileCase{"NoFrameCreatesNoFile", false, false, false, false, FileCase::Absent},
                      FileCase{"AFailureKeepsTheFile", true, true, true, true, FileCase::Kept},
                      FileCase{"AFailureCreatesNoFile", true, true, false, true, FileCase::Absent}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GrabberStills, AFileThatCannotBeCreatedRaises) {
  Connect(4, 2, 16, kYuy2);
  Deliver(Bytes(16, 128));
  const std::string message = CameraError([&] { camera->CurrentImageToFile(QStringLiteral("/nonexistent-dir/x/still.bmp")); });
  EXPECT_EQ(message.rfind("Cannot create file \"/nonexistent-dir/x/still.bmp\".", 0), 0u) << message;
}

// ---- On the simulated camera: real graph objects, a real streaming thread -----------------------------------

class SimulatedStills : public ::testing::TestWithParam<TFCaptureType> {
 protected:
  void SetUp() override {
    std::string error;
    platform = CreateSimulatedPlatform({"hd-autofocus"}, &error);
    ASSERT_NE(platform, nullptr) << error;
    camera = std::make_unique<TFCamera>(&form, platform);
    camera->SetPreviewWindowServices(OwnerFormServices(&form, WindowHandle{0x1234}));
    camera->SetDeviceName(QStringLiteral("Simulated HD Webcam"));
  }
  void TearDown() override { camera.reset(); }

  QObject form;
  std::shared_ptr<SimulatedPlatform> platform;
  std::unique_ptr<TFCamera> camera;
};

TEST_P(SimulatedStills, TheRunningCameraHandsOutItsPicture) {
  camera->SetCaptureType(GetParam());
  camera->SetActive(true);
  ASSERT_EQ(camera->CaptureType(), GetParam());
  camera->Run();
  std::optional<TFBitmap> bitmap;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!bitmap && std::chrono::steady_clock::now() < deadline) {
    try {
      bitmap = camera->CurrentImageToBitmap();
    } catch (const ECameraException&) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  ASSERT_TRUE(bitmap.has_value());
  ASSERT_EQ(bitmap->Width(), 640);
  ASSERT_EQ(bitmap->Height(), 480);
  // The picture's top-left corner is the pattern's 75 % grey bar: the right way up on both paths.
  const std::uint32_t topLeft = bitmap->Pixel(2, 2);
  for (int shift : {0, 8, 16}) EXPECT_NEAR(static_cast<int>((topLeft >> shift) & 0xFF), 192, 4);
  camera->SetActive(false);
}

INSTANTIATE_TEST_SUITE_P(Camera, SimulatedStills, ::testing::Values(TFCaptureType::ctGrabber, TFCaptureType::ctVmr9),
                         [](const auto& info) {
                           return std::string(info.param == TFCaptureType::ctGrabber ? "Grabber" : "Renderer");
                         });

}  // namespace
}  // namespace tavelo::camera_tests
