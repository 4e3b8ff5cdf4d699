// Converting a DVD title with our engine through "opendvd:" against the ffmpeg
// command line converting the same title's VOB files with the same encoder
// settings, for two typical jobs:
//   H.264 320x240 letterboxed + AAC 128 kbit/s in MP4, MPEG-4 part 2 + MP3 in AVI.
//   bench_convert_vs_ffmpeg [disc folder] [rounds]   (default: the build's discs/bench40, 3)
// Each conversion runs in a child process of its own, ours and ffmpeg's
// alternating, so both meet the same machine load and page cache; the wall
// time and the child's peak resident memory are taken from wait4. Prints the
// median times per job, the largest peak memory of our conversions and, last,
// the ratio of our total to ffmpeg's (medians summed over the jobs).
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "dvd/dvd_plug_in.h"
#include "engine/custom_ffmpeg.h"
#include "engine/engine_callbacks.h"
#include "engine/run_control.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Options = std::vector<std::pair<std::string, std::string>>;

struct Job {
  const char* name;
  const char* extension;
  Options ours;                  // engine options after the input is opened
  std::vector<std::string> cli;  // ffmpeg output options, the same settings
};

const Job kJobs[] = {
    {"mp4 h264 320x240 letterbox + aac",
     "mp4",
     {{"vcodec", "libx264"}, {"b", "768k"}, {"vf", "scale=320:180,pad=320:240:0:30"},
      {"acodec", "aac"}, {"ab", "128k"}, {"ar", "44100"}, {"ac", "2"}},
     {"-c:v", "libx264", "-b:v", "768k", "-vf", "scale=320:180,pad=320:240:0:30",
      "-c:a", "aac", "-b:a", "128k", "-ar", "44100", "-ac", "2"}},
    {"avi mpeg4 640x360 + mp3",
     "avi",
     {{"vcodec", "mpeg4"}, {"b", "1200k"}, {"s", "640x360"}, {"vtag", "XVID"},
      {"acodec", "libmp3lame"}, {"ab", "128k"}, {"ar", "44100"}, {"ac", "2"}},
     {"-c:v", "mpeg4", "-b:v", "1200k", "-s", "640x360", "-vtag", "XVID",
      "-c:a", "libmp3lame", "-b:a", "128k", "-ar", "44100", "-ac", "2"}},
};

struct Measure {
  double seconds = 0;
  long peakKb = 0;
  bool ok = false;
};

using Clock = std::chrono::steady_clock;

// Waits for `child`; wall time since `start`, peak memory and success.
Measure Reap(pid_t child, Clock::time_point start) {
  int status = 0;
  rusage usage{};
  Measure m;
  if (wait4(child, &status, 0, &usage) != child) return m;
  m.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  m.peakKb = usage.ru_maxrss;
  m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return m;
}

// Child process body: one conversion by our engine; exit status 0 on success.
int ConvertWithEngine(const std::string& disc, const Job& job, const std::string& output) {
  av_log_set_level(AV_LOG_ERROR);
  if (!kx::DVDPlugIn::LoadDVDLib(kx::DVDPlugIn::ProgramLibAVFolder())) return 2;
  kx::DVDPlugIn::SetDVDParam(TDVDParam{0, 0, 99, 0x80, 0, 2, 0});
  kx::TCustomFFmpeg engine;
  try {
    if (!engine.OpenInput("opendvd:" + disc)) throw std::runtime_error(engine.LastError());
    for (const auto& [name, value] : job.ours) engine.SetOption(name, value);
    if (engine.CreateOutput(output, false) < 0) throw std::runtime_error(engine.LastError());
    kx::TRunControl control;
    const bool finished = engine.Transcode(control, kx::TEngineCallbacks{});
    engine.Release();
    return finished ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "our conversion failed: %s\n", error.what());
    engine.Release();
    return 1;
  }
}

Measure RunOurs(const std::string& disc, const Job& job, const std::string& output) {
  fs::remove(output);
  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) _exit(ConvertWithEngine(disc, job, output));
  return child < 0 ? Measure{} : Reap(child, start);
}

