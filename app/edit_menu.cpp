// SPDX-License-Identifier: Apache-2.0
#include "app/edit_menu.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <functional>

#include "app/case_session.h"
#include "app/dialogs.h"
#include "app/edit_history.h"
#include "app/folder_chooser.h"
#include "app/main_window.h"
#include "app/output_bytes.h"
#include "app/plots/characteristic_panel.h"
#include "app/plots/die_panel.h"
#include "app/plots/plot_export.h"
#include "app/plots/results_plots.h"
#include "app/plots/screw_panel.h"
#include "report/result_table.h"
#include "solver/input.h"

namespace edit_menu {
namespace {

QString CellText(const QTableWidget& table, int row, int column) {
  if (const auto* box = qobject_cast<const QComboBox*>(table.cellWidget(row, column))) return box->currentText();
  const QTableWidgetItem* item = table.item(row, column);
  return item ? item->text() : QString();
}

// Empty, a number typed with the window's separator (or the other, as the pages read them), or
// a text.
kelvado::Cell CsvCell(const QString& text, char separator) {
  const std::string bytes = text.trimmed().toStdString();
  if (bytes.empty()) return std::monostate{};
  if (const std::optional<double> value = kelvado::ParseNumber(bytes, separator)) return *value;
  if (const std::optional<double> value = kelvado::ParseNumber(bytes, separator == '.' ? ',' : '.')) return *value;
  return text.trimmed().toStdString();
}

QString Line(QStringList cells) {
  for (QString& cell : cells) cell.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
  return cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

void CopyTable(const QTableWidget& table, char separator) {
  QApplication::clipboard()->setText(Tsv(TableOf(table, separator, true)));
}

// The chart as Save plot writes it, at its size on a white ground.
void CopyPicture(QChartView& view) {
  QImage image(view.chart()->size().toSize(), QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) return;
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    plots::DrawPlot(view.chart(), painter, QRectF(QPointF(0, 0), image.size()));
  }
  QApplication::clipboard()->setImage(image);
}

// What a table or plot offers in its context menu besides its own actions, and Ctrl+C in a table.
class Hooks final : public QObject {
 public:
  using QObject::QObject;
  std::function<char()> separator;

