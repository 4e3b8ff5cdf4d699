#pragma once
// Watermark items rendered into overlays, once per conversion: a frame then
// costs only the blend. Uses QPainter and QImage (fonts need a
// QGuiApplication); safe on any thread that has none of its own Qt state.
#include <QImage>
#include <QSize>

#include "app/title_job.h"
#include "edit/overlay_blend.h"

namespace kx {

// Overlays never exceed this side: more than any DVD picture, and a bound on
// what a stray size in a job record can allocate.
inline constexpr int kMaxOverlaySide = 4096;

// The text in its font at (0, 0) of a TextWidth x TextHeight box, cut at
// the box; with FillBack the box is BackColor and fully covering, else only
// the glyphs (anti-aliased) cover. Empty for an empty text or box.
TOverlay RenderTextItem(const TWmRec& item);

// The box `text` needs in `font`: what the watermark dialog stores as
// TextWidth x TextHeight. Empty for an empty text.
QSize TextExtent(const TFont& font, const std::string& text);

// The overlay as a premultiplied ARGB image (a copy).
QImage OverlayImage(const TOverlay& overlay);

// The picture of ImageFile (BMP, JPEG or PNG; a PNG's own transparency is
// kept), stretched to ImageWidth x ImageHeight as the watermark dialog shows
// it, or at its own size while those are not both positive. Throws
// std::runtime_error when the file cannot be read as a picture.
TOverlay LoadPictureItem(const TWmRec& item);

}  // namespace kx
