#include "engine/builtin_presets.h"

#include <algorithm>
#include <cctype>

namespace kx {
namespace {

#define KX_PSP_COMMON                                                                             \
  "flags=+loop\nlevel=30\ncmp=+chroma\npartitions=+parti4x4+parti8x8+partp8x8+partb8x8\n"         \
  "me_method=umh\nsubq=7\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\n" \
  "b_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirectpred=1\ntrellis=2\n"

// The speed and quality presets use x264's own tunings through the wrapper's
// "preset" option; the "_firstpass" ones allow x264's fast settings in a first
// pass, the others keep their full settings there too. Lossless ones code with
// quantizer 0.
#define KX_SPEED(speed) "preset=" speed "\nfastfirstpass=0"
#define KX_FIRSTPASS(speed) "preset=" speed "\nfastfirstpass=1"
#define KX_LOSSLESS(speed) "preset=" speed "\nqp=0"

constexpr std::array<TOptionsPreset, kBuiltinPresetCount> kPresets = {{
    {"libx264-baseline", "coder=0\nbf=0\nflags2=-wpred-dct8x8\nwpredp=0"},
    {"libx264-default", KX_SPEED("medium")},
    {"libx264-fast", KX_SPEED("fast")},
    {"libx264-fast_firstpass", KX_FIRSTPASS("fast")},
    {"libx264-faster", KX_SPEED("faster")},
    {"libx264-faster_firstpass", KX_FIRSTPASS("faster")},
    {"libx264-fastfirstpass", KX_FIRSTPASS("medium")},
    {"libx264-hq", KX_SPEED("slow")},
    {"libx264-ipod320", "coder=0\nbf=0\nflags2=-wpred-dct8x8\nlevel=13\nmaxrate=768000\nbufsize=3000000\nwpredp=0"},
    {"libx264-ipod640",
     "coder=0\nbf=0\nrefs=1\nflags2=-wpred-dct8x8\nlevel=30\nmaxrate=10000000\nbufsize=10000000\nwpredp=0"},
    {"libx264-lossless_fast", KX_LOSSLESS("fast")},
    {"libx264-lossless_max", KX_LOSSLESS("placebo")},
    {"libx264-lossless_medium", KX_LOSSLESS("medium")},
    {"libx264-lossless_slow", KX_LOSSLESS("slow")},
    {"libx264-lossless_slower", KX_LOSSLESS("slower")},
    {"libx264-lossless_ultrafast", KX_LOSSLESS("ultrafast")},
    {"libx264-main", "flags2=-dct8x8"},
    {"libx264-max", KX_SPEED("placebo")},
    {"libx264-medium", KX_SPEED("medium")},
    {"libx264-medium_firstpass", KX_FIRSTPASS("medium")},
    {"libx264-normal", KX_SPEED("fast")},
    {"libx264-placebo", KX_SPEED("placebo")},
    {"libx264-placebo_firstpass", KX_FIRSTPASS("placebo")},
    {"libx264-slow", KX_SPEED("slow")},
    {"libx264-slow_firstpass", KX_FIRSTPASS("slow")},
    {"libx264-slower", KX_SPEED("slower")},
    {"libx264-slower_firstpass", KX_FIRSTPASS("slower")},
    {"libx264-slowfirstpass", KX_FIRSTPASS("slow")},
    {"libx264-superfast", KX_SPEED("superfast")},
    {"libx264-superfast_firstpass", KX_FIRSTPASS("superfast")},
    {"libx264-ultrafast", KX_SPEED("ultrafast")},
    {"libx264-ultrafast_firstpass", KX_FIRSTPASS("ultrafast")},
    {"libx264-veryfast", KX_SPEED("veryfast")},
    {"libx264-veryfast_firstpass", KX_FIRSTPASS("veryfast")},
    {"libx264-veryslow", KX_SPEED("veryslow")},
    {"libx264-veryslow_firstpass", KX_FIRSTPASS("veryslow")},
    {"libx264-psp", "coder=1\n" KX_PSP_COMMON "b=1250000\nmaxrate=1500000\nbufsize=4000000\nbt=256000\nsc_threshold=40"},
    {"libx264-ps3", "coder=1\n" KX_PSP_COMMON "maxrate=3500000\nbufsize=4000000\nbt=256000\nsc_threshold=40"},
    {"libx264-ipod",
     "coder=0\nflags=+loop\nlevel=30\ncmp=+chroma\npartitions=+parti4x4+parti8x8+partp8x8\nme_method=umh\n"
     "subq=7\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\n"
     "qmin=10\nqmax=51\nqdiff=4\nrefs=1\ndirectpred=1\ntrellis=2\nb=1000000\nmaxrate=1250000\n"
     "bufsize=4000000\nbt=256000\nsc_threshold=40"},
    {"libx264-mp4", "coder=1\n" KX_PSP_COMMON "b=1250000\nmaxrate=1500000\nbufsize=4000000\nbt=256000\nsc_threshold=40"},
}};

#undef KX_PSP_COMMON
#undef KX_SPEED
#undef KX_FIRSTPASS
#undef KX_LOSSLESS

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

const std::array<TOptionsPreset, kBuiltinPresetCount>& BuiltinPresets() { return kPresets; }

const TOptionsPreset* FindBuiltinPreset(std::string_view name) {
  const auto it = std::find_if(kPresets.begin(), kPresets.end(), [&](const TOptionsPreset& p) { return SameText(p.name, name); });
  return it == kPresets.end() ? nullptr : &*it;
}

}  // namespace kx