// The title's VOB files as one input of the concat protocol.
std::string VobInput(const std::string& disc) {
  std::string input = "concat:";
  for (int part = 1; part <= 9; ++part) {
    const fs::path vob = fs::path(disc) / "VIDEO_TS" / ("VTS_01_" + std::to_string(part) + ".VOB");
    if (!fs::exists(vob)) break;
    input += (part > 1 ? "|" : "") + vob.string();
  }
  return input;
}

Measure RunFfmpeg(const std::string& disc, const Job& job, const std::string& output) {
  std::vector<std::string> args = {"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i", VobInput(disc),
                                   "-map", "0:v:0", "-map", "0:a:0", "-sn"};
  args.insert(args.end(), job.cli.begin(), job.cli.end());
  args.push_back(output);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const auto start = Clock::now();
  pid_t child = 0;
  if (posix_spawnp(&child, "ffmpeg", nullptr, nullptr, argv.data(), environ) != 0) return {};
  return Reap(child, start);
}

// Video and audio packets of a finished file, so that both sides are seen to
// have done the same work.
std::pair<int, int> PacketCounts(const std::string& path) {
  AVFormatContext* ctx = nullptr;
  if (avformat_open_input(&ctx, path.c_str(), nullptr, nullptr) < 0) return {-1, -1};
  int video = 0, audio = 0;
  AVPacket* packet = av_packet_alloc();
  while (av_read_frame(ctx, packet) >= 0) {
    const AVMediaType type = ctx->streams[packet->stream_index]->codecpar->codec_type;
    video += type == AVMEDIA_TYPE_VIDEO;
    audio += type == AVMEDIA_TYPE_AUDIO;
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  avformat_close_input(&ctx);
  return {video, audio};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path exeDir = fs::canonical("/proc/self/exe").parent_path();
  const std::string disc = argc > 1 ? argv[1] : (exeDir / "discs" / "bench40").string();
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  if (!fs::is_directory(fs::path(disc) / "VIDEO_TS")) {
    std::fprintf(stderr, "%s holds no VIDEO_TS (make it with tests/fixtures/make_discs.py)\n", disc.c_str());
    return 1;
  }
  const fs::path outDir = fs::temp_directory_path() / ("kx_bench_" + std::to_string(getpid()));
  fs::create_directories(outDir);

  double oursTotal = 0, ffmpegTotal = 0;
  long peakKb = 0;
  for (const Job& job : kJobs) {
    std::vector<double> ours, theirs;
    for (int round = 0; round < rounds; ++round) {
      const Measure a = RunOurs(disc, job, (outDir / (std::string("ours.") + job.extension)).string());
      const Measure b = RunFfmpeg(disc, job, (outDir / (std::string("ffmpeg.") + job.extension)).string());
      if (!a.ok || !b.ok) {
        std::fprintf(stderr, "%s: %s conversion failed\n", job.name, a.ok ? "ffmpeg's" : "our");
        fs::remove_all(outDir);
        return 1;
      }
      ours.push_back(a.seconds);
      theirs.push_back(b.seconds);
      peakKb = std::max(peakKb, a.peakKb);
    }
    const std::string oursFile = (outDir / (std::string("ours.") + job.extension)).string();
    const std::string theirsFile = (outDir / (std::string("ffmpeg.") + job.extension)).string();
    const auto [ourVideo, ourAudio] = PacketCounts(oursFile);
    const auto [theirVideo, theirAudio] = PacketCounts(theirsFile);
    std::printf("%-36s packets: ours %d video %d audio, ffmpeg %d video %d audio\n", job.name, ourVideo, ourAudio,
                theirVideo, theirAudio);
    if (std::abs(ourVideo - theirVideo) > 2) {
      std::fprintf(stderr, "%s: the two conversions differ in their pictures\n", job.name);
      fs::remove_all(outDir);
      return 1;
    }
    const double o = Median(ours), t = Median(theirs);
    std::printf("%-36s ours %6.2f s  ffmpeg %6.2f s  ratio %.3f\n", job.name, o, t, o / t);
    oursTotal += o;
    ffmpegTotal += t;
  }
  fs::remove_all(outDir);
  std::printf("peak memory of our conversions: %.0f MB\n", peakKb / 1024.0);
  std::printf("ratio %.3f\n", oursTotal / ffmpegTotal);
  return 0;
}
