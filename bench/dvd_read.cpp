// Reading a whole title through the DVD plug-in's reader (packet filter
// included) against reading the same title set's VOB files directly.
//   bench_dvd_read [disc folder]   (default: the build's discs/bench40)
// Prints both rates and, last, the ratio reader / direct.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "dvd/dvd_plug_in.h"
#include "dvd/title_stream.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBufferSize = 256 * 1024;  // what the engine's AVIOContext asks for
constexpr int kRounds = 5;
constexpr int kAlternations = 20;  // the machine may be busy: best of many short passes

// Best rate in MB/s of `pass`, which answers the bytes it read.
double BestRate(const std::function<int64_t()>& pass, int64_t& bytes) {
  double best = 0;
  for (int round = 0; round < kRounds; ++round) {
    auto start = Clock::now();
    bytes = pass();
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    best = std::max(best, bytes / seconds / 1e6);
  }
  return best;
}

int64_t ReadVobsDirectly(const std::filesystem::path& videoTs, std::vector<uint8_t>& buffer) {
  int64_t total = 0;
  for (int part = 1; part <= 9; ++part) {
    char name[32];
    std::snprintf(name, sizeof name, "VTS_01_%d.VOB", part);
    int fd = open((videoTs / name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) break;
    for (ssize_t n; (n = read(fd, buffer.data(), buffer.size())) > 0;) total += n;
    close(fd);
  }
  return total;
}

// One pass over the whole title; the reader was opened beforehand (opening
// parses the IFO files once per title and is timed on its own).
int64_t ReadThroughReader(kx::TitleStream& stream, std::vector<uint8_t>& buffer) {
  if (stream.Seek(0, SEEK_SET) != 0) return 0;
  int64_t total = 0;
  for (int n; (n = stream.Read(buffer.data(), static_cast<int>(buffer.size()))) > 0;) total += n;
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path exeDir = std::filesystem::canonical("/proc/self/exe").parent_path();
  std::string disc = argc > 1 ? argv[1] : (exeDir / "discs" / "bench40").string();
  if (!kx::DVDPlugIn::LoadDVDLib(kx::DVDPlugIn::ProgramLibAVFolder())) {
    std::fprintf(stderr, "The DVD plug-in cannot be loaded from %s\n", kx::DVDPlugIn::ProgramLibAVFolder().c_str());
    return 1;
  }
  if (kx::DVDPlugIn::EnumTitles(disc) < 1) {
    std::fprintf(stderr, "%s is no readable DVD (make it with tests/fixtures/make_discs.py)\n", disc.c_str());
    return 1;
  }
  std::vector<uint8_t> buffer(kBufferSize);
  kx::DVDPlugIn::SetDVDParam(TDVDParam{0, 0, 99, 128, 32, 2, 0});
  auto opened = Clock::now();
  std::unique_ptr<kx::TitleStream> stream = kx::TitleStream::Open(disc);
  double openMs = std::chrono::duration<double, std::milli>(Clock::now() - opened).count();
  if (!stream) return 1;
  int64_t directBytes = 0, readerBytes = 0;
  // Interleaved, so that both see the same page cache and machine load.
  double direct = 0, reader = 0;
  for (int i = 0; i < kAlternations; ++i) {
    direct = std::max(direct, BestRate([&] { return ReadVobsDirectly(std::filesystem::path(disc) / "VIDEO_TS", buffer); },
                                       directBytes));
    reader = std::max(reader, BestRate([&] { return ReadThroughReader(*stream, buffer); }, readerBytes));
  }
  std::printf("direct VOB read: %lld bytes, %.0f MB/s\n", static_cast<long long>(directBytes), direct);
  std::printf("title reader:    %lld bytes, %.0f MB/s (packet filter included; opening took %.1f ms)\n",
              static_cast<long long>(readerBytes), reader, openMs);
  std::printf("ratio %.2f\n", reader / direct);
  return readerBytes > 0 ? 0 : 1;
}
