#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QList>
#include <QRadioButton>
#include <QStringList>

// A captioned group of radio buttons laid out in columns, addressed by the
// index of the selected item. Clicked() runs whenever the selection changes,
// whether the operator or the program changed it, so program changes cascade
// exactly like operator ones; selecting the item already selected runs nothing.
class RadioGroup : public QGroupBox {
  Q_OBJECT
  Q_PROPERTY(QStringList items READ Items WRITE setItems)
  Q_PROPERTY(int columns READ Columns WRITE setColumns)
  Q_PROPERTY(int itemIndex READ ItemIndex WRITE SetItemIndex)

 public:
  explicit RadioGroup(QWidget* parent = nullptr);

  QStringList Items() const { return items_; }
  void setItems(const QStringList& items);
  int Columns() const { return columns_; }
  void setColumns(int columns);

  // -1 when nothing is selected.
  int ItemIndex() const;
  // An index outside the items selects nothing; the same index runs nothing.
  void SetItemIndex(int index);

  QRadioButton* Button(int index) const { return buttons_.value(index); }

 signals:
  void Clicked();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Rebuild();
  void PlaceButtons();
  QRect ContentsArea() const;

  QStringList items_;
  // An index set before the items exist (while the layout loads) is
  // applied when they arrive.
  int pendingIndex_ = -1;
  int columns_ = 1;
  QButtonGroup group_;
  QList<QRadioButton*> buttons_;
};
