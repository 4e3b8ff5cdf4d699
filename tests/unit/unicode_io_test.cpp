#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/av_probe.h"
#include "engine/ffmpeg_exception.h"
#include "engine/ffmpeg_loader.h"
#include "engine/input_opener.h"
#include "engine/output_opener.h"
#include "engine/unicode_io.h"
#include "engine/unicode_names.h"
#include "support/make_media.h"
#include "support/test_env.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

struct CloseInput {
  void operator()(AVFormatContext* ctx) const { CloseMediaInput(&ctx); }
};
using InputPtr = std::unique_ptr<AVFormatContext, CloseInput>;

InputPtr OpenInput(const std::string& name, int* result = nullptr) {
  AVFormatContext* ctx = nullptr;
  const int opened = OpenMediaInput(&ctx, name, nullptr);
  if (result) *result = opened;
  if (opened >= 0 && avformat_find_stream_info(ctx, nullptr) < 0) CloseMediaInput(&ctx);
  return InputPtr(ctx);
}

// Copies every packet of `source` into a new MP4 written through the output opener.
void Remux(AVFormatContext* source, const std::string& outputName) {
  AVFormatContext* raw = nullptr;
  CheckAv(avformat_alloc_output_context2(&raw, nullptr, "mp4", nullptr), "output context");
  std::unique_ptr<AVFormatContext, decltype(&avformat_free_context)> out(raw, avformat_free_context);
  for (unsigned i = 0; i < source->nb_streams; ++i) {
    AVStream* stream = avformat_new_stream(out.get(), nullptr);
    CheckAv(avcodec_parameters_copy(stream->codecpar, source->streams[i]->codecpar), "parameters");
    stream->codecpar->codec_tag = 0;
    stream->time_base = source->streams[i]->time_base;
  }
  CheckAv(OpenMediaOutput(out.get(), outputName), outputName);
  CheckAv(avformat_write_header(out.get(), nullptr), "header");
  std::unique_ptr<AVPacket, void (*)(AVPacket*)> packet(av_packet_alloc(), [](AVPacket* p) { av_packet_free(&p); });
  while (av_read_frame(source, packet.get()) >= 0) {
    av_packet_rescale_ts(packet.get(), source->streams[packet->stream_index]->time_base,
                         out->streams[packet->stream_index]->time_base);
    CheckAv(av_interleaved_write_frame(out.get(), packet.get()), "write");
  }
  CheckAv(av_write_trailer(out.get()), "trailer");
  CheckAv(CloseMediaOutput(out.get()), "close");
}

class UnicodeIo : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(FFLoader().LoadLibs(kEncoderLibs));
    dir_ = test::ScratchDir("unicode_io");
    test::MakeMedia({"-f", "lavfi", "-i", "testsrc=size=96x64:rate=25:duration=1", "-f", "lavfi", "-i",
                     "sine=frequency=440:duration=1", "-c:v", "mpeg4", "-c:a", "aac"},
                    dir_ + "/source.mp4");
  }
  static std::string dir_;
};
std::string UnicodeIo::dir_;

TEST_F(UnicodeIo, NonAsciiPathIsWrittenAndReadBack) {
  const fs::path folder = fs::path(dir_) / "Fïlm 日本";
  fs::create_directories(folder);
  const std::string path = (folder / "clip.mp4").string();

  InputPtr source = OpenInput(dir_ + "/source.mp4");
  ASSERT_TRUE(source);
  ASSERT_NO_THROW(Remux(source.get(), kUnicodeNamePrefix + path));
  ASSERT_TRUE(fs::exists(folder / "clip.mp4"));

  // Back through the unicode name and through the plain UTF-8 name alike.
  for (const std::string& name : {kUnicodeNamePrefix + path, ToLibraryName(path)}) {
    InputPtr copy = OpenInput(name);
    ASSERT_TRUE(copy) << name;
    EXPECT_EQ(copy->nb_streams, 2u);
    EXPECT_NEAR(static_cast<double>(copy->duration), static_cast<double>(source->duration), 50000.0);
    EXPECT_EQ(FromLibraryName(copy->url), path);
  }

  TAVProbe probe;
  ASSERT_TRUE(probe.Open(path)) << probe.LastErrMsg();
  EXPECT_EQ(probe.FileInfoText().substr(0, probe.FileInfoText().find('\n')), "File Name: " + path);
  EXPECT_EQ(probe.FileSize(), static_cast<std::int64_t>(fs::file_size(path)));
}

TEST_F(UnicodeIo, MissingFileAnswersNoSuchFile) {
  int result = 0;
  InputPtr input = OpenInput(std::string(kUnicodeNamePrefix) + dir_ + "/nowhere/clip.mp4", &result);
  EXPECT_FALSE(input);
  EXPECT_EQ(result, -2);
  EXPECT_EQ(AvErrorText("clip.mp4", result), "clip.mp4: No such file or directory");

  AVFormatContext* out = nullptr;
  ASSERT_GE(avformat_alloc_output_context2(&out, nullptr, "mp4", nullptr), 0);
  EXPECT_EQ(OpenMediaOutput(out, std::string(kUnicodeNamePrefix) + dir_ + "/nowhere/out.mp4"), -2);
  EXPECT_EQ(CloseMediaOutput(out), 0);
  avformat_free_context(out);
}

TEST_F(UnicodeIo, SizeRequestDoesNotMoveThePosition) {
  const std::string path = dir_ + "/bytes.bin";
  std::ofstream(path, std::ios::binary) << std::string(100000, 'x');
  AVIOContext* pb = nullptr;
  ASSERT_EQ(OpenUnicodeIo(&pb, kUnicodeNamePrefix + path, UnicodeIoMode::Read), 0);
  unsigned char head[10];
  EXPECT_EQ(avio_read(pb, head, sizeof head), 10);
  EXPECT_EQ(avio_size(pb), 100000);
  EXPECT_EQ(avio_tell(pb), 10);
  EXPECT_EQ(avio_seek(pb, 99999, SEEK_SET), 99999);
  EXPECT_EQ(avio_r8(pb), 'x');
  EXPECT_EQ(avio_r8(pb), 0);
  EXPECT_TRUE(avio_feof(pb));
  EXPECT_EQ(CloseUnicodeIo(&pb), 0);
  EXPECT_EQ(pb, nullptr);
}

}  // namespace
}  // namespace kx
