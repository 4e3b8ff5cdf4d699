#pragma once
// Colours of the owner-drawn lists of the profile windows: the picker's rows
// and the settings dialog's parameter lists.
#include <QColor>

namespace kx {

inline const QColor kListSelectedFill(185, 204, 236);
inline const QColor kListSelectedFrame(122, 160, 218);

}  // namespace kx