  void addMenu(QAbstractScrollArea* area, QList<QAction*> actions) {
    menus_.insert(area->viewport(), {area, std::move(actions)});
    area->viewport()->installEventFilter(this);
  }
  void copyOnKeys(QTableWidget* table) {
    tables_ << table;
    table->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ContextMenu && menus_.contains(watched)) {
      const Menu& entry = menus_[watched];
      QMenu menu;
      menu.addActions(entry.owner->actions());
      if (!menu.isEmpty()) menu.addSeparator();
      menu.addActions(entry.actions);
      menu.exec(static_cast<QContextMenuEvent*>(event)->globalPos());
      return true;
    }
    auto* table = qobject_cast<QTableWidget*>(watched);
    if (table && tables_.contains(table) &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
      // The table's own copy takes only the current cell: the whole selection, with headings, is ours.
      if (event->type() == QEvent::KeyPress) CopyTable(*table, separator());
      event->accept();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  struct Menu {
    QWidget* owner = nullptr;
    QList<QAction*> actions;
  };
  QHash<QObject*, Menu> menus_;
  QList<QTableWidget*> tables_;
};

QAction* MakeAction(QWidget* owner, const QString& name, const QString& text, std::function<void()> slot) {
  auto* action = new QAction(text, owner);
  action->setObjectName(owner->objectName() + name);
  QObject::connect(action, &QAction::triggered, owner, std::move(slot));
  return action;
}

// The tables the window can export, and what each is called.
struct Exported {
  QString suffix;  // of the suggested file name
  ShownTable table;
  QString empty;   // why there is nothing to export, when there is not
};

void ExportWithDialog(TForm1& window, WindowDialogs& dialogs, const Exported& exported) {
  const QString title = QStringLiteral("Export CSV");
  if (exported.table.rows.isEmpty()) {
    dialogs.showWarning(title, QStringLiteral("No CSV file was written: %1.").arg(exported.empty));
    return;
  }
  const CaseSession& session = *window.caseSession();
  const QString folder = session.path().isEmpty() ? window.folderChooser()->folder() : QFileInfo(session.path()).absolutePath();
  QString path = dialogs.askSaveFileName(
      title, QDir(folder).filePath(QStringLiteral("%1-%2.csv").arg(session.caseName(), exported.suffix)),
      QStringLiteral("CSV file (*.csv)"));
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
  // As every output: never a FIFO or folder, the user's materials file or a file the user may
  // not write; replaced whole, or left as it was.
  QString error;
  if (output_bytes::WriteBytes(path, Csv(exported.table), &error)) return;
  dialogs.showWarning(title, QStringLiteral("No CSV file was written: %1.").arg(error));
}

Exported CharacteristicExport(const TForm1& window) {
  return {QStringLiteral("characteristic"),
          CharacteristicTable(*window.resultsPlots()->characteristic(), window.pressureUnit(), window.decimalSeparator()),
          QStringLiteral("the characteristic has not been calculated: press Run on the Characteristic page first")};
}

QTableWidget* DieTable(const TForm1& window) {
  return window.resultsPlots()->diePanel()->findChild<QTableWidget*>(QStringLiteral("DieSections"));
}

Exported DieExport(const TForm1& window) {
  return {QStringLiteral("die"), TableOf(*DieTable(window), window.decimalSeparator(), false),
          QStringLiteral("the die has no section")};
}

Exported ZonesExport(const TForm1& window) {
  return {QStringLiteral("zones"), TableOf(*window.screwPanel()->table(), window.decimalSeparator(), false),
          QStringLiteral("the screw has no zones: the Screw page's table is empty")};
}

// Copy as Edit → Copy and Ctrl+C outside the fields do it: the table or plot with the focus.
void CopyFocused(const TForm1& window) {
  QWidget* focus = QApplication::focusWidget();
  if (auto* edit = qobject_cast<QLineEdit*>(focus)) {
    edit->copy();
    return;
  }
  for (QWidget* w = focus; w && w != &window; w = w->parentWidget()) {
    if (auto* table = qobject_cast<QTableWidget*>(w)) return CopyTable(*table, window.decimalSeparator());
    if (auto* view = qobject_cast<QChartView*>(w)) return CopyPicture(*view);
  }
  // Any other list: its current line, as it would have copied it itself.
  if (auto* list = qobject_cast<QAbstractItemView*>(focus); list && list->currentIndex().isValid()) {
    QApplication::clipboard()->setText(list->currentIndex().data().toString());
  }
}

}  // namespace

ShownTable TableOf(const QTableWidget& table, char separator, bool selectionOnly) {
  QList<int> rows, columns;
  if (selectionOnly) {
    for (const QModelIndex& index : table.selectionModel()->selectedIndexes()) {
      rows << index.row();
      columns << index.column();
    }
  }
  if (rows.isEmpty()) {
    for (int row = 0; row < table.rowCount(); ++row) rows << row;
    columns = {0, table.columnCount() - 1};
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  // Every column across the selection: a cell a row's shape does not use cannot be selected.
  const auto [first, last] = std::minmax_element(columns.begin(), columns.end());
  QList<int> across;
  for (int column = *first; column <= *last; ++column) across << column;
  columns = across;
  ShownTable shown;
  shown.separator = separator;
  for (const int column : columns) {
    const QTableWidgetItem* heading = table.horizontalHeaderItem(column);
    // "Depth from\n(cm)" as one line.
    shown.headings << (heading ? heading->text().simplified() : QString::number(column + 1));
  }
  for (const int row : rows) {
    QStringList cells;
    for (const int column : columns) cells << CellText(table, row, column);
    shown.rows << cells;
  }
  return shown;
}

ShownTable CharacteristicTable(const CharacteristicPanel& panel, display_units::PressureUnit unit, char separator) {
  ShownTable shown{{QStringLiteral("Output (kg/hr)"), QStringLiteral("Screw speed (rpm)"),
                    QStringLiteral("Outlet pressure (%1)").arg(display_units::Label(unit)),
                    QStringLiteral("Mean outlet temperature (\u00b0C)"), QStringLiteral("Outcome")},
                   {},
                   separator};
  auto number = [separator](double value) { return QString::fromStdString(kelvado::ExactNumberText(value, separator)); };
  const std::size_t count = std::min(panel.outputs().size(), panel.results().size());
  for (std::size_t i = 0; i < count; ++i) {
    const kelvado::SweepResult& result = panel.results()[i];
    const QString outcome = QString::fromLatin1(kelvado::StatusName(result.status));
    if (result.status == kelvado::RunStatus::Finished) {
      const kelvado::OutletSummary& s = result.summary;
      shown.rows << QStringList{number(panel.outputs()[i]), number(s.Rpm),
                                number(display_units::FromKgfPerCm2(s.OutletPressure, unit)), number(s.AvgTemp), outcome};
    } else {
      shown.rows << QStringList{number(panel.outputs()[i]), {}, {}, {}, outcome};
    }
  }
  return shown;
}

QString Tsv(const ShownTable& table) {
  QString text = Line(table.headings);
  for (const QStringList& row : table.rows) text += Line(row);
  return text;
}

QByteArray Csv(const ShownTable& table) {
  kelvado::ResultTable csv;
  for (const QString& heading : table.headings) csv.columns.push_back({heading.toStdString(), {}});
  for (const QStringList& row : table.rows) {
    std::vector<kelvado::Cell> cells;
    for (const QString& cell : row) cells.push_back(CsvCell(cell, table.separator));
    csv.rows.push_back(std::move(cells));
  }
  const std::string bytes = kelvado::TableCsv(csv);
  return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

void AddEditMenu(TForm1& window, EditHistory& history, WindowDialogs& dialogs) {
  auto* hooks = new Hooks(&window);
  hooks->separator = [&window] { return window.decimalSeparator(); };
  auto exportCsv = [&window, &dialogs](Exported (*what)(const TForm1&)) {
    return [&window, &dialogs, what] { ExportWithDialog(window, dialogs, what(window)); };
  };

  // Every plot: clicked, it takes the focus for Edit → Copy; the keyboard's Tab still stays in
  // the fields.
  for (QChartView* view : window.findChildren<QChartView*>()) {
    view->setFocusPolicy(Qt::ClickFocus);
    QList<QAction*> actions{MakeAction(view, QStringLiteral("CopyPicture"), QStringLiteral("Copy picture"),
                                       [view] { CopyPicture(*view); })};
    if (view == window.resultsPlots()->characteristic()->view()) {
      actions << MakeAction(view, QStringLiteral("CopyTable"), QStringLiteral("Copy table"), [&window] {
        QApplication::clipboard()->setText(Tsv(CharacteristicExport(window).table));
      });
      actions << MakeAction(view, QStringLiteral("ExportCsv"), QStringLiteral("Export CSV\u2026"),
                            exportCsv(CharacteristicExport));
    }
    hooks->addMenu(view, actions);
  }
  const struct {
    QTableWidget* table;
    Exported (*what)(const TForm1&);
  } tables[]{{window.screwPanel()->table(), ZonesExport}, {DieTable(window), DieExport}};
  for (const auto& t : tables) {
    QTableWidget* table = t.table;
    QAction* copy = MakeAction(table, QStringLiteral("Copy"), QStringLiteral("Copy"),
                               [table, &window] { CopyTable(*table, window.decimalSeparator()); });
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);  // said in the menu; the keys are the table's own
    QAction* copyAll = MakeAction(table, QStringLiteral("CopyAll"), QStringLiteral("Copy whole table"), [table, &window] {
      QApplication::clipboard()->setText(Tsv(TableOf(*table, window.decimalSeparator(), false)));
    });
    hooks->addMenu(table, {copy, copyAll,
                           MakeAction(table, QStringLiteral("ExportCsv"), QStringLiteral("Export CSV\u2026"), exportCsv(t.what))});
    hooks->copyOnKeys(table);
  }

  auto* bar = window.findChild<QMenuBar*>(QStringLiteral("MenuBar"));
  auto* edit = new QMenu(QStringLiteral("&Edit"), bar);
  edit->setObjectName(QStringLiteral("MenuEdit"));
  const auto* material = bar->findChild<QMenu*>(QStringLiteral("MenuMaterial"));
  bar->insertMenu(material ? material->menuAction() : nullptr, edit);
  edit->addAction(history.undoAction());
  edit->addAction(history.redoAction());
  edit->addSeparator();
  QAction* copy = edit->addAction(QStringLiteral("&Copy"));
  copy->setObjectName(QStringLiteral("actionCopy"));
  copy->setShortcut(QKeySequence::Copy);
  copy->setToolTip(QStringLiteral("Copy the table or plot clicked last: a table as text, a plot as a picture"));
  QObject::connect(copy, &QAction::triggered, &window, [&window] { CopyFocused(window); });
  QAction* exportTable = edit->addAction(QStringLiteral("E&xport table as CSV\u2026"));
  exportTable->setObjectName(QStringLiteral("actionExportCsv"));
  // The table of the page in front: the characteristic's, the die's or the zones'.
  auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("PlotTabs"));
  auto pageTable = [&window, tabs]() -> Exported (*)(const TForm1&) {
    const QWidget* page = tabs ? tabs->currentWidget() : nullptr;
    if (page == window.resultsPlots()->characteristic()) return CharacteristicExport;
    if (page == window.resultsPlots()->diePanel()) return DieExport;
    if (page == window.screwPanel()) return ZonesExport;
    return nullptr;
  };
  QObject::connect(edit, &QMenu::aboutToShow, exportTable, [exportTable, pageTable] {
    exportTable->setEnabled(pageTable() != nullptr);
  });
  QObject::connect(exportTable, &QAction::triggered, &window, [&window, &dialogs, pageTable] {
    if (const auto what = pageTable()) ExportWithDialog(window, dialogs, what(window));
  });
}

}  // namespace edit_menu
