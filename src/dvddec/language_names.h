#pragma once
#include <string>

namespace kx::dvddec {

// English name of an ISO 639-1 code as discs store it ("en" -> "English");
// the code itself when the table lacks it, "Unknown" when it is empty.
std::string LanguageName(const std::string& code);

}  // namespace kx::dvddec
