#include "dvddec/disc_layout.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>

#include <dvdread/ifo_read.h>

#include "dvddec/dvdread_handles.h"
#include "dvddec/language_names.h"

namespace kx::dvddec {
namespace {

constexpr int kMaxTitles = 99;

// Raised while reading one title; turns into that title's problem text.
struct BadTitle : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct TitleSet {
  IfoHandle ifo;
  uint32_t vobSectors = 0;
  std::string problem;
};

std::optional<int> Bcd(uint8_t value) {
  int high = value >> 4, low = value & 0x0F;
  if (high > 9 || low > 9) return std::nullopt;
  return high * 10 + low;
}

// Two lower-case letters or nothing: the code comes from the disc.
std::string LanguageCode(uint16_t packed) {
  char first = static_cast<char>(packed >> 8), second = static_cast<char>(packed & 0xFF);
  if (first < 'a' || first > 'z' || second < 'a' || second > 'z') return {};
  return {first, second};
}

template <size_t N>
void CopyText(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

struct AudioCoding {
  int type;
  int idBase;
  const char* name;
};

std::optional<AudioCoding> AudioCodingOf(int format) {
  switch (format) {
    case 0: return AudioCoding{DVD_STREAM_AC3, 0x80, "AC3"};
    case 2:
    case 3: return AudioCoding{DVD_STREAM_MPA, 0xC0, "MPA"};
    case 4: return AudioCoding{DVD_STREAM_LPCM, 0xA0, "LPCM"};
    case 6: return AudioCoding{DVD_STREAM_DTS, 0x88, "DTS"};
    default: return std::nullopt;
  }
}

// Audio streams that the program chain enables; the control word, not the
// position in the attribute list, says which MPEG stream carries each.
void FillAudio(const vtsi_mat_t& mat, const pgc_t& pgc, TDVDTitleInfo& info) {
  int listed = std::min<int>(mat.nr_of_vts_audio_streams, DVD_MAX_AUDIO);
  for (int i = 0; i < listed; ++i) {
    uint16_t control = pgc.audio_control[i];
    if (!(control & 0x8000)) continue;
    const audio_attr_t& attr = mat.vts_audio_attr[i];
    std::optional<AudioCoding> coding = AudioCodingOf(attr.audio_format);
    if (!coding) continue;
    TDVDAudioInfo& audio = info.Audio[info.AudioCount++];
    audio.StreamType = coding->type;
    audio.StreamId = coding->idBase + ((control >> 8) & 0x07);
    audio.Channels = attr.channels + 1;
    audio.SampleRate = attr.sample_frequency == 1 ? 96000 : 48000;
    std::string code = attr.lang_type == 1 ? LanguageCode(attr.lang_code) : std::string();
    CopyText(audio.LangCode, code);
    CopyText(audio.Description, LanguageName(code) + " " + coding->name + " " +
                                    std::to_string(audio.Channels) + "ch");
  }
}

// For 16:9 pictures the wide-screen field of the control word names the
// subpicture stream; for 4:3 the 4:3 field does.
void FillSubtitles(const vtsi_mat_t& mat, const pgc_t& pgc, bool wide, TDVDTitleInfo& info) {
  int listed = std::min<int>(mat.nr_of_vts_subp_streams, DVD_MAX_SUBTITLES);
  for (int i = 0; i < listed; ++i) {
    uint32_t control = pgc.subp_control[i];
    if (!(control & 0x80000000u)) continue;
    int number = static_cast<int>((wide ? control >> 16 : control >> 24) & 0x1F);
    const subp_attr_t& attr = mat.vts_subp_attr[i];
    TDVDSubtitleInfo& subtitle = info.Subtitles[info.SubtitleCount++];
    subtitle.StreamType = DVD_STREAM_SUB;
    subtitle.StreamId = 0x20 + number;
    std::string code = attr.type == 1 ? LanguageCode(attr.lang_code) : std::string();
    CopyText(subtitle.LangCode, code);
    CopyText(subtitle.Description, LanguageName(code));
  }
}

void FillVideo(const video_attr_t& video, TDVDTitleInfo& info) {
  if (video.video_format > 1) throw BadTitle("unknown video standard " + std::to_string(video.video_format));
  static constexpr int kWidths[4] = {720, 704, 352, 352};
  bool pal = video.video_format == 1;
  info.VideoType = video.mpeg_version == 0 ? DVD_STREAM_MPEG1 : video.mpeg_version == 1 ? DVD_STREAM_MPEG2 : 0;
  info.Width = kWidths[video.picture_size];
  info.Height = (pal ? 576 : 480) / (video.picture_size == 3 ? 2 : 1);
  info.FramesPerSecond = pal ? 25 : 30;
  info.AspectRatio = video.display_aspect_ratio;
}

const pgc_t& ProgramChain(const ifo_handle_t& vts, int pgcn) {
  const pgcit_t* pgcit = vts.vts_pgcit;
  if (!pgcit || !pgcit->pgci_srp || pgcn < 1 || pgcn > pgcit->nr_of_pgci_srp)
    throw BadTitle("program chain " + std::to_string(pgcn) + " does not exist");
  const pgc_t* pgc = pgcit->pgci_srp[pgcn - 1].pgc;
  if (!pgc || (pgc->nr_of_programs > 0 && !pgc->program_map) || (pgc->nr_of_cells > 0 && !pgc->cell_playback))
    throw BadTitle("program chain " + std::to_string(pgcn) + " is incomplete");
  return *pgc;
}

// The cells from program `pgn` up to the one before `nextPgn` (0: to the end
// of the chain), first angle only, merged where they are contiguous.
std::vector<Extent> ChapterCells(const pgc_t& pgc, int pgn, int nextPgn, uint32_t vobSectors) {
  auto programCell = [&](int program) {
    if (program < 1 || program > pgc.nr_of_programs) throw BadTitle("program " + std::to_string(program) + " does not exist");
    return static_cast<int>(pgc.program_map[program - 1]);
  };
  int firstCell = programCell(pgn);
  int lastCell = nextPgn ? programCell(nextPgn) - 1 : pgc.nr_of_cells;
  if (firstCell < 1 || firstCell > lastCell || lastCell > pgc.nr_of_cells)
    throw BadTitle("program " + std::to_string(pgn) + " has an invalid cell range");
  std::vector<Extent> extents;
  for (int c = firstCell; c <= lastCell; ++c) {
    const cell_playback_t& cell = pgc.cell_playback[c - 1];
    if (cell.block_type == BLOCK_TYPE_ANGLE_BLOCK && cell.block_mode != BLOCK_MODE_FIRST_CELL) continue;
    if (cell.first_sector > cell.last_sector || cell.last_sector >= vobSectors)
      throw BadTitle("cell " + std::to_string(c) + " lies outside the title set's video");
    uint32_t count = cell.last_sector - cell.first_sector + 1;
    if (!extents.empty() && extents.back().first + extents.back().count == cell.first_sector) {
      extents.back().count += count;
    } else {
      extents.push_back({cell.first_sector, count});
    }
  }
  if (extents.empty()) throw BadTitle("program " + std::to_string(pgn) + " has no cells");
  return extents;
}

class TitleSetCache {
 public:
  explicit TitleSetCache(dvd_reader_t* dvd) : dvd_(dvd) {}

  const TitleSet& Get(int number) {
    auto [it, fresh] = sets_.try_emplace(number);
    if (fresh) Load(number, it->second);
    if (!it->second.problem.empty()) throw BadTitle(it->second.problem);
    return it->second;
  }

 private:
  void Load(int number, TitleSet& set) {
    std::string name = "title set " + std::to_string(number);
    set.ifo.reset(ifoOpen(dvd_, number));
    if (!set.ifo || !set.ifo->vtsi_mat || !set.ifo->vts_ptt_srpt || !set.ifo->vts_pgcit) {
      set.problem = name + " cannot be read";
      return;
    }
    FileHandle vobs(DVDOpenFile(dvd_, number, DVD_READ_TITLE_VOBS));
    ssize_t size = vobs ? DVDFileSize(vobs.get()) : -1;
    if (size <= 0) {
      set.problem = name + " has no video";
      return;
    }
    set.vobSectors = static_cast<uint32_t>(std::min<ssize_t>(size, UINT32_MAX));
  }

  dvd_reader_t* dvd_;
  std::map<int, TitleSet> sets_;
};

TitleLayout ReadTitle(const ifo_handle_t& vmg, const title_info_t& entry, TitleSetCache& sets) {
  int setNumber = entry.title_set_nr;
  if (setNumber < 1 || setNumber > vmg.vmgi_mat->vmg_nr_of_title_sets)
    throw BadTitle("title set " + std::to_string(setNumber) + " does not exist");
  const TitleSet& set = sets.Get(setNumber);
  const ifo_handle_t& vts = *set.ifo;
  const vts_ptt_srpt_t& ptts = *vts.vts_ptt_srpt;
  if (entry.vts_ttn < 1 || entry.vts_ttn > ptts.nr_of_srpts || !ptts.title)
    throw BadTitle("title number " + std::to_string(entry.vts_ttn) + " is not in its title set");
  const ttu_t& unit = ptts.title[entry.vts_ttn - 1];
  int chapterCount = std::min<int>(entry.nr_of_ptts, unit.nr_of_ptts);
  if (chapterCount < 1 || !unit.ptt) throw BadTitle("the title has no chapters");

  TitleLayout layout;
  layout.titleSet = setNumber;
  double seconds = 0;
  std::set<int> timedChains;
  for (int k = 0; k < chapterCount; ++k) {
    const ptt_info_t& ptt = unit.ptt[k];
    const pgc_t& pgc = ProgramChain(vts, ptt.pgcn);
    // A chapter runs to the next chapter's program when that one follows in
    // the same chain, else to the chain's end.
    bool nextInChain = k + 1 < chapterCount && unit.ptt[k + 1].pgcn == ptt.pgcn && unit.ptt[k + 1].pgn > ptt.pgn;
    layout.chapters.push_back(ChapterCells(pgc, ptt.pgn, nextInChain ? unit.ptt[k + 1].pgn : 0, set.vobSectors));
    if (timedChains.insert(ptt.pgcn).second) {
      std::optional<double> chainSeconds = PlaybackSeconds(pgc.playback_time);
      if (!chainSeconds) throw BadTitle("program chain " + std::to_string(ptt.pgcn) + " has an invalid playback time");
      seconds += *chainSeconds;
    }
  }

  TDVDTitleInfo& info = layout.info;
  info.Duration = seconds;
  info.ChapterCount = chapterCount;
  info.AngleCount = entry.nr_of_angles;
  FillVideo(vts.vtsi_mat->vts_video_attr, info);
  const pgc_t& first = ProgramChain(vts, unit.ptt[0].pgcn);
  FillAudio(*vts.vtsi_mat, first, info);
  FillSubtitles(*vts.vtsi_mat, first, info.AspectRatio == 3, info);
  // pgc_t is packed: copy element by element, no references into it.
  for (size_t i = 0; i < layout.palette.size(); ++i) layout.palette[i] = YCrCbToRgb(first.palette[i]);
  return layout;
}

}  // namespace

std::optional<std::vector<DiscTitle>> ReadDiscTitles(dvd_reader_t* dvd) {
  IfoHandle vmg(ifoOpen(dvd, 0));
  if (!vmg || !vmg->vmgi_mat || !vmg->tt_srpt || !vmg->tt_srpt->title) return std::nullopt;
  TitleSetCache sets(dvd);
  std::vector<DiscTitle> titles(std::min<int>(vmg->tt_srpt->nr_of_srpts, kMaxTitles));
  for (size_t i = 0; i < titles.size(); ++i) {
    try {
      titles[i].layout = ReadTitle(*vmg, vmg->tt_srpt->title[i], sets);
    } catch (const BadTitle& bad) {
      titles[i].problem = bad.what();
    }
  }
  return titles;
}

std::optional<double> PlaybackSeconds(const dvd_time_t& time) {
  static constexpr double kFrameRates[4] = {0, 25.0, 0, 30000.0 / 1001.0};
  std::optional<int> hours = Bcd(time.hour), minutes = Bcd(time.minute), secs = Bcd(time.second),
                     frames = Bcd(time.frame_u & 0x3F);
  double rate = kFrameRates[time.frame_u >> 6];
  if (!hours || !minutes || !secs || !frames) return std::nullopt;
  if (rate == 0) {
    // Some authoring tools leave the rate code empty when the frame count is 0.
    if (*frames != 0) return std::nullopt;
    rate = 1;
  }
  return *hours * 3600.0 + *minutes * 60.0 + *secs + *frames / rate;
}

uint32_t YCrCbToRgb(uint32_t ycrcb) {
  double y = 1.164 * (((ycrcb >> 16) & 0xFF) - 16.0);
  double cr = ((ycrcb >> 8) & 0xFF) - 128.0;
  double cb = (ycrcb & 0xFF) - 128.0;
  auto channel = [](double value) { return static_cast<uint32_t>(std::clamp(std::lround(value), 0L, 255L)); };
  return channel(y + 1.596 * cr) << 16 | channel(y - 0.813 * cr - 0.391 * cb) << 8 | channel(y + 2.018 * cb);
}

}  // namespace kx::dvddec
