#include "dvddec/title_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "dvddec/disc_presence.h"
#include "dvddec/plugin_log.h"

namespace kx::dvddec {
namespace {

// Sectors read per libdvdread call into the reader's own buffer.
constexpr int kChunkSectors = 64;

// An audio id that names no stream of the title means its first audio stream
// (the dialogs pass 128 without knowing the title); a subtitle id that names
// none, 0 ("Default") among them, means no subtitle stream.
StreamChoice ChooseStreams(const TDVDTitleInfo& info, const TDVDParam& param) {
  StreamChoice choice;
  for (int i = 0; i < info.AudioCount; ++i)
    if (info.Audio[i].StreamId == param.AudioId) choice.audioId = param.AudioId;
  if (choice.audioId < 0 && info.AudioCount > 0) choice.audioId = info.Audio[0].StreamId;
  for (int i = 0; i < info.SubtitleCount; ++i)
    if (info.Subtitles[i].StreamId == param.SubtitleId) choice.subtitleId = param.SubtitleId;
  return choice;
}

}  // namespace

std::unique_ptr<TitleReader> TitleReader::Open(const std::string& drive, const TDVDParam& param) {
  std::string where = "\"" + drive + "\" title " + std::to_string(param.Title + 1);
  std::unique_ptr<TitleReader> reader(new TitleReader);
  reader->drive_ = drive;
  reader->dvd_ = OpenDisc(drive);
  std::optional<std::vector<DiscTitle>> titles;
  if (reader->dvd_) titles = ReadDiscTitles(reader->dvd_.get());
  if (!titles) {
    Log(DVDDEC_LOG_ERROR, "\"" + drive + "\" is no readable DVD");
    return nullptr;
  }
  if (param.Title < 0 || static_cast<size_t>(param.Title) >= titles->size()) {
    Log(DVDDEC_LOG_ERROR, where + " does not exist");
    return nullptr;
  }
  const DiscTitle& title = (*titles)[param.Title];
  if (!title.layout) {
    Log(DVDDEC_LOG_ERROR, where + " is invalid: " + title.problem);
    return nullptr;
  }
  const TitleLayout& layout = *title.layout;
  int count = static_cast<int>(layout.chapters.size());
  int first = std::max(param.ChapterStart, 1);
  int last = param.ChapterEnd < 1 || param.ChapterEnd > count ? count : param.ChapterEnd;
  if (first > last) {
    Log(DVDDEC_LOG_ERROR, where + ": chapters " + std::to_string(param.ChapterStart) + " to " +
                              std::to_string(param.ChapterEnd) + " are not among its " + std::to_string(count));
    return nullptr;
  }
  reader->vobs_.reset(DVDOpenFile(reader->dvd_.get(), layout.titleSet, DVD_READ_TITLE_VOBS));
  if (!reader->vobs_) {
    Log(DVDDEC_LOG_ERROR, where + ": its video cannot be opened");
    return nullptr;
  }
  for (int k = first; k <= last; ++k) {
    for (const Extent& extent : layout.chapters[k - 1]) {
      reader->extentStart_.push_back(reader->totalSectors_);
      reader->extents_.push_back(extent);
      reader->totalSectors_ += extent.count;
    }
  }
  reader->choice_ = ChooseStreams(layout.info, param);
  reader->palette_ = layout.palette;
  reader->buffer_.resize(kChunkSectors * kSectorSize);
  return reader;
}

TitleReader::~TitleReader() {
  if (!badSectors_.empty())
    Log(DVDDEC_LOG_WARNING, "\"" + drive_ + "\": " + std::to_string(badSectors_.size()) +
                                " bad sectors were delivered as padding");
}

size_t TitleReader::ExtentOf(int64_t sector) const {
  auto next = std::upper_bound(extentStart_.begin(), extentStart_.end(), sector);
  return static_cast<size_t>(next - extentStart_.begin()) - 1;
}

int TitleReader::RunLength(int64_t sector, int limit) const {
  size_t e = ExtentOf(sector);
  int64_t left = extentStart_[e] + extents_[e].count - sector;
  return static_cast<int>(std::min<int64_t>(left, limit));
}

// Bad-sector policy: a sector that cannot be read, or that is no valid pack,
// becomes a padding pack, is counted, and reading goes on. Discs with
// scratches or damaged images then still convert everything that is readable;
// the demuxer resynchronises at the next good pack. Only a medium that is gone
// ends the stream (DiscPresent decides).
bool TitleReader::ReadSectors(int64_t sector, int count, uint8_t* out) {
  size_t e = ExtentOf(sector);
  int vobSector = static_cast<int>(extents_[e].first + (sector - extentStart_[e]));
  ssize_t got = DVDReadBlocks(vobs_.get(), vobSector, count, out);
  got = std::clamp<ssize_t>(got, 0, count);
  for (int i = static_cast<int>(got); i < count; ++i) {
    // Retry one by one so that one bad sector costs one sector.
    if (DVDReadBlocks(vobs_.get(), vobSector + i, 1, out + i * kSectorSize) == 1) continue;
    if (!DiscPresent(drive_)) {
      Log(DVDDEC_LOG_ERROR, "\"" + drive_ + "\" is no longer readable; the stream ends");
      return false;
    }
    MarkBad(sector + i, out + i * kSectorSize);
  }
  for (int i = 0; i < count; ++i) {
    uint8_t* data = out + i * kSectorSize;
    if (FilterSector(data, choice_) == SectorCheck::kInvalid) MarkBad(sector + i, data);
  }
  return true;
}

void TitleReader::MarkBad(int64_t sector, uint8_t* data) {
  MakePaddingSector(data);
  // One line per run of bad sectors, at its first sector.
  if (badSectors_.insert(sector).second && !badSectors_.contains(sector - 1))
    Log(DVDDEC_LOG_WARNING, "\"" + drive_ + "\": sector " + std::to_string(sector) +
                                " of the stream is unreadable; bad sectors are delivered as padding");
}

bool TitleReader::FillBuffer() {
  int64_t sector = position_ / kSectorSize;
  int count = RunLength(sector, kChunkSectors);
  if (!ReadSectors(sector, count, buffer_.data())) return false;
  bufferSector_ = sector;
  bufferSectors_ = count;
  return true;
}

int TitleReader::Read(uint8_t* buffer, int size) {
  if (vanished_) return DVDREADER_EIO;
  int done = 0;
  while (done < size && position_ < Size()) {
    int64_t sector = position_ / kSectorSize;
    int64_t offset = position_ % kSectorSize;
    int wholeSectors = (size - done) / kSectorSize;
    bool buffered = sector >= bufferSector_ && sector < bufferSector_ + bufferSectors_;
    if (offset == 0 && wholeSectors > 0 && !buffered) {
      // Whole sectors go straight into the caller's buffer: one copy less.
      int count = RunLength(sector, wholeSectors);
      if (!ReadSectors(sector, count, buffer + done)) {
        vanished_ = true;
        break;
      }
      done += count * kSectorSize;
      position_ += static_cast<int64_t>(count) * kSectorSize;
      continue;
    }
    if (!buffered && !FillBuffer()) {
      vanished_ = true;
      break;
    }
    int64_t inBuffer = position_ - bufferSector_ * kSectorSize;
    int64_t available = static_cast<int64_t>(bufferSectors_) * kSectorSize - inBuffer;
    int take = static_cast<int>(std::min<int64_t>(available, size - done));
    std::memcpy(buffer + done, buffer_.data() + inBuffer, take);
    done += take;
    position_ += take;
  }
  if (done > 0) return done;
  return vanished_ ? DVDREADER_EIO : DVDREADER_EOF;
}

int64_t TitleReader::Seek(int64_t offset, int whence) {
  int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? position_ : whence == SEEK_END ? Size() : -1;
  if (base < 0 || offset > Size() - base || base + offset < 0) return DVDREADER_EINVAL;
  position_ = base + offset;
  return position_;
}

}  // namespace kx::dvddec
