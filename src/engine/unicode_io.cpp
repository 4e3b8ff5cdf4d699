#include "engine/unicode_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "engine/custom_io.h"

namespace kx {
namespace {

constexpr int kBufferSize = 64 * 1024;

// The context's opaque: owns the descriptor.
struct UnicodeFile {
  explicit UnicodeFile(int descriptor) : fd(descriptor) {}
  ~UnicodeFile() {
    if (fd >= 0) ::close(fd);
  }
  UnicodeFile(const UnicodeFile&) = delete;
  UnicodeFile& operator=(const UnicodeFile&) = delete;
  // Closes now so that a failing close is seen; answers 0 or an AVERROR.
  int Close() {
    const int result = ::close(fd) == 0 ? 0 : AVERROR(errno);
    fd = -1;
    return result;
  }
  int fd;
};

struct AvFree {
  void operator()(void* memory) const { av_free(memory); }
};

int ReadFile(void* opaque, std::uint8_t* buffer, int size) {
  const int fd = static_cast<UnicodeFile*>(opaque)->fd;
  ssize_t got;
  do got = ::read(fd, buffer, static_cast<std::size_t>(size));
  while (got < 0 && errno == EINTR);
  if (got < 0) return AVERROR(errno);
  return got == 0 ? AVERROR_EOF : static_cast<int>(got);
}

int WriteFile(void* opaque, std::uint8_t* buffer, int size) {
  const int fd = static_cast<UnicodeFile*>(opaque)->fd;
  int written = 0;
  while (written < size) {
    const ssize_t put = ::write(fd, buffer + written, static_cast<std::size_t>(size - written));
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return AVERROR(errno);
    written += static_cast<int>(put);
  }
  return written;
}

std::int64_t SeekFile(void* opaque, std::int64_t offset, int whence) {
  const int fd = static_cast<UnicodeFile*>(opaque)->fd;
  if (whence & AVSEEK_SIZE) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return AVERROR(errno);
    return info.st_size;
  }
  const off_t position = ::lseek(fd, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE);
  return position < 0 ? AVERROR(errno) : position;
}

// The file name: everything after the name's second ":".
bool FilePart(const std::string& libraryName, std::string& path) {
  const std::size_t first = libraryName.find(':');
  const std::size_t second = first == std::string::npos ? first : libraryName.find(':', first + 1);
  if (second == std::string::npos || second + 1 >= libraryName.size()) return false;
  path = libraryName.substr(second + 1);
  return true;
}

}  // namespace

int OpenUnicodeIo(AVIOContext** pb, const std::string& libraryName, UnicodeIoMode mode) {
  *pb = nullptr;
  std::string path;
  if (!FilePart(libraryName, path)) return AVERROR(ENOENT);
  const bool write = mode == UnicodeIoMode::Write;
  const int fd = write ? ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)
                       : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return AVERROR(errno);

  auto file = std::make_unique<UnicodeFile>(fd);
  std::unique_ptr<unsigned char, AvFree> buffer(static_cast<unsigned char*>(av_malloc(kBufferSize)));
  if (!buffer) return AVERROR(ENOMEM);
  AVIOContext* io = avio_alloc_context(buffer.get(), kBufferSize, write ? 1 : 0, file.get(),
                                       write ? nullptr : ReadFile, write ? WriteFile : nullptr, SeekFile);
  if (!io) return AVERROR(ENOMEM);
  // The context owns both from here; CloseUnicodeIo frees them.
  buffer.release();
  file.release();
  *pb = io;
  return 0;
}

int CloseUnicodeIo(AVIOContext** pb) {
  if (!*pb || (*pb)->seek != SeekFile) return 1;
  AVIOContext* io = *pb;
  int result = 0;
  if (io->write_flag) {
    avio_flush(io);
    result = io->error;
  }
  std::unique_ptr<UnicodeFile> file(static_cast<UnicodeFile*>(io->opaque));
  const int closed = file->Close();
  if (result == 0) result = closed;
  av_freep(&io->buffer);
  avio_context_free(pb);
  return result;
}

int OpenUnicodeInput(AVFormatContext** ctx, const std::string& libraryName, AVDictionary** options,
                     const AVInputFormat* format) {
  AVIOContext* pb = nullptr;
  int result = OpenUnicodeIo(&pb, libraryName, UnicodeIoMode::Read);
  if (result < 0) return FreeUnopenedInput(ctx, result);
  if (!*ctx && !(*ctx = avformat_alloc_context())) {
    CloseUnicodeIo(&pb);
    return AVERROR(ENOMEM);
  }
  (*ctx)->pb = pb;
  (*ctx)->flags |= AVFMT_FLAG_CUSTOM_IO;
  result = avformat_open_input(ctx, libraryName.c_str(), format, options);
  if (result < 0) CloseUnicodeIo(&pb);  // the failed open freed the context but not our I/O
  return result;
}

}  // namespace kx
