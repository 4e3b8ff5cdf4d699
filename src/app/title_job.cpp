#include "app/title_job.h"

#include <algorithm>

namespace kx {

namespace {

int AudioEntries(const TDVDTitleInfo& info) { return std::clamp(info.AudioCount, 0, int{DVD_MAX_AUDIO}); }

int SubtitleEntries(const TDVDTitleInfo& info) {
  return std::clamp(info.SubtitleCount, 0, int{DVD_MAX_SUBTITLES});
}

}  // namespace

TlvFilesRecord NewTitleJob(int titleIndex, const TDVDTitleInfo& info) {
  TlvFilesRecord rec;
  rec.TitleIndex = titleIndex;
  rec.TitleInfo = info;
  rec.AudioStreamId = AudioEntries(info) > 0 ? info.Audio[0].StreamId : 0;
  rec.SubtitleStreamId = SubtitleEntries(info) > 0 ? info.Subtitles[0].StreamId : 0;
  rec.ChapterFrom = 1;
  rec.ChapterTo = info.ChapterCount;
  return rec;
}

void ChooseAudio(TlvFilesRecord& rec, int position) {
  if (position < 0 || position >= AudioEntries(rec.TitleInfo)) return;
  rec.AudioIndex = position;
  rec.AudioStreamId = rec.TitleInfo.Audio[position].StreamId;
}

void ChooseSubtitle(TlvFilesRecord& rec, int position) {
  const int entries = SubtitleEntries(rec.TitleInfo);
  if (entries == 0 || position < 0 || position > entries) return;
  rec.SubtitleIndex = position;
  rec.SubtitleStreamId = position == entries ? 0 : rec.TitleInfo.Subtitles[position].StreamId;
}

bool NeedsFrameHook(const TlvFilesRecord& rec) {
  if (rec.Brightness != kNeutralBrightness || rec.Contrast != kNeutralContrast ||
      rec.Saturation != kNeutralSaturation || rec.Exposure != kNeutralExposure)
    return true;
  return std::any_of(rec.WaterMarks.begin(), rec.WaterMarks.end(),
                     [](const TWmRec& item) { return !item.Text.empty() || !item.ImageFile.empty(); });
}

}  // namespace kx
