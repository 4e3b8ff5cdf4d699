#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/ffmpeg_loader.h"
#include "engine/ffmpeg_logger.h"

extern "C" {
#include <libavcodec/version.h>
#include <libavutil/version.h>
}

extern "C" {
#include <libavutil/log.h>
}

namespace kx {
namespace {

TEST(LibraryBinding, EncoderAndPlayerSetsLoadAndUnload) {
  TFFmpegLoader& loader = FFLoader();
  loader.SetLibPath("LibAV");
  ASSERT_TRUE(loader.LoadLibs(kEncoderLibs)) << loader.LastError();
  EXPECT_TRUE(loader.LibsLoaded(kEncoderLibs));
  EXPECT_FALSE(loader.LibsLoaded(kPlayerLibs));
  ASSERT_TRUE(loader.LoadLibs(kPlayerLibs));
  ASSERT_TRUE(loader.LoadLibs(kPlayerLibs));  // twice is harmless
  EXPECT_TRUE(loader.LibsLoaded(kPlayerLibs));

  loader.UnloadLibs(LibBit(TLibrary::SDL));
  EXPECT_TRUE(loader.LibsLoaded(kEncoderLibs));
  EXPECT_FALSE(loader.LibsLoaded(kPlayerLibs));
  loader.UnloadLibs(kPlayerLibs);
  EXPECT_FALSE(loader.LibsLoaded(LibBit(TLibrary::avutil)));
}

TEST(LibraryBinding, MissingLibraryFailsAndLeavesTheSetUnloaded) {
  TFFmpegLoader& loader = FFLoader();
  loader.UnloadLibs(kPlayerLibs);
  const TLibrarySet withDevice = kEncoderLibs | LibBit(TLibrary::avdevice);
  EXPECT_FALSE(loader.LoadLibs(withDevice));
  EXPECT_EQ(loader.LastError().rfind("Load library libavdevice.so error: ", 0), 0u) << loader.LastError();
  EXPECT_FALSE(loader.LibsLoaded(LibBit(TLibrary::avcodec)));
  EXPECT_FALSE(loader.LibsLoaded(LibBit(TLibrary::avutil)));
}

TEST(LibraryBinding, FileNamesCarryTheMajorVersion) {
  EXPECT_EQ(FFLoader().LibFileName(TLibrary::avcodec), "libavcodec.so." + std::to_string(LIBAVCODEC_VERSION_MAJOR));
  EXPECT_EQ(FFLoader().LibFileName(TLibrary::avutil), "libavutil.so." + std::to_string(LIBAVUTIL_VERSION_MAJOR));
}

TEST(LibraryBinding, EmptySetIsRefused) {
  EXPECT_THROW(FFLoader().LoadLibs(0), std::invalid_argument);
  EXPECT_THROW(FFLoader().LibsLoaded(0), std::invalid_argument);
}

TEST(LibraryBinding, LoadingRoutesFfmpegLogIntoTheSink) {
  ASSERT_TRUE(FFLoader().LoadLibs(kEncoderLibs));
  std::string seen;
  FFLogger().SetOnLog([&](TFFLogger*, std::thread::id, TLogLevel, const std::string& text) { seen = text; });
  av_log(nullptr, AV_LOG_ERROR, "routed\n");
  FFLogger().SetOnLog(nullptr);
  EXPECT_EQ(seen, "routed");
}

}  // namespace
}  // namespace kx
