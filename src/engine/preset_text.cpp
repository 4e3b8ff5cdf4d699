#include "engine/preset_text.h"

#include <fstream>
#include <sstream>

#include "engine/ffmpeg_exception.h"
#include "engine/option_values.h"

namespace kx {
namespace {

// A preset is a few dozen lines; anything much larger is not a preset file.
constexpr std::streamoff kMaxPresetBytes = 1 << 20;

}  // namespace

std::vector<TOptionLine> ParsePresetText(const std::string& preset, const std::string& text) {
  std::vector<TOptionLine> lines;
  std::istringstream stream(Trim(text));
  std::string raw;
  while (std::getline(stream, raw)) {
    const std::string line = Trim(raw);
    if (line.empty()) continue;
    const size_t equals = line.find('=');
    const std::string name = equals == std::string::npos ? std::string() : Trim(line.substr(0, equals));
    const std::string value = equals == std::string::npos ? std::string() : Trim(line.substr(equals + 1));
    if (name.empty() || value.empty()) throw FFmpegException(preset + ": Invalid syntax: \"" + line + "\"");
    lines.emplace_back(name, value);
  }
  return lines;
}

std::string ReadPresetFile(const std::string& name, const std::vector<std::string>& folders) {
  std::vector<std::string> candidates = {name};
  if (!name.empty() && name.front() != '/')
    for (const std::string& folder : folders)
      if (!folder.empty()) candidates.push_back(folder + "/" + name);
  for (const std::string& path : candidates) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) continue;
    if (file.tellg() > kMaxPresetBytes) throw FFmpegException("Preset \"" + name + "\" is too large");
    file.seekg(0);
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) break;
    return text.str();
  }
  throw FFmpegException("Preset \"" + name + "\" not found");
}

}  // namespace kx
