// The plug-in's C entry points. The program calls DVDInitialize, DVDEnumTitle,
// DVDGetTitle and DVDSetParam on its main thread; readers are opened there too
// but read on worker threads. The disc last enumerated and the parameters last
// set are process-wide and guarded by one mutex; a reader copies what it needs
// when it opens and shares nothing afterwards.
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "dvddec/disc_layout.h"
#include "dvddec/dvddec_api.h"
#include "dvddec/plugin_log.h"
#include "dvddec/title_reader.h"

struct DVDReader {
  std::unique_ptr<kx::dvddec::TitleReader> reader;
};

namespace {

struct PlugInState {
  std::mutex mutex;
  std::vector<kx::dvddec::DiscTitle> titles;  // of the disc last enumerated
  TDVDParam param{0, 0, 99, 0, 0, 2, 0};
};

PlugInState& State() {
  static PlugInState state;
  return state;
}

}  // namespace

extern "C" {

int DVDInitialize(const char* init) { return init && std::strcmp(init, DVDDEC_INIT_STRING) == 0; }

int DVDEnumTitle(const char* drive) {
  using namespace kx::dvddec;
  std::optional<std::vector<DiscTitle>> titles;
  if (drive) {
    DiscHandle dvd = OpenDisc(drive);
    if (dvd) titles = ReadDiscTitles(dvd.get());
  }
  if (titles) {
    for (size_t i = 0; i < titles->size(); ++i)
      if (!(*titles)[i].layout)
        Log(DVDDEC_LOG_WARNING, "title " + std::to_string(i + 1) + " skipped: " + (*titles)[i].problem);
  }
  PlugInState& state = State();
  std::lock_guard lock(state.mutex);
  state.titles = titles ? std::move(*titles) : std::vector<DiscTitle>();
  return static_cast<int>(state.titles.size());
}

int DVDGetTitle(int index, TDVDTitleInfo* info) {
  PlugInState& state = State();
  std::lock_guard lock(state.mutex);
  if (!info || index < 0 || static_cast<size_t>(index) >= state.titles.size()) return 0;
  const auto& title = state.titles[index];
  if (!title.layout) return 0;
  *info = title.layout->info;
  return 1;
}

int DVDSetParam(const TDVDParam* param) {
  if (!param) return 0;
  PlugInState& state = State();
  std::lock_guard lock(state.mutex);
  state.param = *param;
  return 1;
}

const char* DVDGetLibVersion(void) { return DVDDEC_INIT_STRING; }

DVDReader* DVDReaderOpen(const char* drive) {
  if (!drive) return nullptr;
  TDVDParam param;
  {
    PlugInState& state = State();
    std::lock_guard lock(state.mutex);
    param = state.param;
  }
  auto reader = kx::dvddec::TitleReader::Open(drive, param);
  return reader ? new DVDReader{std::move(reader)} : nullptr;
}

int DVDReaderRead(DVDReader* reader, uint8_t* buffer, int size) {
  if (!reader || !buffer || size < 0) return DVDREADER_EINVAL;
  return reader->reader->Read(buffer, size);
}

int64_t DVDReaderSeek(DVDReader* reader, int64_t offset, int whence) {
  return reader ? reader->reader->Seek(offset, whence) : int64_t{DVDREADER_EINVAL};
}

int64_t DVDReaderSize(DVDReader* reader) { return reader ? reader->reader->Size() : int64_t{DVDREADER_EINVAL}; }

void DVDReaderPalette(DVDReader* reader, uint32_t palette[16]) {
  if (!reader || !palette) return;
  std::memcpy(palette, reader->reader->Palette().data(), 16 * sizeof(uint32_t));
}

int64_t DVDReaderBadSectors(DVDReader* reader) { return reader ? reader->reader->BadSectors() : 0; }

void DVDReaderClose(DVDReader* reader) { delete reader; }

void DVDSetLogCallback(DVDLogCallback callback) { kx::dvddec::SetLogCallback(callback); }

}  // extern "C"
