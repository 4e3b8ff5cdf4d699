#pragma once
// The nine adjustable parameters of a profile as the settings dialog edits
// them: the choices the format INI offers, the user's choice kept in the
// settings INI, and the tokens stored for the recognised list items. Main
// thread only (settings store).
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kx {

// In the order the dialog fills its lists.
enum class Parameter { VideoSize, VideoBitRate, FrameRate, VideoEncoder, AudioBitRate, SampleRate, AudioEncoder, Channel, Volume };
inline constexpr std::size_t kParameterCount = 9;

struct ParameterKeys {
  const char* list;   // the format INI's comma-separated choices
  const char* index;  // the chosen item's position, in both INI files
  const char* para;   // the value the builder reads
  // The text shown when the stored index is negative (a typed value); null
  // for parameters whose value is never typed.
  const char* typedDefault;
};
const ParameterKeys& KeysOf(Parameter parameter);

// The format INI's choices for a parameter: the value split at every comma,
// pieces kept exactly; none when it is "null" (the default) or empty.
std::vector<std::string> ParameterItems(const std::string& formatIni, int code, Parameter parameter);

// The user's choice as the settings INI keeps it: the index (default 0) and,
// for typed parameters, the stored text.
struct StoredChoice {
  int index = 0;
  std::string text;
};
StoredChoice ReadStoredChoice(const std::string& settingsIni, int code, Parameter parameter);
// The profile's own default index (format INI, default 0).
int DefaultIndex(const std::string& formatIni, int code, Parameter parameter);

// How the picture fills the frame; stored as "full", "lbox", "pan".
enum class Zoom { None = -1, Full = 0, Letterbox = 1, PanAndScan = 2 };
// "paraZoom" of the profile, `missing` when the key is absent; an unknown
// value (also "center") is None.
Zoom ReadZoom(const std::string& settingsIni, int code, Zoom missing);

// The values stored for list items (matched in lower case); none for an
// item that the tables do not know, which then stores nothing.
std::optional<std::string> VideoEncoderToken(const std::string& item);
std::optional<std::string> AudioEncoderToken(const std::string& item);
std::optional<std::string> ChannelToken(const std::string& item);
// "100%" → "256": a known percentage × 256 / 100.
std::optional<std::string> VolumeToken(const std::string& item);

// A typed frame size on leaving its box.
struct FrameSizeCheck {
  enum class Result { Accepted, Invalid, Corrected } result;
  std::string corrected;  // "320x240" for Corrected
};
FrameSizeCheck CheckFrameSize(const std::string& text);
// A typed bit rate or sampling rate: a whole number, or exactly "as source";
// with `decimals` a number with a point is accepted too.
bool IsRateText(const std::string& text, bool decimals);

// What the dialog shows when Ok is pressed.
struct ProfileChoices {
  struct Shown {
    int index = -1;    // -1: a typed value or no selection
    std::string text;  // the box's text; empty when nothing is selected
  };
  std::array<Shown, kParameterCount> parameters;
  Zoom zoom = Zoom::None;
};
const ProfileChoices::Shown& ShownOf(const ProfileChoices& choices, Parameter parameter);

// Writes the user's choices into the profile's section of the settings INI:
// the description, the indexes, the shown texts and the tokens of the known
// items; an unknown item keeps the value stored before. An H.264 choice also
// copies the profile's valid tuning values from the format INI. Raises
// SettingsError when the file cannot be written.
void StoreProfileChoices(const std::string& settingsIni, const std::string& formatIni, int code,
                         const std::string& name, const ProfileChoices& choices);

}  // namespace kx
