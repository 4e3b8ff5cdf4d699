// The test-disc marks must read back from pictures in any pixel format and
// after an RGB round trip, and the tone finder must name the right tone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>

#include "support/frame_marks.h"
#include "support/tones.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace kx::test {
namespace {

struct FrameFreer {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;

FramePtr NewFrame(AVPixelFormat format, int width, int height) {
  FramePtr frame(av_frame_alloc());
  frame->format = format;
  frame->width = width;
  frame->height = height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
  return frame;
}

// A solid 4:2:0 picture drawn the way the disc maker draws one second.
FramePtr MarkPicture(int title, int second, int width = 64, int height = 48) {
  MarkColour c = MarkColourOf(title, second);
  FramePtr frame = NewFrame(AV_PIX_FMT_YUV420P, width, height);
  for (int y = 0; y < height; ++y) memset(frame->data[0] + y * frame->linesize[0], c.y, width);
  for (int y = 0; y < height / 2; ++y) {
    memset(frame->data[1] + y * frame->linesize[1], c.u, width / 2);
    memset(frame->data[2] + y * frame->linesize[2], c.v, width / 2);
  }
  return frame;
}

// libswscale with BT.601 both ways, as a player or encoder would convert.
FramePtr Converted(const AVFrame* src, AVPixelFormat format, bool fullRange) {
  FramePtr dst = NewFrame(format, src->width, src->height);
  std::unique_ptr<SwsContext, decltype(&sws_freeContext)> sws(
      sws_getContext(src->width, src->height, static_cast<AVPixelFormat>(src->format), dst->width, dst->height,
                     format, SWS_BICUBIC, nullptr, nullptr, nullptr),
      &sws_freeContext);
  const int* bt601 = sws_getCoefficients(SWS_CS_ITU601);
  int srcFull = src->color_range == AVCOL_RANGE_JPEG;
  sws_setColorspaceDetails(sws.get(), bt601, srcFull, bt601, fullRange, 0, 1 << 16, 1 << 16);
  sws_scale(sws.get(), src->data, src->linesize, 0, src->height, dst->data, dst->linesize);
  dst->color_range = fullRange ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
  return dst;
}

TEST(MarkColour, StaysInsideLimitedRangeAndRgbCube) {
  for (int title = 1; title <= kMarkTitles; ++title) {
    for (int second = 0; second < kMarkSeconds; ++second) {
      MarkColour c = MarkColourOf(title, second);
      // BT.601 limited range to R'G'B' (0 … 255 before rounding).
      double y = 1.164 * (c.y - 16), u = c.u - 128, v = c.v - 128;
      double rgb[3] = {y + 1.596 * v, y - 0.392 * u - 0.813 * v, y + 2.017 * u};
      for (double channel : rgb) {
        EXPECT_GE(channel, 0.0) << "title " << title << " second " << second;
        EXPECT_LE(channel, 255.0) << "title " << title << " second " << second;
      }
      EXPECT_EQ(MarkOfColour(c.y, c.u, c.v), (FrameMark{title, second}));
    }
  }
}

TEST(MarkColour, WrapsAfterTheLastSecondAndTitle) {
  EXPECT_EQ(MarkColourOf(1, kMarkSeconds).y, MarkColourOf(1, 0).y);
  EXPECT_EQ(MarkColourOf(kMarkTitles + 1, 0).u, MarkColourOf(1, 0).u);
  EXPECT_EQ(MarkColourOf(kMarkTitles + 1, 0).v, MarkColourOf(1, 0).v);
}

TEST(MarkColour, ColoursBetweenMarksReadAsNone) {
  MarkColour c = MarkColourOf(3, 10);
  EXPECT_EQ(MarkOfColour(c.y + kMarkLumaStep / 2.0, c.u, c.v).second, -1);
  EXPECT_EQ(MarkOfColour(c.y, c.u + 2, c.v).title, 0);
  EXPECT_EQ(MarkOfColour(c.y + 2, c.u - 1.5, c.v + 1.5), (FrameMark{3, 10}));
  EXPECT_EQ(MarkOfColour(c.y - 2, c.u + 1.5, c.v - 1.5), (FrameMark{3, 10}));
  EXPECT_EQ(MarkOfColour(235, 128, 128).second, -1);  // white: beyond the last second
  EXPECT_EQ(MarkOfColour(16, 128, 128).second, -1);   // black: before the first
}

struct FormatCase {
  AVPixelFormat format;
  bool fullRange;
};

class MarkOfFrameFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(MarkOfFrameFormats, ReadsEveryTitleAtBothEndsOfTheSeconds) {
  for (int title = 1; title <= kMarkTitles; ++title) {
    for (int second : {0, 12, kMarkSeconds - 1}) {
      FramePtr picture = Converted(MarkPicture(title, second).get(), GetParam().format, GetParam().fullRange);
      EXPECT_EQ(MarkOfFrame(picture.get()), (FrameMark{title, second}))
          << av_get_pix_fmt_name(GetParam().format) << " title " << title << " second " << second;
    }
  }
}

TEST_P(MarkOfFrameFormats, SurvivesARoundTripBackToYuv) {
  FramePtr there = Converted(MarkPicture(16, kMarkSeconds - 1).get(), GetParam().format, GetParam().fullRange);
  FramePtr back = Converted(there.get(), AV_PIX_FMT_YUV420P, false);
  EXPECT_EQ(MarkOfFrame(back.get()), (FrameMark{16, kMarkSeconds - 1}));
}

INSTANTIATE_TEST_SUITE_P(PixelFormats, MarkOfFrameFormats,
                         ::testing::Values(FormatCase{AV_PIX_FMT_YUV420P, false}, FormatCase{AV_PIX_FMT_YUVJ420P, true},
                                           FormatCase{AV_PIX_FMT_YUV444P, false}, FormatCase{AV_PIX_FMT_NV12, false},
                                           FormatCase{AV_PIX_FMT_YUYV422, false}, FormatCase{AV_PIX_FMT_RGB24, true},
                                           FormatCase{AV_PIX_FMT_BGR24, true}, FormatCase{AV_PIX_FMT_BGRA, true},
                                           FormatCase{AV_PIX_FMT_YUV420P10LE, false}),
                         [](const auto& info) {
                           std::string name = av_get_pix_fmt_name(info.param.format);
                           return name + (info.param.fullRange ? "_full" : "_limited");
                         });

TEST(MarkOfFrame, ReadsOnlyTheCentre) {
  FramePtr picture = MarkPicture(5, 20, 96, 64);
  MarkColour edge = MarkColourOf(9, 35);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 96; ++x)
      if (x < 30 || x >= 66 || y < 20 || y >= 44) picture->data[0][y * picture->linesize[0] + x] = edge.y;
  EXPECT_EQ(MarkOfFrame(picture.get()), (FrameMark{5, 20}));
}

TEST(MarkOfFrame, HonoursAFullRangeTagOnPlainYuv) {
  FramePtr picture = MarkPicture(7, 33);
  MarkColour c = MarkColourOf(7, 33);
  auto fill = [&](int plane, int value, int rows, int cols) {
    for (int y = 0; y < rows; ++y) memset(picture->data[plane] + y * picture->linesize[plane], value, cols);
  };
  fill(0, static_cast<int>(std::lround((c.y - 16) * 255.0 / 219)), 48, 64);
  fill(1, static_cast<int>(std::lround(128 + (c.u - 128) * 255.0 / 224)), 24, 32);
  fill(2, static_cast<int>(std::lround(128 + (c.v - 128) * 255.0 / 224)), 24, 32);
  picture->color_range = AVCOL_RANGE_JPEG;
  EXPECT_EQ(MarkOfFrame(picture.get()), (FrameMark{7, 33}));
}

TEST(MarkOfFrame, NoPictureHasNoMark) {
  EXPECT_EQ(MarkOfFrame(nullptr), FrameMark{});
  FramePtr empty(av_frame_alloc());
  EXPECT_EQ(MarkOfFrame(empty.get()), FrameMark{});
}

std::vector<float> Sine(double frequency, int rate, double seconds, double amplitude = 0.125) {
  std::vector<float> samples(static_cast<size_t>(rate * seconds));
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * frequency * i / rate));
  return samples;
}

