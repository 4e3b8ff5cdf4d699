#include "profiles/ui/profile_picker.h"

#include <QApplication>
#include <QCursor>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolButton>

#include "profiles/profile_catalogue.h"
#include "profiles/ui/list_colours.h"

namespace kx {
namespace {

constexpr int kRowHeight = 20;
constexpr int kToggleWidth = 20;  // a press this close to a heading's left edge toggles it
constexpr int kMaxHeightAbove = 422;
constexpr int kMaxHeightBelow = 247;
const QColor kBackground(246, 247, 248);
const QColor kProfileText(0, 0, 128);

QPixmap ExpandGlyph(bool expanded) {
  QPixmap glyph(9, 9);
  glyph.fill(Qt::transparent);
  QPainter p(&glyph);
  p.setPen(QColor(120, 120, 120));
  p.drawRect(0, 0, 8, 8);
  p.setPen(Qt::black);
  p.drawLine(2, 4, 6, 4);
  if (!expanded) p.drawLine(4, 2, 4, 6);
  return glyph;
}

}  // namespace

class ProfilePicker::RowDelegate : public QStyledItemDelegate {
 public:
  RowDelegate(const ProfilePicker& picker, QObject* parent) : QStyledItemDelegate(parent), picker_(picker) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return {option.rect.width(), kRowHeight};
  }

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const auto& rows = picker_.rows_.Rows();
    if (index.row() < 0 || index.row() >= static_cast<int>(rows.size())) return;
    const PickerRows::Row& row = rows[index.row()];
    p->save();
    QRect r = option.rect;
    if (option.state & QStyle::State_Selected) {
      p->fillRect(r.adjusted(2, 2, -2, -2), kListSelectedFill);
      p->setPen(kListSelectedFrame);
      p->drawRect(r.adjusted(1, 1, -2, -2));
    } else {
      p->fillRect(r, kBackground);
    }
    r.adjust(3, 0, -3, 0);
    const QString text = QString::fromStdString(row.text);
    if (row.info.IsGroup) {
      QFont bold = option.font;
      bold.setBold(true);
      p->setFont(bold);
      const QPixmap& glyph = picker_.glyphs_[row.info.Collapsed ? 0 : 1];
      p->drawPixmap(r.left() + 1, r.top() + (r.height() - glyph.height()) / 2 + 1, glyph);
      const int group = row.info.Code;
      if (group >= 0 && group < static_cast<int>(picker_.groupIcons_.size())) {
        const QPixmap& icon = picker_.groupIcons_[group];
        p->drawPixmap(r.left() + 20, r.top() + (r.height() - icon.height()) / 2, icon);
      }
      p->setPen(Qt::black);
      p->drawText(QRect(r.left() + 45, r.top() + 2, r.width() - 45, r.height() - 2), Qt::AlignLeft | Qt::AlignTop,
                  text);
    } else {
      p->setFont(option.font);
      p->setPen(kProfileText);
      p->drawText(QRect(r.left() + 25, r.top() + 2, r.width() - 25, r.height() - 2), Qt::AlignLeft | Qt::AlignTop,
                  text);
    }
    p->restore();
  }

 private:
  const ProfilePicker& picker_;
};

ProfilePicker::ProfilePicker(std::string settingsIni, Choice choice, Opening opening, QWidget* parent)
    : QWidget(parent),
      settingsIni_(std::move(settingsIni)),
      choice_(choice),
      opening_(opening),
      field_(new QLineEdit(this)),
      arrow_(new QToolButton(this)),
      list_(new QListWidget(this)),
      glyphs_{ExpandGlyph(false), ExpandGlyph(true)} {
  const QStyle::StandardPixmap icons[] = {QStyle::SP_MediaPlay, QStyle::SP_DriveDVDIcon, QStyle::SP_MediaVolume};
  for (size_t group = 0; group < groupIcons_.size(); ++group)
    groupIcons_[group] = style()->standardIcon(icons[group]).pixmap(16, 16);

  field_->setObjectName("edt1");
  field_->setReadOnly(true);
  field_->setFocusPolicy(Qt::NoFocus);  // never a text caret
  field_->installEventFilter(this);
  arrow_->setObjectName("imgbtn1");
  arrow_->setArrowType(opening_ == Opening::Above ? Qt::UpArrow : Qt::DownArrow);
  connect(arrow_, &QToolButton::clicked, this, [this] { OpenOrClose(true); });

  list_->setObjectName("lst1");
  list_->setItemDelegate(new RowDelegate(*this, list_));
  list_->setUniformItemSizes(true);
  list_->setMouseTracking(true);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->viewport()->installEventFilter(this);
  list_->hide();

  QPalette colours = field_->palette();
  colours.setColor(QPalette::Base, kBackground);
  field_->setPalette(colours);
  list_->setPalette(colours);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(field_, 1);
  layout->addWidget(arrow_);
}

ProfilePicker::~ProfilePicker() {
  qApp->removeEventFilter(this);
  delete list_.data();
}

