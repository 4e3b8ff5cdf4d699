#pragma once
// The module DVDPlugIn: binds LibAV/libdvddec.so at run time and offers a thin
// layer over its C interface. All calls are made on the main thread; once
// loaded, the library stays loaded for the rest of the process, so the entry
// points may then be used by readers on any thread.
#include <stdexcept>
#include <string>

#include "dvddec/dvddec_api.h"

namespace kx::DVDPlugIn {

inline constexpr const char* kLibraryName = "libdvddec.so";
inline constexpr const char* kNotLoadedText = "DVD plug-in library is not loaded.";

// Raised by the operations below when they are called before a successful load.
class NotLoadedError : public std::logic_error {
 public:
  NotLoadedError() : std::logic_error(kNotLoadedText) {}
};

// The program folder's LibAV: the directory of the running executable + "/LibAV".
std::string ProgramLibAVFolder();

// Loads and initialises the plug-in from `folder` (by its bare name through the
// system's search order when `folder` is empty or lacks the file). True at once
// when already loaded. A failed load clears everything; a later call retries.
bool LoadDVDLib(const std::string& folder);
bool IsDVDLibLoaded();

// Number of titles of the disc (device, ISO image or VIDEO_TS folder); < 1
// when it is no readable DVD.
int EnumTitles(const std::string& drive);
// Zero-fills `info`, then asks the plug-in for title `index` of the disc last
// enumerated.
bool GetTitleInfo(int index, TDVDTitleInfo& info);
// Hands a copy of `param` to the plug-in for the next reader.
void SetDVDParam(const TDVDParam& param);
std::string StreamTypeName(int code);
// Where the plug-in's messages go; the default is standard error.
void SetLogCallback(DVDLogCallback callback);

// The bound stream interface, for TitleStream.
struct ReaderCalls {
  decltype(&DVDReaderOpen) open;
  decltype(&DVDReaderRead) read;
  decltype(&DVDReaderSeek) seek;
  decltype(&DVDReaderSize) size;
  decltype(&DVDReaderPalette) palette;
  decltype(&DVDReaderBadSectors) badSectors;
  decltype(&DVDReaderClose) close;
};
const ReaderCalls& Readers();

}  // namespace kx::DVDPlugIn
