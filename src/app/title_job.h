#pragma once
// The job record of one title row: where the title lies on the disc, the
// stream and chapter choice, trim, crop, colour adjustments and watermark
// items. Each row of the title list owns exactly one record and the record
// lives exactly as long as its row; the record owns its watermark items and
// each item its font, so dropping a record releases everything it holds.
//
// Not locked: records are edited on the main thread while no conversion
// runs; during a conversion they are only read (the frame hook reads them on
// the worker thread while the modal progress window keeps editing closed).
#include <cstdint>
#include <string>
#include <vector>

#include "dvddec/dvddec_api.h"

namespace kx {

// A colour as 0xRRGGBB (colours stored by Windows as 0x00BBGGRR are
// converted once when read).
using TColor = std::uint32_t;

enum class TFontStyle : std::uint8_t { None = 0, Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };

constexpr TFontStyle operator|(TFontStyle a, TFontStyle b) {
  return static_cast<TFontStyle>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}
constexpr bool HasStyle(TFontStyle set, TFontStyle style) {
  return (static_cast<std::uint8_t>(set) & static_cast<std::uint8_t>(style)) != 0;
}

struct TFont {
  std::string Name;
  int Size = 0;  // points
  TFontStyle Style = TFontStyle::None;
  TColor Color = 0;
};

// Watermark item kinds.
inline constexpr int kWmText = 0;
inline constexpr int kWmImage = 1;

// One watermark item. An item uses only the fields of its Kind; the others
// may still hold values from an earlier edit of the same slot. Positions are
// in pixels of the decoded source picture.
class TWmRec {
 public:
  std::string Text;
  TFont Font;
  int TextLeft = 0;
  int TextTop = 0;
  int TextWidth = 0;
  int TextHeight = 0;
  int TextAlpha = 0;  // 0 … 255, 255 opaque
  TColor BackColor = 0;
  bool FillBack = false;  // false: only the glyphs are drawn
  std::string ImageFile;  // full path of a BMP picture
  int ImageLeft = 0;
  int ImageTop = 0;
  int ImageWidth = 0;  // the layer's size when stored; drawing uses the picture's own
  int ImageHeight = 0;
  int ImageAlpha = 0;
  int Kind = kWmText;
  int StartSec = 0;  // whole seconds of the title, both inclusive
  int EndSec = 0;
};

// Neutral colour adjustments: with these the picture is left as decoded.
inline constexpr int kNeutralBrightness = 255;
inline constexpr int kNeutralContrast = 0;
inline constexpr int kNeutralSaturation = 255;
inline constexpr int kNeutralExposure = 0;

struct TlvFilesRecord {
  int TitleIndex = 0;  // 0-based; the row caption shows TitleIndex + 1
  std::string SourceName;  // empty for DVD titles
  std::int64_t TrimStart = 0;   // µs from the title's start
  std::int64_t TrimLength = 0;  // µs; 0 = up to the end
  std::string Zoom;  // "full", "lbox", "pan", "center" or empty
  // Source-picture pixels cut away at each edge.
  int CropTop = 0;
  int CropLeft = 0;
  int CropBottom = 0;
  int CropRight = 0;
  // The same margins in the crop dialog's preview pixels, only for showing them again.
  int ViewCropTop = 0;
  int ViewCropLeft = 0;
  int ViewCropBottom = 0;
  int ViewCropRight = 0;
  std::vector<TWmRec> WaterMarks;  // drawing order: later items over earlier ones
  TDVDTitleInfo TitleInfo{};
  int AudioIndex = 0;     // position in the audio list
  int SubtitleIndex = 0;  // position in the subtitle list; SubtitleCount = "Default"
  int AudioStreamId = 0;
  int SubtitleStreamId = 0;  // 0 = "Default"
  int ChapterFrom = 1;  // 1-based
  int ChapterTo = 1;    // inclusive, never above the chapter count
  int Brightness = kNeutralBrightness;  // 0 … 512
  int Contrast = kNeutralContrast;      // -100 … 100
  int Saturation = kNeutralSaturation;  // 0 … 512
  int Exposure = kNeutralExposure;      // -255 … 512
  bool ProcessText = false;
  bool ProcessImage = false;
};

// The record of a newly listed title: first audio and subtitle stream, all
// chapters, nothing trimmed, cropped or adjusted. The counts of `info` are
// taken within their arrays (a record from the plug-in binding already is).
TlvFilesRecord NewTitleJob(int titleIndex, const TDVDTitleInfo& info);

// Audio list choice: position and stream id follow the chosen entry. Nothing
// changes for a title without audio or a position outside its entries.
void ChooseAudio(TlvFilesRecord& rec, int position);
// Subtitle list choice; the position one past the last entry is "Default"
// (stream id 0). Nothing changes for a title without subtitles or a
// position outside 0 … SubtitleCount.
void ChooseSubtitle(TlvFilesRecord& rec, int position);

// Whether converting the title needs the per-frame hook: any colour
// adjustment away from neutral, or any watermark item with a text or a
// picture (an empty first item does not hide the items after it).
bool NeedsFrameHook(const TlvFilesRecord& rec);

}  // namespace kx
