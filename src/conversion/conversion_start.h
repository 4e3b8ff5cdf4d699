#pragma once
// Conversion start: every ticked title row becomes one encoder task that
// reads the title from the disc and writes one file into the output folder,
// encoded as the current profile says. The main window and kestrix-cli both
// start their conversions here.
//
// Main thread only. Blocks while each task's input is opened (the disc is
// read); the encoder does not run until the caller starts it, so the tasks
// and their rows are complete before any encoder event arrives.
#include <span>
#include <string>
#include <vector>

#include "app/message_boxes.h"
#include "app/title_job.h"
#include "engine/ff_encoder.h"
#include "profiles/output_options.h"

namespace kx {

inline constexpr char kNoTickedTitleText[] = "Please select a file by clicking the check box!";

// One row of the title list as the start reads it.
struct TitleRowRef {
  std::string Caption;  // "DVD Title n": the output file is named after it
  bool Ticked = false;
  TlvFilesRecord* Record = nullptr;  // its Zoom is set from the profile
};

struct StartedConversion {
  // Every ticked title that could be read became a task: start the run.
  bool Ready = false;
  // Entry i belongs to task i: the row it was made from and its output file.
  std::vector<int> TaskRows;
  std::vector<std::string> OutputFiles;
};

// Clears the encoder's list and registers one task per ticked row, in list
// order, with Preview on. Nothing happens when the media libraries or the
// DVD plug-in cannot be loaded. A title whose record cannot be read is left
// out after "Title #n is invalid". A task whose input cannot be opened or
// whose output cannot be set up ends the start after a warning with the
// engine's text and the title's caption; the tasks of earlier rows stay in
// the list until the next ClearTasks. `drive` is DvdDrive: the device, ISO
// image or VIDEO_TS folder the titles were read from. The output option
// builder's frame-size question goes to `boxes` too.
StartedConversion StartConversion(std::span<const TitleRowRef> rows, const std::string& drive,
                                  const ProfileIniFiles& ini, TFFEncoder& encoder, MessageBoxes& boxes);

// The option records of the task of one title: the input starts at the
// trim start; the output is the profile's (through the output option
// builder, which may ask about the frame size) with the record's crop
// margins, its trim length and the frame hook when the title needs it.
struct TitleTaskOptions {
  TInputOptions Input;
  TOutputOptions Output;
};
TitleTaskOptions TitleTaskOptionsOf(const TlvFilesRecord& rec, const TDVDTitleInfo& title, const ProfileIniFiles& ini,
                                    int formatCode, const AskYesNo& ask);

// The text that tells the user a title was not converted and why.
std::string TaskFailureText(const std::string& caption, const std::string& error);

}  // namespace kx
