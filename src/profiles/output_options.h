#pragma once
// Turns the current profile and a title's job record into the output option
// record of its conversion task: container, disc target, codecs, frame
// size, aspect, zoom filters or crops, bit rates and audio parameters.
// Main thread only; may put one question to the user.
#include <functional>
#include <string>

#include "app/title_job.h"
#include "engine/option_records.h"

namespace kx {

struct ProfileIniFiles {
  std::string format;    // what each profile offers ("Format" is read from here)
  std::string settings;  // the user's choices: every "para…" key
};

// A modal Yes/No question with the question icon; true for Yes.
using AskYesNo = std::function<bool(const std::string& caption, const std::string& text)>;

// Fills `out`, which the caller has reset with InitOutputOptions and given
// the record's crop margins, for the profile `code`. A profile with no video
// encoder converts audio only. A frame size that cannot be read asks whether
// to use 320x240 (No keeps the source size). Raises std::invalid_argument
// when "paraVolume" is no integer.
void BuildOutputOptions(const ProfileIniFiles& ini, const TlvFilesRecord& rec, int code, TOutputOptions& out,
                        const TDVDTitleInfo& title, const AskYesNo& ask);

}  // namespace kx
