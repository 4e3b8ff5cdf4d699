#pragma once
// How the crop dialog's margins in preview pixels become even margins in
// source pixels. No Qt.
namespace kx {

// A view margin of `viewMargin` preview pixels across a picture area of
// `viewLength` pixels that shows `sourceLength` source pixels: scaled,
// rounded to nearest (halves to even), then made even by dropping one.
// 0 when the view has no length.
int SourceMargin(int viewMargin, int sourceLength, int viewLength);

}  // namespace kx
