#pragma once
// How the encoder turns an option record into transcoder option calls, and in
// which order. Pure functions: nothing here touches an engine, so the order
// can be checked without converting anything.
#include <optional>
#include <string>
#include <vector>

#include "engine/option_records.h"

namespace kx {

struct TOptionCall {
  std::string Name;
  std::string Value;
  bool operator==(const TOptionCall&) const = default;
};

// The disc target of an output: type "vcd", "svcd" or "dvd"; norm "auto",
// "pal" or "ntsc"; the norm taken when the automatic rule cannot decide.
struct TTargetCall {
  std::string Type;
  std::string Norm;
  std::string FallbackNorm;
  bool operator==(const TTargetCall&) const = default;
};

struct TOutputOptionPlan {
  std::optional<TTargetCall> Target;   // applied first
  std::vector<TOptionCall> BeforeCreate;  // then these, before the output is created
  std::vector<TOptionCall> AfterCreate;   // the extra streams, once the output exists
};

// Options of AddTask, in the order they are applied before the input opens.
std::vector<TOptionCall> PlanInputOptions(const TInputOptions& options);

// Options of SetOutputFile: the target; the codecs and presets (record fields
// as defaults that ExtOptions lines override); ExtOptions; the record fields
// (crop before the bit rates, so the crop cuts the input-sized picture); the
// frame size and then the filter graph. Extra streams ("newaudio" …) take the
// per-stream codec, preset, size and filter lines in text order, falling
// back to the main stream's values.
TOutputOptionPlan PlanOutputOptions(const TOutputOptions& options);

// µs as the seconds text the duration options read ("-1.500000").
std::string DurationText(std::int64_t us);

}  // namespace kx
