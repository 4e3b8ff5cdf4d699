#pragma once
// The option records through which the application describes one input and
// one output of a task. The encoder copies every record it is given, so a
// caller may reuse or drop its record at once. Unset values: -1 for numbers,
// empty strings, kUnsetTime for times; an unset field leaves the
// transcoder's own default in force.
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace kx {

// Days since 1899-12-30, the fraction being the local time of day.
using TDateTime = double;

// FFmpeg's value for an absent time stamp (AV_NOPTS_VALUE).
inline constexpr std::int64_t kUnsetTime = std::numeric_limits<std::int64_t>::min();

struct TInputOptions {
  std::string FileName;      // set to AddTask's name when left empty
  std::string FileFormat;    // "f": forced demuxer
  std::int64_t StartTime = kUnsetTime;  // µs, "ss" before opening
  int ProgramID = -1;        // "programid", applied when >= 0
  std::string ExtOptions;    // see ParseExtOptions
};

// Metadata of an output; each applied field adds one entry to the file.
struct TStreamInfo {
  TDateTime TimeStamp = -1.0;  // 0: now; > 0: that local time; < 0: none
  int Year = -1;               // entries only when > 0
  int Track = -1;
  std::string Title;
  std::string Author;
  std::string Copyright;
  std::string Comment;
  std::string Album;
  std::string Genre;
};

struct TOutputOptions {
  std::string FileName;     // set to SetOutputFile's name when left empty
  std::string FileFormat;   // "f"
  int PacketSize = -1;      // "packetsize", if > 0
  int MuxRate = -1;         // "muxrate", if > 0
  float MuxDelay = -1.0f;   // seconds, "muxdelay", if > 0
  float MuxPreload = -1.0f; // seconds, "muxpreload", if > 0
  std::string AudioCodec;   // "acodec": encoder name or "copy"
  std::string AudioPreset;  // "apre"
  bool DisableAudio = false;        // "an"
  int AudioVolume = -1;             // "vol", 256 = unchanged, if >= 0
  int AudioChannels = -1;           // "ac", if > 0
  int AudioSampleRate = -1;         // Hz, "ar", if > 0
  int AudioBitrate = -1;            // bit/s, "ab", if > 0
  int AudioBitrateTolerance = -1;   // bit/s, "abt", if > 0
  std::string AudioLanguage;        // "alang", always (empty clears)
  int AudioSync = 0;                // "async", always
  std::string AudioTag;             // "atag", 4 characters, when not empty
  std::string VideoCodec;           // "vcodec": encoder name or "copy"
  std::string VideoPreset;          // "vpre"
  bool DisableVideo = false;        // "vn"
  std::string FrameRate;            // "r": "25", "30000/1001", "29.97"
  std::string FrameSize;            // "s": "720x480" or an abbreviation
  std::string FrameAspectRatio;     // "aspect": "4:3", "16:9" or a decimal
  int CropTop = -1;                 // pixels, "croptop", always
  int CropBottom = -1;              // "cropbottom", always
  int CropLeft = -1;                // "cropleft", always
  int CropRight = -1;               // "cropright", always
  int GOPSize = -1;                 // frames, "g", if > 0
  int VideoBitrate = -1;            // bit/s, "vb", if > 0
  int VideoMaxRate = -1;            // bit/s, "maxrate", if > 0
  int VideoMinRate = -1;            // bit/s, "minrate", if > 0
  int VideoBitrateTolerance = -1;   // bit/s, "bt", if > 0
  int VideoBufSize = -1;            // bits, "bufsize", if > 0
  int VideoSync = -1;               // "vsync" (-1 automatic), always
  std::string VideoTag;             // "vtag", 4 characters, when not empty
  std::string VideoFilters;         // "vf": filter graph text
  std::string VideoLanguage;        // "vlang", always
  std::string SubtitleCodec;        // "scodec"
  std::string SubtitlePreset;       // "spre"
  bool DisableSubtitle = false;     // "sn"
  std::string SubtitleLanguage;     // "slang", always
  bool InputSync = false;           // "isync", always
  bool CopyTimestamps = false;      // "copyts"
  std::int64_t StartTime = kUnsetTime;      // µs, "ss" after the input was opened
  std::int64_t RecordingTime = kUnsetTime;  // µs, "t"; also the progress total
  TStreamInfo StreamInfo;
  int Target = 0;             // "target": 1 vcd, 2 svcd, 3 dvd, else none
  int TargetNorm = 0;         // 0 auto, 1 pal, 2 ntsc; other values: auto
  int TargetDefaultNorm = 1;  // norm when auto cannot decide: 1 pal, else ntsc
  bool CustomHook = false;    // deliver OnCustomHook for every decoded frame
  bool Join = false;          // join all inputs of the task into this output
  std::string ExtOptions;     // see ParseExtOptions
};

// Set every field to its initial value; used both to prepare a record and
// to clear one before it is dropped.
void InitInputOptions(TInputOptions& options);
void InitOutputOptions(TOutputOptions& options);

// One line of an ExtOptions text.
struct TExtOption {
  std::string Name;   // lower case
  std::string Value;  // untrimmed
  bool operator==(const TExtOption&) const = default;
};

// Splits an ExtOptions text into its options, in text order. The text is
// trimmed, its line breaks become line feeds and every literal "<CRLF>" one
// too, so a whole list fits on one line of a settings file. Each line is
// name=value (name lower-cased; no "=" gives an empty value); blank lines
// carry no option.
std::vector<TExtOption> ParseExtOptions(const std::string& text);

// The "timestamp" option of a TStreamInfo in seconds since 1970-01-01 UTC,
// or nothing when no creation time is wanted. The local time is turned into
// UTC with the standard time-zone offset only (no daylight saving).
std::optional<std::int64_t> StreamTimeStampSeconds(const TStreamInfo& info);

}  // namespace kx
