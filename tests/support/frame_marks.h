#pragma once
#include <ostream>

struct AVFrame;

namespace kx::test {

// The picture marks of the test discs (tests/fixtures/make_discs.py draws
// them; this header is their reference). Second n of title k (1-based within
// its disc) is one solid picture in limited-range YUV:
//   Y = 28 + 5 * (n % 40)
//   U = 128 + kMarkChromaOffsets[i % 4], V = 128 + kMarkChromaOffsets[i / 4],
//   with i = (k - 1) % 16.
// Every mark lies inside the RGB cube, so it survives RGB round trips; the
// steps (luma 5, chroma 4) leave room for the error of lossy encoders and of
// libswscale's RGB paths (up to 2 luma levels for BGR24).
inline constexpr int kMarkLumaBase = 28;
inline constexpr int kMarkLumaStep = 5;
inline constexpr int kMarkSeconds = 40;
inline constexpr int kMarkChromaOffsets[4] = {-6, -2, 2, 6};
inline constexpr int kMarkTitles = 16;

struct FrameMark {
  int title = 0;    // 1 … 16; 0 when the colour names no title (e.g. after colour changes)
  int second = -1;  // 0 … 39; -1 when the brightness is no second's mark
  bool operator==(const FrameMark&) const = default;
};

struct MarkColour {
  int y, u, v;
};

// The colour of second `second` of title `title`.
MarkColour MarkColourOf(int title, int second);

// The mark of a limited-range YUV colour (8-bit scale, averages allowed).
FrameMark MarkOfColour(double y, double u, double v);

// Reads the mark at the centre of a decoded picture of any pixel format;
// RGB and full-range pictures are converted to limited-range BT.601 first.
FrameMark MarkOfFrame(const AVFrame* frame);

void PrintTo(const FrameMark& mark, std::ostream* os);

}  // namespace kx::test
