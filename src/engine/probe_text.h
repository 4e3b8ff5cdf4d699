#pragma once
// The text formats of the media probe's description.
#include <cstdint>
#include <string>
#include <vector>

struct AVDictionary;

namespace kx {

// "%.2f GB" above 2^30 bytes, "%.2f MB" above 2^20, "%.2f KB" above 1024, else "%d Byte".
std::string SizeText(std::int64_t bytes);

// Hours:minutes:seconds.milliseconds of a µs value, "%.2d:%.2d:%.2d.%.3d".
std::string TimeText(std::int64_t us);

// Whole seconds and remaining µs, "%d.%.6d" (a leading "-" for negative times).
std::string SecondsText(std::int64_t us);

// ", <rate> <unit>": two decimals when the rate is not whole, "25 fps",
// and thousands as "90k tbn".
std::string RateText(double rate, const char* unit);

// The lines "<prefix>Metadata:" and "<prefix>  <key, 16 wide>: <value>",
// ID3v2 frame names shown by their common names. Nothing when there is no
// metadata or only "language", which is never listed.
std::vector<std::string> MetadataLines(const AVDictionary* metadata, const std::string& prefix);

}  // namespace kx
