#include "app/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

namespace kx {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
  throw FileError(what + " " + path + ": " + std::strerror(error));
}

// Owns a file descriptor; Close reports what close(2) answered.
class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  int Close() { return ::close(std::exchange(fd_, -1)); }

 private:
  int fd_;
};

// Removes the temporary file unless it has been renamed into place.
struct TempFile {
  std::string path;
  bool keep = false;
  ~TempFile() {
    if (!keep) ::unlink(path.c_str());
  }
};

void WriteAll(int fd, const std::string& contents, const std::string& path) {
  const char* data = contents.data();
  std::size_t left = contents.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("Cannot write", path, errno);
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
}

}  // namespace

std::string ReadWholeFile(const std::string& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) return {};
    Fail("Cannot read", path, errno);
  }
  std::string text;
  char buffer[8192];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got == 0) return text;
    if (got < 0) {
      if (errno == EINTR) continue;
      Fail("Cannot read", path, errno);
    }
    text.append(buffer, static_cast<std::size_t>(got));
  }
}

void WriteFileAtomically(const std::string& path, const std::string& contents) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) Fail("Cannot create the folder", folder.string(), ec.value());

  std::string name = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  UniqueFd fd(::mkstemp(name.data()));
  if (fd.get() < 0) Fail("Cannot write", path, errno);
  TempFile temp{name};

  struct stat old {};
  const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  if (::fchmod(fd.get(), mode) != 0) Fail("Cannot write", path, errno);
  WriteAll(fd.get(), contents, path);
  if (::fsync(fd.get()) != 0) Fail("Cannot write", path, errno);
  if (fd.Close() != 0) Fail("Cannot write", path, errno);
  if (::rename(name.c_str(), path.c_str()) != 0) Fail("Cannot write", path, errno);
  temp.keep = true;

  // The new file is in place; syncing the folder only makes the rename
  // durable, and its failure cannot be undone, so it is not reported.
  if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace kx
