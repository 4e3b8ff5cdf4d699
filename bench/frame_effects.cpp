// The cost of a title's frame effects: colour adjustments, one text and one
// picture watermark applied to a 720x576 frame (µs per frame, each part
// alone and all together), then a DVD title converted without the hook,
// with a hook that changes nothing and with the hook applying the effects.
//   bench_frame_effects [disc folder] [rounds]   (default: the build's discs/bench40, 2)
// The conversions alternate in one process; medians of their wall times
// are printed with the extra time per frame, and last the ratio of the
// conversion with effects to the one without.
extern "C" {
#include <libavutil/log.h>
}

#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "dvd/dvd_plug_in.h"
#include "edit/frame_effects.h"
#include "engine/custom_ffmpeg.h"
#include "engine/engine_callbacks.h"
#include "engine/run_control.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

kx::TWmRec TextItem() {
  kx::TWmRec item;
  item.Kind = kx::kWmText;
  item.Text = "Kestrix sample watermark";
  item.Font = {"DejaVu Sans", 26, kx::TFontStyle::Bold, 0x2040FF};
  item.TextLeft = 60;
  item.TextTop = 420;
  item.TextWidth = 440;
  item.TextHeight = 48;
  item.TextAlpha = 180;
  item.EndSec = 1000;
  return item;
}

kx::TWmRec PictureItem(const std::string& file) {
  kx::TWmRec item;
  item.Kind = kx::kWmImage;
  item.ImageFile = file;
  item.ImageLeft = 520;
  item.ImageTop = 30;
  item.ImageWidth = 160;
  item.ImageHeight = 120;
  item.ImageAlpha = 200;
  item.EndSec = 1000;
  return item;
}

kx::TlvFilesRecord Record(bool colors, bool text, const std::string& picture) {
  kx::TlvFilesRecord rec;
  if (colors) {
    rec.Brightness = 300;
    rec.Contrast = 20;
    rec.Saturation = 320;
    rec.Exposure = 40;
  }
  if (text) rec.WaterMarks.push_back(TextItem());
  if (!picture.empty()) rec.WaterMarks.push_back(PictureItem(picture));
  return rec;
}

double MicrosPerFrame(const kx::TFrameEffects& effects, int frames) {
  kx::TBitmap frame;
  frame.Resize(720, 576);
  std::mt19937 random(3);
  for (auto& byte : frame.Pixels) byte = static_cast<std::uint8_t>(random());
  const kx::TBitmap original = frame;
  double total = 0;
  for (int i = 0; i < frames; ++i) {
    std::copy(original.Pixels.begin(), original.Pixels.end(), frame.Pixels.begin());
    const auto start = Clock::now();
    effects.Apply(frame, 5000000);
    total += std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  }
  return total / frames;
}

enum class Hook { None, Empty, Effects };

// One conversion of title 1 to MPEG-4 at the source size; wall seconds, or -1.
double Convert(const std::string& disc, const std::string& output, Hook hook, const kx::TFrameEffects& effects,
               int& frames) {
  kx::DVDPlugIn::SetDVDParam(TDVDParam{0, 0, 99, 0x80, 0, 2, 0});
  kx::TCustomFFmpeg engine;
  kx::TEngineCallbacks callbacks;
  frames = 0;
  if (hook != Hook::None) {
    engine.SetCustomHookEnabled(true);
    callbacks.customHook = [&](kx::THookInfo& info) {
      ++frames;
      if (hook == Hook::Effects) effects.Apply(*info.Bitmap, info.PTS);
    };
  }
  const auto start = Clock::now();
  try {
    if (!engine.OpenInput("opendvd:" + disc)) throw std::runtime_error(engine.LastError());
    for (const auto& [name, value] : {std::pair{"vcodec", "mpeg4"}, {"b", "3000k"}, {"acodec", "aac"}})
      engine.SetOption(name, value);
    if (engine.CreateOutput(output, false) < 0) throw std::runtime_error(engine.LastError());
    kx::TRunControl control;
    const bool finished = engine.Transcode(control, callbacks);
    engine.Release();
    if (!finished) return -1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "conversion failed: %s\n", error.what());
    engine.Release();
    return -1;
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);  // text rendering needs the font database
  av_log_set_level(AV_LOG_ERROR);
  const fs::path exeDir = fs::canonical("/proc/self/exe").parent_path();
  const std::string disc = argc > 1 ? argv[1] : (exeDir / "discs" / "bench40").string();
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
  if (!fs::is_directory(fs::path(disc) / "VIDEO_TS")) {
    std::fprintf(stderr, "%s holds no VIDEO_TS (make it with tests/fixtures/make_discs.py)\n", disc.c_str());
    return 1;
  }
  if (!kx::DVDPlugIn::LoadDVDLib(kx::DVDPlugIn::ProgramLibAVFolder())) return 2;
  const fs::path outDir = fs::temp_directory_path() / ("kx_bench_effects_" + std::to_string(getpid()));
  fs::create_directories(outDir);
  const std::string picture = (outDir / "logo.png").string();
  QImage logo(200, 150, QImage::Format_ARGB32);
  logo.fill(QColor(200, 30, 30, 160));
  logo.save(QString::fromStdString(picture));

  constexpr int kFrames = 500;
  const kx::TFrameEffects all(Record(true, true, picture));
  std::printf("per 720x576 frame: colours %.0f us, text %.0f us, picture %.0f us, all %.0f us\n",
              MicrosPerFrame(kx::TFrameEffects(Record(true, false, "")), kFrames),
              MicrosPerFrame(kx::TFrameEffects(Record(false, true, "")), kFrames),
              MicrosPerFrame(kx::TFrameEffects(Record(false, false, picture)), kFrames), MicrosPerFrame(all, kFrames));

  const char* names[] = {"no hook", "hook, no effects", "hook with effects"};
  std::vector<double> times[3];
  int frames = 0;
  for (int round = 0; round < rounds; ++round)
    for (Hook hook : {Hook::None, Hook::Empty, Hook::Effects}) {
      const double seconds = Convert(disc, (outDir / "out.mp4").string(), hook, all, frames);
      if (seconds < 0) {
        fs::remove_all(outDir);
        return 1;
      }
      times[static_cast<int>(hook)].push_back(seconds);
    }
  fs::remove_all(outDir);
  const double plain = Median(times[0]);
  for (int i = 0; i < 3; ++i) {
    const double t = Median(times[i]);
    std::printf("%-18s %6.2f s  %+7.0f us per frame\n", names[i], t, frames > 0 ? (t - plain) * 1e6 / frames : 0.0);
  }
  std::printf("frames hooked: %d\nratio %.3f\n", frames, Median(times[2]) / plain);
  return 0;
}
