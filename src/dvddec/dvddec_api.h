#pragma once
// The C interface of the DVD plug-in libdvddec.so: the title records, the five
// entry points the program binds at load time, and the stream interface through
// which the engine and the player read a title as one MPEG program stream.
// The plug-in and the program's binding both include this header, so the
// layouts below are the one contract between them.
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define DVDDEC_EXPORT __attribute__((visibility("default")))

// The string DVDInitialize wants: it names the interface version, so a program
// never runs against a plug-in built for other records.
#define DVDDEC_INIT_STRING "kestrix-dvddec-1"

// Stream type codes (VideoType, StreamType).
enum {
  DVD_STREAM_MPEG1 = 1,
  DVD_STREAM_MPEG2 = 2,
  DVD_STREAM_MPA = 3,
  DVD_STREAM_AC3 = 4,
  DVD_STREAM_DTS = 5,
  DVD_STREAM_LPCM = 6,
  DVD_STREAM_SUB = 7
};

enum { DVD_MAX_AUDIO = 8, DVD_MAX_SUBTITLES = 32, DVD_DESCRIPTION_SIZE = 64 };

// Texts are in UTF-8 and end with a zero byte or with the end of the field.
typedef struct TDVDAudioInfo {
  int32_t StreamType;  // DVD_STREAM_MPA, _AC3, _DTS or _LPCM
  int32_t StreamId;    // 0x80+n AC-3, 0x88+n DTS, 0xA0+n LPCM, 0xC0+n MPEG audio
  int32_t Channels;
  int32_t SampleRate;
  char LangCode[4];    // ISO 639-1 code, zero-padded; empty when the disc names none
  char Description[DVD_DESCRIPTION_SIZE];
} TDVDAudioInfo;

typedef struct TDVDSubtitleInfo {
  int32_t StreamType;  // DVD_STREAM_SUB
  int32_t StreamId;    // 0x20+n
  char LangCode[4];
  char Description[DVD_DESCRIPTION_SIZE];
} TDVDSubtitleInfo;

typedef struct TDVDTitleInfo {
  double Duration;  // seconds
  int32_t VideoType;
  int32_t FramesPerSecond;  // nominal: 25 or 30
  int32_t Width;
  int32_t Height;
  int32_t AspectRatio;  // 0 for 4:3, 3 for 16:9 (the disc's code)
  int32_t AngleCount;
  int32_t AudioCount;
  TDVDAudioInfo Audio[DVD_MAX_AUDIO];
  int32_t SubtitleCount;
  TDVDSubtitleInfo Subtitles[DVD_MAX_SUBTITLES];
  int32_t ChapterCount;
  uint8_t Reserved[812];
} TDVDTitleInfo;

typedef struct TDVDParam {
  int32_t Title;         // 0-based
  int32_t ChapterStart;  // 1-based; 0 means the first chapter
  int32_t ChapterEnd;    // inclusive; beyond the count means the last chapter
  int32_t AudioId;
  int32_t SubtitleId;    // 0: no subtitle stream
  int32_t Reserved1;     // callers pass 2
  int32_t Reserved2;     // callers pass 0
} TDVDParam;

#ifdef __cplusplus
static_assert(sizeof(TDVDAudioInfo) == 84);
static_assert(offsetof(TDVDAudioInfo, StreamId) == 4);
static_assert(offsetof(TDVDAudioInfo, Description) == 20);
static_assert(sizeof(TDVDSubtitleInfo) == 76);
static_assert(offsetof(TDVDSubtitleInfo, StreamId) == 4);
static_assert(offsetof(TDVDSubtitleInfo, Description) == 12);
static_assert(sizeof(TDVDTitleInfo) == 3960);
static_assert(offsetof(TDVDTitleInfo, Duration) == 0);
static_assert(offsetof(TDVDTitleInfo, VideoType) == 8);
static_assert(offsetof(TDVDTitleInfo, Width) == 16);
static_assert(offsetof(TDVDTitleInfo, Height) == 20);
static_assert(offsetof(TDVDTitleInfo, AudioCount) == 32);
static_assert(offsetof(TDVDTitleInfo, Audio) == 36);
static_assert(offsetof(TDVDTitleInfo, SubtitleCount) == 708);
static_assert(offsetof(TDVDTitleInfo, Subtitles) == 712);
static_assert(offsetof(TDVDTitleInfo, ChapterCount) == 3144);
static_assert(sizeof(TDVDParam) == 28);
static_assert(offsetof(TDVDParam, SubtitleId) == 16);
#endif

// --- The five entry points ------------------------------------------------

// Non-zero when `init` is DVDDEC_INIT_STRING.
DVDDEC_EXPORT int DVDInitialize(const char* init);
// Opens the disc (device, ISO image or folder holding VIDEO_TS) and answers its
// number of titles; 0 or less when it is no readable DVD. DVDGetTitle then
// describes the titles of this disc.
DVDDEC_EXPORT int DVDEnumTitle(const char* drive);
// Fills `info` for a title of the disc last enumerated; 0 when the index is out
// of range or the title was found invalid.
DVDDEC_EXPORT int DVDGetTitle(int index, TDVDTitleInfo* info);
// Copies the parameters for the next DVDReaderOpen; answers 1.
DVDDEC_EXPORT int DVDSetParam(const TDVDParam* param);
DVDDEC_EXPORT const char* DVDGetLibVersion(void);

// --- Stream interface -------------------------------------------------------

typedef struct DVDReader DVDReader;

// Results of the reader calls below that are not counts.
enum { DVDREADER_EOF = 0, DVDREADER_EINVAL = -22, DVDREADER_EIO = -5 };

// Log levels for the log callback.
enum { DVDDEC_LOG_ERROR = 16, DVDDEC_LOG_WARNING = 24, DVDDEC_LOG_INFO = 32 };
typedef void (*DVDLogCallback)(int level, const char* message);

// Opens the title, chapters and streams of the last DVDSetParam on `drive`;
// null on failure (the reason is logged). Each reader is independent: several
// may be open at once, each used by one thread at a time.
DVDDEC_EXPORT DVDReader* DVDReaderOpen(const char* drive);
// Reads up to `size` bytes; answers the count, DVDREADER_EOF at the end, or
// DVDREADER_EIO when the disc went away.
DVDDEC_EXPORT int DVDReaderRead(DVDReader* reader, uint8_t* buffer, int size);
// whence is SEEK_SET, SEEK_CUR or SEEK_END; answers the new position or
// DVDREADER_EINVAL.
DVDDEC_EXPORT int64_t DVDReaderSeek(DVDReader* reader, int64_t offset, int whence);
DVDDEC_EXPORT int64_t DVDReaderSize(DVDReader* reader);
// The title's subpicture colours as 0x00RRGGBB.
DVDDEC_EXPORT void DVDReaderPalette(DVDReader* reader, uint32_t palette[16]);
// Sectors delivered as padding because they could not be read or were no
// valid MPEG pack.
DVDDEC_EXPORT int64_t DVDReaderBadSectors(DVDReader* reader);
DVDDEC_EXPORT void DVDReaderClose(DVDReader* reader);
// Where the plug-in's messages go (standard error when null). Process-wide.
DVDDEC_EXPORT void DVDSetLogCallback(DVDLogCallback callback);

#ifdef __cplusplus
}
#endif
