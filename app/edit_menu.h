// SPDX-License-Identifier: Apache-2.0
#pragma once
// The Edit menu and what the window's plots and tables offer besides: Undo and Redo (see
// app/edit_history.h); Copy, which copies the table with the keyboard (its selection, or all of
// it) as tab-separated text with a heading row, the plot clicked last as a picture, or a field's
// selected text; and "Export table as CSV…" for the page in front. Each plot's context menu adds
// "Copy picture", the characteristic's "Copy table" and "Export CSV…", each table's "Copy",
// "Copy whole table" and "Export CSV…". A CSV file holds the numbers in full with a point, whatever the locale, and
// is written by the rule of every output: replaced whole, and only when the user may write it.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "app/display_units.h"

class CharacteristicPanel;
class EditHistory;
class QTableWidget;
class TForm1;
class WindowDialogs;

namespace edit_menu {

// A table as the window shows it: headings with their units, cells as shown, numbers in them
// written with `separator`.
struct ShownTable {
  QStringList headings;
  QList<QStringList> rows;
  char separator = '.';
};

// The table's rows; with `selectionOnly`, the rows of the selected cells across their columns,
// or all when nothing is selected.
ShownTable TableOf(const QTableWidget& table, char separator, bool selectionOnly);
// The characteristic's cases, pressures in `unit`; no rows before one is calculated.
ShownTable CharacteristicTable(const CharacteristicPanel& panel, display_units::PressureUnit unit, char separator);

// A heading line, then a line a row, cells split by tabs.
QString Tsv(const ShownTable& table);
// RFC 4180, UTF-8, CR LF: numbers with a point, in the shortest form that reads back the same.
QByteArray Csv(const ShownTable& table);

// Adds the Edit menu before the Material menu, and the plots' and tables' own entries.
void AddEditMenu(TForm1& window, EditHistory& history, WindowDialogs& dialogs);

}  // namespace edit_menu
