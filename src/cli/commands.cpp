#include "cli/commands.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <vector>

#include "app/disc_opening.h"
#include "app/folder_settings.h"
#include "app/global_object.h"
#include "app/settings_store.h"
#include "app/title_row_texts.h"
#include "cli/console_messages.h"
#include "cli/progress_line.h"
#include "conversion/conversion_start.h"
#include "dvd/dvd_plug_in.h"
#include "engine/main_thread_queue.h"
#include "profiles/profile_catalogue.h"
#include "profiles/profile_files.h"

namespace kx::cli {
namespace {

namespace fs = std::filesystem;

// The INI files where the window has them, installed on a first use.
ProfileIniFiles UserIniFiles() {
  CreateGlobalObject();
  const ProfileIniFiles ini{GlobalObject->FormatIniName(), GlobalObject->SettingsIniName()};
  InstallProfileFiles(ini.format, ini.settings);
  return ini;
}

bool LoadDvdPlugIn() {
  if (DVDPlugIn::LoadDVDLib(DVDPlugIn::ProgramLibAVFolder())) return true;
  std::cerr << "The DVD plug-in cannot be loaded from " << DVDPlugIn::ProgramLibAVFolder() << '\n';
  return false;
}

// A folder of this run's own, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "kestrix-cli-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("Cannot create a temporary folder in " + pattern);
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

template <class Stream>
int PositionOf(const Stream* streams, int count, int id) {
  for (int i = 0; i < count; ++i)
    if (streams[i].StreamId == id) return i;
  return -1;
}

// The command line's choices in a title's job record, as the main window's
// stream and chapter controls and the trim dialog would store them.
void ApplyChoices(const ConvertOptions& options, const std::string& caption, TlvFilesRecord& rec) {
  const TDVDTitleInfo& info = rec.TitleInfo;
  if (options.chapterTo) {
    if (*options.chapterTo > info.ChapterCount)
      throw UsageError(caption + " has " + std::to_string(info.ChapterCount) + " chapters");
    rec.ChapterFrom = *options.chapterFrom;
    rec.ChapterTo = *options.chapterTo;
  }
  if (options.audioId) {
    const int position = PositionOf(info.Audio, info.AudioCount, *options.audioId);
    if (position < 0) throw UsageError(caption + " has no audio stream " + std::to_string(*options.audioId));
    ChooseAudio(rec, position);
  }
  if (options.subtitleId) {
    const int position = *options.subtitleId == 0 ? info.SubtitleCount
                                                  : PositionOf(info.Subtitles, info.SubtitleCount, *options.subtitleId);
    if (position < 0) throw UsageError(caption + " has no subtitle stream " + std::to_string(*options.subtitleId));
    ChooseSubtitle(rec, position);
  }
  rec.TrimStart = options.trimStartUs;
  rec.TrimLength = options.trimLengthUs;
}

std::atomic<bool> g_interrupted{false};

extern "C" void Interrupt(int) { g_interrupted = true; }

}  // namespace

int ListTitles(const std::string& drive) {
  ConsoleMessages messages;
  if (!LoadDvdPlugIn()) return 1;
  const std::vector<DiscTitle> titles = ReadDiscTitles(drive, messages);
  for (const DiscTitle& title : titles) {
    const auto texts = TitleRowTexts(title.TitleIndex, title.Info);
    std::cout << texts[colSource] << texts[colDuration] << texts[colFrameSize] << texts[colVideoFormat] << "   "
              << title.Info.ChapterCount << " chapters\n";
    for (int i = 0; i < title.Info.AudioCount; ++i)
      std::cout << "    audio     " << StreamEntryText(title.Info.Audio[i]) << '\n';
    for (int i = 0; i < title.Info.SubtitleCount; ++i)
      std::cout << "    subtitle  " << StreamEntryText(title.Info.Subtitles[i]) << '\n';
  }
  return titles.empty() ? 1 : 0;
}

int ListProfiles() {
  const int current = ReadCurrentProfile(UserIniFiles().settings).code;
  const auto groups = ProfileGroups();
  for (size_t g = 0; g < groups.size(); ++g) {
    std::cout << groups[g].caption << '\n';
    for (size_t e = 0; e < groups[g].names.size(); ++e) {
      const int code = FormatCode(static_cast<int>(g), static_cast<int>(e));
      std::cout << (code == current ? "  * " : "    ") << code << "  " << groups[g].names[e] << '\n';
    }
  }
  return 0;
}

int Convert(const ConvertOptions& options) {
  const ProfileIniFiles userIni = UserIniFiles();
  // The command line's profile and folder go into a copy of the settings,
  // so the window's choices stay as the user left them.
  const TempFolder scratch;
  const ProfileIniFiles ini{userIni.format, scratch.Path() + "/" + kSettingsIniFile};
  fs::copy_file(userIni.settings, ini.settings);
  if (!options.profile.empty()) {
    const int code = ProfileCode(options.profile);
    StoreCurrentProfile(ini.settings, ProfileName(code), code);
  }
  if (!options.outDir.empty())
    WriteString(ini.settings, kSettingsSection, kOutPutDirKey, fs::absolute(options.outDir).string());

  ConsoleMessages messages;
  if (!LoadDvdPlugIn()) return 1;
  const std::vector<DiscTitle> titles = ReadDiscTitles(options.drive, messages);
  if (titles.empty()) return 1;
  for (int wanted : options.titles)
    if (std::none_of(titles.begin(), titles.end(), [wanted](const DiscTitle& t) { return t.TitleIndex + 1 == wanted; }))
      throw UsageError("the disc has no readable title " + std::to_string(wanted));

  std::vector<TlvFilesRecord> records;
  std::vector<TitleRowRef> rows;
  records.reserve(titles.size());
  for (const DiscTitle& title : titles) {
    const std::string caption = TitleRowTexts(title.TitleIndex, title.Info)[colSource];
    const bool ticked = options.titles.empty() || std::count(options.titles.begin(), options.titles.end(),
                                                             title.TitleIndex + 1) > 0;
    records.push_back(NewTitleJob(title.TitleIndex, title.Info));
    if (ticked) ApplyChoices(options, caption, records.back());
    rows.push_back({caption, ticked, &records.back()});
  }

  TFFEncoder encoder;
  const StartedConversion started = StartConversion(rows, options.drive, ini, encoder, messages);
  if (!started.Ready) return 1;

  ProgressLine progress(isatty(STDERR_FILENO) == 1);
  const auto captionOf = [&](int task) { return rows[started.TaskRows[task]].Caption; };
  encoder.SetOnProgress([&](TFFEncoder*, PProgressInfo info) {
    progress.Report(captionOf(info->TaskIndex), *info, encoder.TasksCount());
  });
  int finished = 0;
  bool runEnded = false;
  // Ends arrive on short-lived threads, in order; each is handed to this
  // thread, which prints it while it waits below.
  encoder.SetOnTerminate([&](TFFEncoder*, const TTerminateInfo& info) {
    MainThreadQueue::Instance().Call([&] {
      progress.EndTask();
      if (info.TaskIndex < 0) {
        runEnded = true;
      } else if (info.Finished) {
        ++finished;
        std::cout << started.OutputFiles[info.TaskIndex] << std::endl;
      } else if (info.Exception) {
        std::cerr << TaskFailureText(captionOf(info.TaskIndex), info.ExceptionMsg) << '\n';
      }
    });
  });

  std::signal(SIGINT, Interrupt);
  std::signal(SIGTERM, Interrupt);
  encoder.StartTask(1);
  bool stopping = false;
  while (!runEnded) {
    MainThreadQueue::Instance().WaitDraining([&] { return runEnded || (g_interrupted && !stopping); });
    if (g_interrupted && !stopping) {
      stopping = true;
      encoder.Stop(true);
    }
  }
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  encoder.ClearTasks();
  if (stopping) std::cerr << "Stopped.\n";
  return finished == static_cast<int>(started.TaskRows.size()) ? 0 : 1;
}

}  // namespace kx::cli
