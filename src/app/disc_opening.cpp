#include "app/disc_opening.h"

#include <fcntl.h>
#include <unistd.h>

#include "dvd/dvd_plug_in.h"

namespace kx {
namespace {

// A drive without a disc refuses to be opened (ENOMEDIUM); an image or a
// folder that is gone or unreadable refuses as well.
bool CanRead(const std::string& drive) {
  const int fd = open(drive.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  close(fd);
  return true;
}

}  // namespace

std::vector<DiscTitle> ReadDiscTitles(const std::string& drive, MessageBoxes& messages) {
  if (drive.empty() || !CanRead(drive)) {
    messages.Show("Warning", kNoDiscText, MessageIcon::Warning);
    return {};
  }
  const int count = DVDPlugIn::EnumTitles(drive);
  if (count < 1) {
    messages.Show("Message", kNoTitlesText, MessageIcon::Information);
    return {};
  }
  std::vector<DiscTitle> titles;
  titles.reserve(count);
  for (int i = 0; i < count; ++i) {
    DiscTitle title{i, {}};
    if (!DVDPlugIn::GetTitleInfo(i, title.Info)) {
      messages.Show("Warning", "Title #" + std::to_string(i + 1) + " is invalid", MessageIcon::Warning);
      continue;
    }
    titles.push_back(title);
  }
  return titles;
}

}  // namespace kx
