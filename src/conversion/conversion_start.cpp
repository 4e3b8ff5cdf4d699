#include "conversion/conversion_start.h"

#include <algorithm>

#include "app/settings_store.h"
#include "dvd/dvd_plug_in.h"
#include "engine/dvd_input.h"
#include "profiles/output_file_name.h"
#include "profiles/profile_catalogue.h"

namespace kx {
namespace {

constexpr char kWarning[] = "Warning";

int CurrentFormatCode(const ProfileIniFiles& ini) {
  return ReadInteger(ini.settings, kSettingsSection, kFormatCodeKey, kDefaultFormatCode);
}

TDVDParam TitleParam(const TlvFilesRecord& rec) {
  return TDVDParam{rec.TitleIndex, rec.ChapterFrom, rec.ChapterTo, std::max(rec.AudioStreamId, 0),
                   std::max(rec.SubtitleStreamId, 0), 2, 0};
}

// The crop dialog's margins go to the encoder only when one of them cuts;
// then all four do, so the builder sees the record's margins as they are.
void CopyCrop(const TlvFilesRecord& rec, TOutputOptions& out) {
  if (rec.CropTop <= 0 && rec.CropBottom <= 0 && rec.CropLeft <= 0 && rec.CropRight <= 0) return;
  out.CropTop = rec.CropTop;
  out.CropBottom = rec.CropBottom;
  out.CropLeft = rec.CropLeft;
  out.CropRight = rec.CropRight;
}

enum class TitleTask { Added, Skipped, Failed };

TitleTask AddTitleTask(const TitleRowRef& row, int rowIndex, const std::string& drive, const ProfileIniFiles& ini,
                       TFFEncoder& encoder, MessageBoxes& boxes, StartedConversion& started) {
  TlvFilesRecord& rec = *row.Record;
  TDVDTitleInfo title;
  if (!DVDPlugIn::GetTitleInfo(rec.TitleIndex, title)) {
    boxes.Show(kWarning, "Title #" + std::to_string(rec.TitleIndex + 1) + " is invalid", MessageIcon::Warning);
    return TitleTask::Skipped;
  }
  const int code = CurrentFormatCode(ini);
  const std::string section = FormatSection(code);
  const std::string file =
      MakeOutputFileName(ini.settings, row.Caption, "." + ReadString(ini.format, section, "FileExt", "mp4"), boxes);
  rec.Zoom = ReadString(ini.settings, section, "parazoom", "lbox");
  DVDPlugIn::SetDVDParam(TitleParam(rec));

  const AskYesNo ask = [&boxes](const std::string& caption, const std::string& text) {
    return boxes.AskYesNo(caption, text);
  };
  TitleTaskOptions options = TitleTaskOptionsOf(rec, title, ini, code, ask);
  // Opens the input now, so the plug-in takes over the parameters just set.
  const int task = encoder.AddTask(std::string(kDvdInputPrefix) + drive, &options.Input);
  if (task < 0) {
    boxes.Show(kWarning, TaskFailureText(row.Caption, encoder.LastErrMsg()), MessageIcon::Warning);
    return TitleTask::Failed;
  }
  if (!encoder.SetOutputFile(task, file, &options.Output)) {
    boxes.Show(kWarning, TaskFailureText(row.Caption, encoder.LastErrMsg()), MessageIcon::Warning);
    encoder.RemoveTask(task);
    return TitleTask::Failed;
  }
  started.TaskRows.push_back(rowIndex);
  started.OutputFiles.push_back(file);
  return TitleTask::Added;
}

}  // namespace

TitleTaskOptions TitleTaskOptionsOf(const TlvFilesRecord& rec, const TDVDTitleInfo& title, const ProfileIniFiles& ini,
                                    int formatCode, const AskYesNo& ask) {
  TitleTaskOptions options;
  InitInputOptions(options.Input);
  if (rec.TrimStart >= 0) options.Input.StartTime = rec.TrimStart;
  TOutputOptions& out = options.Output;
  InitOutputOptions(out);
  CopyCrop(rec, out);
  BuildOutputOptions(ini, rec, formatCode, out, title, ask);
  if (rec.TrimLength > 0) out.RecordingTime = rec.TrimLength;
  out.CustomHook = NeedsFrameHook(rec);
  return options;
}

StartedConversion StartConversion(std::span<const TitleRowRef> rows, const std::string& drive,
                                  const ProfileIniFiles& ini, TFFEncoder& encoder, MessageBoxes& boxes) {
  StartedConversion started;
  const std::string libAV = DVDPlugIn::ProgramLibAVFolder();
  if (!encoder.AVLibLoaded() && !encoder.LoadAVLib(libAV)) return started;
  if (!DVDPlugIn::IsDVDLibLoaded() && !DVDPlugIn::LoadDVDLib(libAV)) return started;
  if (std::none_of(rows.begin(), rows.end(), [](const TitleRowRef& row) { return row.Ticked; })) {
    boxes.Show(kWarning, kNoTickedTitleText, MessageIcon::Warning);
    return started;
  }
  encoder.ClearTasks();
  encoder.SetPreview(true);
  for (size_t r = 0; r < rows.size(); ++r) {
    if (!rows[r].Ticked) continue;
    if (AddTitleTask(rows[r], static_cast<int>(r), drive, ini, encoder, boxes, started) == TitleTask::Failed)
      return started;
  }
  started.Ready = !started.TaskRows.empty();
  return started;
}

std::string TaskFailureText(const std::string& caption, const std::string& error) {
  return caption + " could not be converted: " + error;
}

}  // namespace kx
