#pragma once
// Owners for libdvdread handles, and the one way the plug-in opens a disc.
#include <memory>
#include <string>

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>

namespace kx::dvddec {

struct DiscCloser {
  void operator()(dvd_reader_t* dvd) const { DVDClose(dvd); }
};
struct IfoCloser {
  void operator()(ifo_handle_t* ifo) const { ifoClose(ifo); }
};
struct FileCloser {
  void operator()(dvd_file_t* file) const { DVDCloseFile(file); }
};

using DiscHandle = std::unique_ptr<dvd_reader_t, DiscCloser>;
using IfoHandle = std::unique_ptr<ifo_handle_t, IfoCloser>;
using FileHandle = std::unique_ptr<dvd_file_t, FileCloser>;

// Opens a device, an ISO image or a folder holding VIDEO_TS; libdvdread's own
// messages go to the plug-in log. Null when it is nothing libdvdread can read.
DiscHandle OpenDisc(const std::string& drive);

}  // namespace kx::dvddec
