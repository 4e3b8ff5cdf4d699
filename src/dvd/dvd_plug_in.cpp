#include "dvd/dvd_plug_in.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>

namespace kx::DVDPlugIn {
namespace {

struct Module {
  void* handle = nullptr;
  bool loaded = false;
  decltype(&DVDInitialize) initialize = nullptr;
  decltype(&DVDEnumTitle) enumTitle = nullptr;
  decltype(&DVDGetTitle) getTitle = nullptr;
  decltype(&DVDSetParam) setParam = nullptr;
  decltype(&DVDGetLibVersion) getLibVersion = nullptr;
  decltype(&DVDSetLogCallback) setLogCallback = nullptr;
  ReaderCalls readers{};
};

Module g_module;

template <typename Function>
bool Bind(Function& target, const char* name) {
  target = reinterpret_cast<Function>(dlsym(g_module.handle, name));
  return target != nullptr;
}

bool BindAll() {
  ReaderCalls& r = g_module.readers;
  return Bind(g_module.enumTitle, "DVDEnumTitle") && Bind(g_module.getTitle, "DVDGetTitle") &&
         Bind(g_module.setParam, "DVDSetParam") && Bind(g_module.getLibVersion, "DVDGetLibVersion") &&
         Bind(g_module.setLogCallback, "DVDSetLogCallback") && Bind(r.open, "DVDReaderOpen") &&
         Bind(r.read, "DVDReaderRead") && Bind(r.seek, "DVDReaderSeek") && Bind(r.size, "DVDReaderSize") &&
         Bind(r.palette, "DVDReaderPalette") && Bind(r.badSectors, "DVDReaderBadSectors") &&
         Bind(r.close, "DVDReaderClose");
}

const Module& Loaded() {
  if (!g_module.loaded) throw NotLoadedError();
  return g_module;
}

}  // namespace

std::string ProgramLibAVFolder() {
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : (exe.parent_path() / "LibAV").string();
}

bool LoadDVDLib(const std::string& folder) {
  if (g_module.loaded) return true;
  std::filesystem::path file = std::filesystem::path(folder) / kLibraryName;
  std::error_code error;
  bool inFolder = !folder.empty() && std::filesystem::is_regular_file(file, error);
  // RTLD_NOW: a plug-in with unresolved symbols fails here, not mid-conversion.
  g_module.handle = dlopen(inFolder ? file.c_str() : kLibraryName, RTLD_NOW | RTLD_LOCAL);
  if (!g_module.handle) return false;
  bool ok = Bind(g_module.initialize, "DVDInitialize") && g_module.initialize(DVDDEC_INIT_STRING) != 0 && BindAll();
  if (!ok) {
    dlclose(g_module.handle);
    g_module = Module{};
    return false;
  }
  g_module.loaded = true;
  return true;
}

bool IsDVDLibLoaded() { return g_module.loaded; }

int EnumTitles(const std::string& drive) { return Loaded().enumTitle(drive.c_str()); }

bool GetTitleInfo(int index, TDVDTitleInfo& info) {
  const Module& module = Loaded();
  std::memset(&info, 0, sizeof info);
  return module.getTitle(index, &info) != 0;
}

void SetDVDParam(const TDVDParam& param) {
  const Module& module = Loaded();
  TDVDParam copy = param;
  module.setParam(&copy);
}

std::string StreamTypeName(int code) {
  static constexpr const char* kNames[] = {"MPEG-1", "MPEG-2", "MPA", "AC3", "DTS", "LPCM", "SUB"};
  return code >= 1 && code <= 7 ? kNames[code - 1] : "Unknown";
}

void SetLogCallback(DVDLogCallback callback) { Loaded().setLogCallback(callback); }

const ReaderCalls& Readers() { return Loaded().readers; }

}  // namespace kx::DVDPlugIn