TEST(DominantTone, PicksTheToneAmongCloseCandidates) {
  const std::vector<double> candidates = {300, 440, 550, 660, 770, 880, 1000, 1200};
  for (double tone : candidates) {
    std::vector<float> s = Sine(tone, 48000, 0.5);
    EXPECT_EQ(DominantTone(s.data(), s.size(), 48000, candidates), tone);
  }
}

TEST(DominantTone, FindsTheLouderOfTwoTones) {
  std::vector<float> loud = Sine(660, 44100, 1.0, 0.2), quiet = Sine(440, 44100, 1.0, 0.05);
  for (size_t i = 0; i < loud.size(); ++i) loud[i] += quiet[i];
  EXPECT_EQ(DominantTone(loud.data(), loud.size(), 44100, {440, 660}), 660);
}

TEST(DominantTone, AnswersZeroWhenNoCandidateDominates) {
  std::vector<float> silence(48000, 0.0f);
  EXPECT_EQ(DominantTone(silence.data(), silence.size(), 48000, {440}), 0);
  std::vector<float> other = Sine(1000, 48000, 0.5);
  EXPECT_EQ(DominantTone(other.data(), other.size(), 48000, {440, 660}), 0);
  EXPECT_EQ(DominantTone(nullptr, 0, 48000, {440}), 0);
  EXPECT_NEAR(ToneShare(other.data(), other.size(), 48000, 1000), 1.0, 0.02);
}

}  // namespace
}  // namespace kx::test
