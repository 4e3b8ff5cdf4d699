#pragma once
#include <string>
#include <vector>

namespace kx::test {

struct ProgramResult {
  int exitCode = -1;   // -1 when the program could not start or was killed
  std::string output;  // standard output and standard error, interleaved
};

// Runs a program with an argument list (no shell) and waits for it. argv[0]
// is looked up in this process's PATH; `environment` entries ("NAME=value")
// replace or extend the inherited environment of the child.
ProgramResult RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});

}  // namespace kx::test
