#pragma once
// The crop dialog's geometry: where a picture is drawn in a preview pane and
// how margins in preview pixels become even margins in source pixels. No Qt.
namespace kx {

struct TPaneRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const TPaneRect&) const = default;
};

// The largest rectangle with the picture's proportions centred in a pane of
// paneWidth × paneHeight (inset by a rounded half of the spare rows or
// columns). A picture or pane without area gives an empty rectangle.
TPaneRect FitPicture(int pictureWidth, int pictureHeight, int paneWidth, int paneHeight);

// A view margin of `viewMargin` preview pixels across a picture area of
// `viewLength` pixels that shows `sourceLength` source pixels: scaled,
// rounded to nearest (halves to even), then made even by dropping one.
// 0 when the view has no length.
int SourceMargin(int viewMargin, int sourceLength, int viewLength);

}  // namespace kx
