#pragma once
// The trim dialog's arithmetic: typed times and what a confirmed range of
// whole seconds becomes in the job record. No Qt.
#include <cstdint>
#include <optional>
#include <string>

namespace kx {

// A typed time: "H:MM:SS" (as DurationText shows it), "M:SS" or plain
// seconds, surrounding blanks allowed; minutes and seconds must be below 60
// when a larger unit is given.
std::optional<std::int64_t> HMSToSeconds(const std::string& text);

// What Ok stores: microseconds from the title's start, and the length in
// microseconds with 0 meaning "up to the end of the title".
struct TTrimStore {
  std::int64_t TrimStart = 0;
  std::int64_t TrimLength = 0;
  std::int64_t LengthSec = 0;  // shown in the title list's "Trim Length" column
};

// The range [startSec, endSec] of a title of titleSec seconds. A range that
// is not inside the title keeps the whole length from its start.
TTrimStore TrimToStore(std::int64_t startSec, std::int64_t endSec, std::int64_t titleSec);

}  // namespace kx
