// The simulated capture pin's formats as media types, and choosing one through IAMStreamConfig.

#include <gtest/gtest.h>

#include "app/DisplayTexts.h"
#include "camera/FCamera.h"
#include "tests/platform/SimulatedFixture.h"
#include "camera/platform/common/FrameLayout.h"
#include "camera/platform/simulated/ProfileParser.h"

namespace tavelo::platform {
namespace {

using testing::BindDevice;
using testing::FirstPin;
using testing::MakePlatform;
using testing::Query;

std::vector<AmMediaType*> AllTypes(const std::shared_ptr<IPin>& pin) {
  std::vector<AmMediaType*> types;
  std::shared_ptr<IEnumMediaTypes> enumerator;
  if (Failed(pin->EnumMediaTypes(enumerator))) return types;
  AmMediaType* type = nullptr;
  while (enumerator->Next(type) == kOk) types.push_back(type);
  return types;
}

void DeleteAll(std::vector<AmMediaType*>& types) {
  for (AmMediaType* type : types) DeleteMediaType(type);
  types.clear();
}

TEST(SimulatedFormats, EachFormatAndRateIsOneVideoInfoMediaType) {
  auto platform = MakePlatform({"hd-autofocus"});
  auto types = AllTypes(FirstPin(BindDevice(*platform, "sim://hd-webcam")));
  ASSERT_EQ(types.size(), 32u);  // 7 + 3 + 1 rates of YUY2, 3 x 7 of MJPG

  const AmMediaType& first = *types[0];
  EXPECT_EQ(first.majortype, guids::MediaTypeVideo);
  EXPECT_EQ(first.subtype, guids::MediaSubtypeYUY2);
  EXPECT_EQ(first.formattype, guids::FormatVideoInfo);
  ASSERT_EQ(first.cbFormat, kVideoInfoHeaderSize);
  const auto* header = reinterpret_cast<const VideoInfoHeader*>(first.pbFormat);
  EXPECT_EQ(header->AvgTimePerFrame, 333333);
  EXPECT_EQ(header->bmiHeader.biWidth, 640);
  EXPECT_EQ(header->bmiHeader.biHeight, 480);
  EXPECT_EQ(header->bmiHeader.biBitCount, 16);
  EXPECT_EQ(header->bmiHeader.biCompression, MakeFourCC('Y', 'U', 'Y', '2'));
  EXPECT_EQ(header->bmiHeader.biSizeImage, 640u * 480 * 2);
  EXPECT_EQ(first.lSampleSize, 640u * 480 * 2);
  EXPECT_EQ(first.bFixedSizeSamples, 1);
  EXPECT_EQ(header->dwBitRate, static_cast<std::uint32_t>(640.0 * 480 * 16 * 1e7 / 333333));  // bits per frame time
  EXPECT_EQ(reinterpret_cast<const VideoInfoHeader*>(types[5]->pbFormat)->AvgTimePerFrame, 1333333);  // 7.5 fps

  const AmMediaType& mjpg = *types[11];
  EXPECT_EQ(mjpg.subtype, guids::MediaSubtypeMJPG);
  const auto* mjpgHeader = reinterpret_cast<const VideoInfoHeader*>(mjpg.pbFormat);
  EXPECT_EQ(mjpgHeader->bmiHeader.biCompression, MakeFourCC('M', 'J', 'P', 'G'));
  EXPECT_EQ(mjpgHeader->bmiHeader.biBitCount, 24);
  EXPECT_EQ(mjpg.bFixedSizeSamples, 0);
  DeleteAll(types);
}

TEST(SimulatedFormats, UncompressedRgbAndTheExtendedHeader) {
  auto platform = MakePlatform({"all-controls"});
  auto types = AllTypes(FirstPin(BindDevice(*platform, "sim://all-controls")));
  ASSERT_EQ(types.size(), 6u);
  EXPECT_EQ(types[2]->subtype, guids::MediaSubtypeRGB24);
  EXPECT_EQ(reinterpret_cast<const VideoInfoHeader*>(types[2]->pbFormat)->bmiHeader.biCompression, 0u);
  const auto rgb24 = FrameLayoutOf(*types[2]);
  ASSERT_TRUE(rgb24);
  EXPECT_TRUE(rgb24->bottomUp);
  EXPECT_EQ(rgb24->stride, 640u * 3);

  const AmMediaType& extended = *types[5];
  EXPECT_EQ(extended.formattype, guids::FormatVideoInfo2);
  EXPECT_EQ(extended.cbFormat, sizeof(VideoInfoHeader2));
  ASSERT_NE(BitmapHeaderOf(extended), nullptr);
  EXPECT_EQ(BitmapHeaderOf(extended)->biWidth, 1280);
  EXPECT_EQ(AvgTimePerFrameOf(extended), 1000000);
  DeleteAll(types);
}

TEST(SimulatedFormats, TheCurrentFormatStartsAsTheFirstAndFollowsSetFormat) {
  auto platform = MakePlatform({"laptop"});
  auto pin = FirstPin(BindDevice(*platform, "sim://laptop-camera"));
  auto config = Query<IAMStreamConfig>(pin);
  ASSERT_NE(config, nullptr);
  auto types = AllTypes(pin);
  ASSERT_GE(types.size(), 6u);

  AmMediaType* current = nullptr;
  ASSERT_EQ(config->GetFormat(current), kOk);
  EXPECT_EQ(BitmapHeaderOf(*current)->biWidth, BitmapHeaderOf(*types[0])->biWidth);
  DeleteMediaType(current);

  ASSERT_EQ(config->SetFormat(*types[5]), kOk);  // MJPG 1280x720
  ASSERT_EQ(config->GetFormat(current), kOk);
  EXPECT_EQ(current->subtype, guids::MediaSubtypeMJPG);
  EXPECT_EQ(BitmapHeaderOf(*current)->biWidth, 1280);
  EXPECT_EQ(platform->CurrentFormatIndex("sim://laptop-camera"), 5u);
  DeleteMediaType(current);

  // A type the pin does not offer is refused and the choice stays.
  auto* header = reinterpret_cast<VideoInfoHeader*>(types[0]->pbFormat);
  header->bmiHeader.biWidth = 800;
  EXPECT_EQ(config->SetFormat(*types[0]), kErrorInvalidMediaType);
  header->bmiHeader.biWidth = 640;
  header->AvgTimePerFrame = 400000;
  EXPECT_EQ(config->SetFormat(*types[0]), kErrorInvalidMediaType);
  AmMediaType noBlock;
  noBlock.formattype = guids::FormatVideoInfo;
  EXPECT_EQ(config->SetFormat(noBlock), kErrorInvalidMediaType);
  EXPECT_EQ(platform->CurrentFormatIndex("sim://laptop-camera"), 5u);

  // Another filter of the same camera sees the same choice, as the driver keeps it.
  AmMediaType* seenElsewhere = nullptr;
  ASSERT_EQ(Query<IAMStreamConfig>(FirstPin(BindDevice(*platform, "sim://laptop-camera")))->GetFormat(seenElsewhere),
            kOk);
  EXPECT_EQ(seenElsewhere->subtype, guids::MediaSubtypeMJPG);
  DeleteMediaType(seenElsewhere);
  DeleteAll(types);
}

// Frame times are truncated as a camera's descriptors give them, so the format texts, which divide 10^7
// by the time, read each rate whole (7.5 frames per second shows as 7: whole frames), through the
// camera component as the window reads them, and a format set that way is the one selected.
TEST(SimulatedFormats, FrameRatesReadBackWholeInTheFormatTexts) {
  const std::string text =
      "[Device]\nFriendlyName=Rates Camera\nDevicePath=sim://rates\n"
      "[Format]\nSubtype=YUY2\nWidth=640\nHeight=480\nFrameRates=30, 25, 24, 20, 15, 10, 7.5, 5\n";
  std::string error;
  const auto profile = simulated::ParseCameraProfile(text, "rates.ini", &error);
  ASSERT_TRUE(profile) << error;
  auto platform = std::make_shared<SimulatedPlatform>(std::vector<simulated::CameraProfile>{*profile});

  TFCamera camera(nullptr, platform);
  camera.SetDeviceName("Rates Camera");
  const TFCameraFormats formats = camera.SupportedFormats();
  const std::vector<std::pair<std::int64_t, QString>> expected = {
      {333333, "30"}, {400000, "25"}, {416666, "24"}, {500000, "20"},
      {666666, "15"}, {1000000, "10"}, {1333333, "7"}, {2000000, "5"}};
  ASSERT_EQ(formats.size(), expected.size());
  for (std::size_t i = 0; i < formats.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(formats[i].AvgTimePerFrame, expected[i].first);
    EXPECT_EQ(FormatEntryText(formats[i]), "640x480 " + expected[i].second + "Hz 16bpp");
    camera.SetFormat(formats[i]);
    EXPECT_EQ(platform->CurrentFormatIndex("sim://rates"), i);
  }
}

TEST(SimulatedFormats, ACameraWithoutFormatsOffersNothingAndCannotStream) {
  auto platform = MakePlatform({"no-formats"});
  auto pin = FirstPin(BindDevice(*platform, "sim://no-formats"));
  ASSERT_NE(pin, nullptr);
  EXPECT_TRUE(AllTypes(pin).empty());
  AmMediaType* current = nullptr;
  EXPECT_EQ(Query<IAMStreamConfig>(pin)->GetFormat(current), kErrorInvalidMediaType);
  EXPECT_EQ(current, nullptr);
  AmMediaType streamType;
  EXPECT_EQ(Query<IFrameSource>(pin)->GetStreamMediaType(streamType), kErrorInvalidMediaType);
  EXPECT_FALSE(platform->CurrentFormatIndex("sim://no-formats"));
}

}  // namespace
}  // namespace tavelo::platform
