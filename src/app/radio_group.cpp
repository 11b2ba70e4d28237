#include "app/radio_group.h"

#include <QPainter>

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent) {
  group_.setExclusive(true);
  connect(&group_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked) emit Clicked();
  });
}

void RadioGroup::setItems(const QStringList& items) {
  items_ = items;
  Rebuild();
}

void RadioGroup::setColumns(int columns) {
  columns_ = columns < 1 ? 1 : columns;
  PlaceButtons();
}

int RadioGroup::ItemIndex() const { return group_.checkedId(); }

void RadioGroup::SetItemIndex(int index) {
  if (index == ItemIndex()) return;
  if (index >= 0 && index < buttons_.size()) {
    buttons_[index]->setChecked(true);
    return;
  }
  if (buttons_.isEmpty()) {
    pendingIndex_ = index;
    return;
  }
  // Clearing the selection: an exclusive group refuses to uncheck its last
  // checked button, so lift exclusivity for the moment.
  if (QAbstractButton* checked = group_.checkedButton()) {
    group_.setExclusive(false);
    checked->setChecked(false);
    group_.setExclusive(true);
  }
}

void RadioGroup::Rebuild() {
  const int selected = ItemIndex() >= 0 ? ItemIndex() : pendingIndex_;
  pendingIndex_ = -1;
  for (QRadioButton* button : buttons_) {
    group_.removeButton(button);
    delete button;
  }
  buttons_.clear();
  for (int i = 0; i < items_.size(); ++i) {
    auto* button = new QRadioButton(items_[i], this);
    group_.addButton(button, i);
    buttons_.append(button);
    button->show();
  }
  const bool blocked = group_.blockSignals(true);
  if (selected >= 0 && selected < buttons_.size()) buttons_[selected]->setChecked(true);
  group_.blockSignals(blocked);
  PlaceButtons();
}

void RadioGroup::resizeEvent(QResizeEvent* event) {
  QGroupBox::resizeEvent(event);
  PlaceButtons();
}

QRect RadioGroup::ContentsArea() const {
  const int titleHeight = title().isEmpty() ? 2 : fontMetrics().height();
  return QRect(8, titleHeight, width() - 16, height() - titleHeight - 3);
}

void RadioGroup::paintEvent(QPaintEvent*) {
  // An etched frame with the caption set into its top edge, so that a
  // one-row group stays legible in a box only three dozen pixels high.
  QPainter painter(this);
  const QFontMetrics metrics = fontMetrics();
  const int lineY = title().isEmpty() ? 0 : metrics.height() / 2;
  const QRect frame(0, lineY, width() - 2, height() - lineY - 2);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(frame);
  painter.setPen(palette().color(QPalette::Light));
  painter.drawRect(frame.translated(1, 1));
  if (!title().isEmpty()) {
    const QRect text(8, 0, metrics.horizontalAdvance(title()) + 6, metrics.height());
    painter.fillRect(text, palette().color(QPalette::Window));
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   QPalette::WindowText));
    painter.drawText(text, Qt::AlignCenter, title());
  }
}

void RadioGroup::PlaceButtons() {
  if (buttons_.isEmpty()) return;
  // The items share the contents area in equal columns, rows filling
  // downwards first, each row centred in its share of the height.
  const QRect contents = ContentsArea();
  const int rows = (static_cast<int>(buttons_.size()) + columns_ - 1) / columns_;
  const int rowHeight = contents.height() / rows;
  const int buttonHeight = qMin(rowHeight, 18);
  const int columnWidth = contents.width() / columns_;
  for (int i = 0; i < buttons_.size(); ++i) {
    const int column = i / rows;
    const int row = i % rows;
    const int top = contents.top() + row * rowHeight + (rowHeight - buttonHeight) / 2;
    buttons_[i]->setGeometry(contents.left() + column * columnWidth, top, columnWidth, buttonHeight);
  }
}
