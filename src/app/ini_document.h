#pragma once
// An INI file's text held as lines, so that a key can be changed while every
// other line (comments, unknown lines, blank lines, their order) stays as it was.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

class IniDocument {
 public:
  // Accepts LF and CRLF text; new text is written with the line end the
  // first line used (LF for an empty text).
  explicit IniDocument(std::string_view text);

  // The value of the first line "key=value" under a section of that name;
  // section and key are compared without regard to ASCII letter case and
  // the value is trimmed of blanks.
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

  // Replaces the line found by Value, else adds "key=value" after the last
  // non-blank line of the first section of that name, else adds the section
  // at the end. The caller guarantees that section, key and value hold no
  // line break (and key no "=", section no "]").
  void SetValue(std::string_view section, std::string_view key, std::string_view value);

  std::string Text() const;

 private:
  // Index of the key's line, or of the section header (key absent), or none.
  struct Place {
    std::optional<std::size_t> keyLine;
    std::optional<std::size_t> sectionEnd;  // one past the section's last non-blank line
  };
  Place Find(std::string_view section, std::string_view key) const;

  std::vector<std::string> lines_;
  std::string eol_ = "\n";
};

}  // namespace kx
