#pragma once
// Colour picker combo boxes: the sixteen standard colours, then the four
// extended ones, each entry a swatch with its name and its 0xRRGGBB value
// as item data. Main thread only.
#include <QComboBox>
#include <cstdint>

namespace kx {

// Entry of the standard colours that the watermark dialog starts with.
inline constexpr int kColourGreenEntry = 2;
inline constexpr int kColourBlueEntry = 12;

void FillColourBox(QComboBox* box);
std::uint32_t ChosenColour(const QComboBox* box);
// Chooses the entry of `rgb`, adding a custom entry when no entry has it.
void ChooseColour(QComboBox* box, std::uint32_t rgb);

}  // namespace kx
