// kestrix-cli: the program's conversions without windows.
#include <exception>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/commands.h"

namespace {

int Run(const std::vector<std::string>& args) {
  using namespace kx::cli;
  if (args.empty()) throw UsageError("no command");
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsageText;
      return 0;
    }
  }
  const std::string& command = args[0];
  if (command == "list") {
    if (args.size() != 2) throw UsageError("list needs one DRIVE");
    return ListTitles(args[1]);
  }
  if (command == "profiles") {
    if (args.size() != 1) throw UsageError("profiles takes no arguments");
    return ListProfiles();
  }
  if (command == "convert") return Convert(ParseConvertOptions(std::span(args).subspan(1)));
  throw UsageError("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const kx::cli::UsageError& error) {
    std::cerr << "kestrix-cli: " << error.what() << "\nTry 'kestrix-cli --help'.\n";
    return 2;
  } catch (const std::exception& error) {
    std::cerr << "kestrix-cli: " << error.what() << '\n';
    return 1;
  }
}
