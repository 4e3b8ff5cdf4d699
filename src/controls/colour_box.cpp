#include "controls/colour_box.h"

#include <QPixmap>

namespace kx {
namespace {

struct NamedColour {
  const char* name;
  std::uint32_t rgb;
};

constexpr NamedColour kColours[] = {
    {"Black", 0x000000},      {"Maroon", 0x800000}, {"Green", 0x008000},   {"Olive", 0x808000},
    {"Navy", 0x000080},       {"Purple", 0x800080}, {"Teal", 0x008080},    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0},     {"Red", 0xFF0000},    {"Lime", 0x00FF00},    {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},       {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF},   {"White", 0xFFFFFF},
    {"Money Green", 0xC0DCC0}, {"Sky Blue", 0xA6CAF0}, {"Cream", 0xFFFBF0}, {"Medium Gray", 0xA4A0A0},
};

void AddEntry(QComboBox* box, const QString& name, std::uint32_t rgb) {
  QPixmap swatch(16, 12);
  swatch.fill(QColor::fromRgb(rgb));
  box->addItem(QIcon(swatch), name, QVariant::fromValue(rgb));
}

}  // namespace

void FillColourBox(QComboBox* box) {
  box->clear();
  for (const NamedColour& colour : kColours) AddEntry(box, colour.name, colour.rgb);
}

std::uint32_t ChosenColour(const QComboBox* box) { return box->currentData().value<std::uint32_t>(); }

void ChooseColour(QComboBox* box, std::uint32_t rgb) {
  rgb &= 0xFFFFFF;
  int entry = box->findData(QVariant::fromValue(rgb));
  if (entry < 0) {
    AddEntry(box, QColor::fromRgb(rgb).name(), rgb);
    entry = box->count() - 1;
  }
  box->setCurrentIndex(entry);
}

}  // namespace kx