void ProfilePicker::Rebuild() {
  HideList();
  rows_.Rebuild([this](int group) { return ReadGroupCollapsed(settingsIni_, group); });
  FillList();
  const CurrentProfile current = ReadCurrentProfile(settingsIni_);
  selectedName_ = QString::fromStdString(current.name);
  selectedCode_ = current.code;
  field_->setText(selectedName_);
  SelectRowOfName(selectedName_);
}

void ProfilePicker::SaveGroupStates() const {
  for (const auto& row : rows_.Rows())
    if (row.info.IsGroup) StoreGroupCollapsed(settingsIni_, row.info.Code, row.info.Collapsed);
}

void ProfilePicker::FillList() {
  const int current = list_->currentRow();
  list_->clear();
  for (const auto& row : rows_.Rows()) list_->addItem(QString::fromStdString(row.text));
  if (current >= 0 && current < list_->count()) list_->setCurrentRow(current);
}

void ProfilePicker::SelectRowOfName(const QString& name) {
  const auto row = rows_.RowOfName(name.toStdString());
  if (row)
    list_->setCurrentRow(*row);
  else
    list_->setCurrentRow(-1);
}

void ProfilePicker::OpenOrClose(bool resize) {
  if (list_->isVisible()) {
    HideList();
    return;
  }
  ShowList(resize);
}

void ProfilePicker::ShowList(bool resize) {
  if (choice_ == Choice::StoreAtOnce) {
    // The stored profile may have changed since the list was built (the settings dialog's Ok).
    selectedName_ = QString::fromStdString(ReadCurrentProfile(settingsIni_).name);
    field_->setText(selectedName_);
  }
  SelectRowOfName(selectedName_);

  QWidget* window = this->window();
  if (list_->parentWidget() != window) list_->setParent(window);
  const QPoint fieldTopLeft = field_->mapTo(window, QPoint(0, 0));
  const int width = field_->width() + arrow_->width();
  int height = list_->height();
  if (resize) {
    const int cap = opening_ == Opening::Above ? kMaxHeightAbove : kMaxHeightBelow;
    height = list_->count() * kRowHeight > cap ? cap : list_->count() * kRowHeight + kRowHeight;
  }
  const int top = opening_ == Opening::Above ? fieldTopLeft.y() - height : fieldTopLeft.y() + field_->height() - 1;
  list_->setGeometry(fieldTopLeft.x(), top, width, height);
  list_->raise();
  list_->show();
  list_->setFocus();
  qApp->installEventFilter(this);
}

void ProfilePicker::HideList() {
  qApp->removeEventFilter(this);
  list_->hide();
}

void ProfilePicker::PressRow(int row, int x) {
  if (row < 0 || row >= rows_.Count()) return;
  const TItemInfo info = rows_.Rows()[row].info;
  if (info.IsGroup && x < kToggleWidth) {
    rows_.Toggle(row);
    FillList();
    list_->setCurrentRow(row);
  }
  if (info.IsProfile) Choose(row);
}

void ProfilePicker::Choose(int row) {
  const auto& chosen = rows_.Rows()[row];
  selectedName_ = QString::fromStdString(chosen.text);
  selectedCode_ = chosen.info.Code;
  if (choice_ == Choice::StoreAtOnce) StoreCurrentProfile(settingsIni_, chosen.text, chosen.info.Code);
  field_->setText(selectedName_);
  HideList();
  emit profileChosen(selectedName_, selectedCode_);
}

bool ProfilePicker::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == field_) {
    if (type == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      OpenOrClose(true);
      if (list_->isVisible() && choice_ == Choice::StoreAtOnce && list_->currentItem())
        QCursor::setPos(list_->viewport()->mapToGlobal(list_->visualItemRect(list_->currentItem()).center()));
      return true;
    }
    if (type == QEvent::MouseButtonDblClick) {
      if (!list_->isVisible()) ShowList(false);
      return true;
    }
    return false;
  }
  if (list_ && watched == list_->viewport()) {
    if (type == QEvent::MouseMove) {
      const int row = list_->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).row();
      if (row >= 0) list_->setCurrentRow(row);
      return false;
    }
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
      const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
      const int row = list_->indexAt(at).row();
      if (type == QEvent::MouseButtonPress)
        PressRow(row, at.x() - list_->visualRect(list_->model()->index(row, 0)).left());
      else if (row >= 0 && rows_.Rows()[row].info.IsGroup)
        PressRow(row, 0);
      return true;
    }
    return false;
  }
  // Application-wide while the list is shown: it closes when the program
  // loses the focus and on a left press anywhere but the picker's controls.
  if (type == QEvent::ApplicationDeactivate) {
    HideList();
  } else if (type == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool ours = widget && (widget == field_ || widget == arrow_ || widget == list_.data() ||
                                 list_->isAncestorOf(widget) || arrow_->isAncestorOf(widget));
    if (widget && !ours) HideList();
  }
  return false;
}

}  // namespace kx
