#pragma once
// Reading the titles of a disc for the title list: the disc is checked and
// enumerated, and every title's record is read, with the user told about
// each problem. Main thread only, with the DVD plug-in loaded; blocks while
// the disc is read.
#include <string>
#include <vector>

#include "app/message_boxes.h"
#include "dvddec/dvddec_api.h"

namespace kx {

inline constexpr char kNoDiscText[] = "Can't find a DVD Disk!";
inline constexpr char kNoTitlesText[] = "No DVD title(s) found. Maybe not a valid DVD.";

struct DiscTitle {
  int TitleIndex;  // 0-based, as the plug-in numbers it
  TDVDTitleInfo Info;
};

// The readable titles of `drive` (an optical drive's device, an ISO image or
// a folder holding VIDEO_TS), in disc order. Empty after "Can't find a DVD
// Disk!" when the drive cannot be read, after "No DVD title(s) found…" when
// it has no title. A title whose record cannot be read is left out after
// "Title #n is invalid".
std::vector<DiscTitle> ReadDiscTitles(const std::string& drive, MessageBoxes& messages);

}  // namespace kx
