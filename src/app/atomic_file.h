#pragma once
#include <stdexcept>
#include <string>

namespace kx {

// A file that could not be read or written; the text names the file and the
// system's reason and is meant for the user.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The whole file, or an empty string when it does not exist. Raises FileError
// when it exists but cannot be read.
std::string ReadWholeFile(const std::string& path);

// Replaces the file's contents so that it holds either the old or the new
// text, never a mix: the text goes to a temporary file in the same folder,
// is flushed to disk and then renamed over the file. The folder is created
// when missing; an existing file keeps its permission bits. Raises FileError
// (and leaves the old file untouched) when any step fails. Blocks on fsync.
void WriteFileAtomically(const std::string& path, const std::string& contents);

}  // namespace kx
