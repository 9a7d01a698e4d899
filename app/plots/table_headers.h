// SPDX-License-Identifier: Apache-2.0
#pragma once
// A table of stretched columns never narrower than its headings: the page it sits on, and so
// the plots beside the inputs, keep the width that shows every heading whole.
#include <QEvent>
#include <QHeaderView>
#include <QStyle>
#include <QTableWidget>

namespace table_headers {

// Stretched columns are as wide as each other: each as wide as the widest heading. The row
// numbers up to two digits, the scroll bar beside more rows than the table shows.
inline void SetLeastWidth(QTableWidget* table) {
  int widest = 0;
  for (int c = 0; c < table->columnCount(); ++c) widest = qMax(widest, table->horizontalHeader()->sectionSizeHint(c));
  const int numbers = table->fontMetrics().horizontalAdvance(QStringLiteral("99")) + 8;
  const int bar = table->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  table->setMinimumWidth(2 * table->frameWidth() + numbers + bar + table->columnCount() * widest);
}

// Measured again when the headings' font changes, as it does when the window sets its own.
class Watch final : public QObject {
 public:
  explicit Watch(QTableWidget* table) : QObject(table), table_(table) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) SetLeastWidth(table_);
    return false;
  }

 private:
  QTableWidget* table_;
};

}  // namespace table_headers

inline void KeepHeadingsWhole(QTableWidget* table) {
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table->horizontalHeader()->installEventFilter(new table_headers::Watch(table));
  table_headers::SetLeastWidth(table);
}
