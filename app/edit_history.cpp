// SPDX-License-Identifier: Apache-2.0
#include "app/edit_history.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTimer>
#include <QUndoStack>

#include "app/feed_box.h"
#include "app/flow_model_box.h"
#include "app/main_window.h"
#include "app/material_box.h"
#include "app/plots/die_panel.h"
#include "app/plots/results_plots.h"
#include "app/plots/screw_panel.h"
#include "app/rounded_field.h"
#include "solver/input_fields.h"

namespace {

// "Barrel Temperature (℃)" → "Barrel Temperature": the name an Undo is labelled with.
QString StepName(std::string_view caption) {
  QString name = QString::fromUtf8(caption.data(), qsizetype(caption.size()));
  name.replace(QChar(0x3000), QLatin1Char(' '));
  return name.remove(QRegularExpression(QStringLiteral("\\s*\\([^()]*\\)$")));
}

QString TableName(EditHistory::Table table) {
  return table == EditHistory::Table::Zones ? QStringLiteral("Screw Zones") : QStringLiteral("Die Sections");
}

}  // namespace

// A change of the inputs: the state before and after it. The first redo is the push: the
// change has been made already.
class EditHistory::InputEdit final : public QUndoCommand {
 public:
  InputEdit(EditHistory& history, const QString& name, Inputs before, Inputs after, QWidget* shown)
      : QUndoCommand(name), history_(history), before_(std::move(before)), after_(std::move(after)), shown_(shown) {}
  void undo() override { history_.putInputs(before_, shown_); }
  void redo() override {
    if (!std::exchange(first_, false)) history_.putInputs(after_, shown_);
  }

 private:
  EditHistory& history_;
  Inputs before_, after_;
  QWidget* shown_;
  bool first_ = true;
};

class EditHistory::TableEdit final : public QUndoCommand {
 public:
  TableEdit(EditHistory& history, Table table, QList<QStringList> before, QList<QStringList> after)
      : QUndoCommand(TableName(table)), history_(history), table_(table), before_(std::move(before)),
        after_(std::move(after)) {}
  void undo() override { history_.putCells(table_, before_); }
  void redo() override {
    if (!std::exchange(first_, false)) history_.putCells(table_, after_);
  }

 private:
  EditHistory& history_;
  Table table_;
  QList<QStringList> before_, after_;
  bool first_ = true;
};

EditHistory::EditHistory(TForm1& window) : QObject(&window), window_(window), stack_(new QUndoStack(this)) {
  setObjectName(QStringLiteral("EditHistory"));
  for (const kelvado::InputField& field : kelvado::kInputFields) {
    const QString editName = QString::fromUtf8(field.editName.data(), qsizetype(field.editName.size()));
    fields_.push_back({window.findChild<QLineEdit*>(editName), StepName(field.caption)});
  }
  for (const kelvado::PelletFieldInfo& info : kelvado::kPelletFields) {
    fields_.push_back({window.feedBox()->field(info.field), StepName(info.caption)});
  }
  for (const Field& field : fields_) {
    connect(field.edit, &QLineEdit::editingFinished, this, [this, field] { recordInputs(field.name, field.edit); });
    field.edit->installEventFilter(this);
  }
  material_ = window.findChild<QComboBox*>(QStringLiteral("MaterialChoice"));
  connect(window.materialBox(), &MaterialBox::choiceChanged, this,
          [this] { recordInputs(QStringLiteral("Material"), material_); });
  connect(window.flowModelBox(), &FlowModelBox::modelChanged, this,
          [this] { recordInputs(QStringLiteral("Flow Model"), window_.flowModelBox()); });
  connect(window.feedBox()->choice(), &QComboBox::currentIndexChanged, this,
          [this] { recordInputs(QStringLiteral("Feed"), window_.feedBox()->choice()); });
  connect(window.screwPanel(), &ScrewPanel::zonesEdited, this, [this] { tableEdited(Table::Zones); });
  connect(window.resultsPlots()->diePanel(), &DiePanel::sectionsEdited, this, [this] { tableEdited(Table::Die); });

  undo_ = new QAction(this);
  undo_->setObjectName(QStringLiteral("actionUndo"));
  undo_->setShortcuts(QKeySequence::Undo);
  connect(undo_, &QAction::triggered, this, &EditHistory::undo);
  redo_ = new QAction(this);
  redo_->setObjectName(QStringLiteral("actionRedo"));
  // Ctrl+Y besides the platform's own, which is Ctrl+Shift+Z here.
  QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
  if (!redoKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Y))) redoKeys << QKeySequence(Qt::CTRL | Qt::Key_Y);
  redo_->setShortcuts(redoKeys);
  connect(redo_, &QAction::triggered, this, &EditHistory::redo);
  connect(stack_, &QUndoStack::indexChanged, this, &EditHistory::updateActions);
  connect(stack_, &QUndoStack::cleanChanged, this, &EditHistory::updateActions);
  reset();
}

EditHistory::~EditHistory() = default;

void EditHistory::reset() {
  stack_->clear();
  recorded_ = inputs();
  for (const Table table : {Table::Zones, Table::Die}) {
    recordedCells_[int(table)] = cells(table);
    tablePending_[int(table)] = false;
  }
  updateActions();
}

void EditHistory::updateActions() {
  undo_->setEnabled(stack_->canUndo());
  redo_->setEnabled(stack_->canRedo());
  undo_->setText(stack_->canUndo() ? QStringLiteral("&Undo %1").arg(stack_->undoText()) : QStringLiteral("&Undo"));
  redo_->setText(stack_->canRedo() ? QStringLiteral("&Redo %1").arg(stack_->redoText()) : QStringLiteral("&Redo"));
}

void EditHistory::undo() {
  flush();
  stack_->undo();
}

void EditHistory::redo() {
  flush();
  stack_->redo();
}

EditHistory::Inputs EditHistory::inputs() const {
  Inputs state;
  // A material's field holds its exact value behind the rounded one shown: that is what comes back.
  for (const Field& field : fields_) state.texts << rounded_field::Text(field.edit);
  state.material = material_ ? material_->currentText() : QString();
  state.feed = window_.feedBox()->choice()->currentIndex();
  state.flowModel = int(window_.flowModel());
  return state;
}

void EditHistory::putInputs(const Inputs& state, QWidget* shown) {
  restoring_ = true;
  // The choices first: a material fills its fields, which then take the texts they had.
  if (material_ && material_->currentText() != state.material) {
    if (const int index = material_->findText(state.material); index >= 0) material_->setCurrentIndex(index);
  }
  window_.setFlowModel(kelvado::FlowModel(state.flowModel));
  window_.feedBox()->choice()->setCurrentIndex(state.feed);
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const QString text = state.texts.value(qsizetype(i));
    if (rounded_field::Text(fields_[i].edit) != text) rounded_field::Show(fields_[i].edit, text, window_.decimalSeparator());
  }
  window_.materialBox()->rememberCustom();  // "Custom" chosen above took the texts before these
  recorded_ = inputs();
  restoring_ = false;
  // A field or choice the keyboard can reach takes the focus; the flow model's box cannot.
  if (shown && shown->focusPolicy() != Qt::NoFocus) {
    shown->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(shown)) edit->selectAll();
  }
}

void EditHistory::recordInputs(const QString& name, QWidget* shown) {
  if (restoring_) return;
  Inputs now = inputs();
  if (now == recorded_) return;
  stack_->push(new InputEdit(*this, name, std::exchange(recorded_, now), now, shown));
}

QList<QStringList> EditHistory::cells(Table table) const {
  return table == Table::Zones ? window_.screwPanel()->cellTexts() : window_.resultsPlots()->diePanel()->cellTexts();
}

void EditHistory::putCells(Table table, const QList<QStringList>& rows) {
  const QList<QStringList> before = cells(table);
  restoring_ = true;
  QWidget* page = nullptr;
  QTableWidget* widget = nullptr;
  if (table == Table::Zones) {
    window_.screwPanel()->restoreCellTexts(rows);
    page = window_.screwPanel();
    widget = window_.screwPanel()->table();
  } else {
    DiePanel* die = window_.resultsPlots()->diePanel();
    die->restoreCellTexts(rows);
    page = die;
    widget = die->findChild<QTableWidget*>(QStringLiteral("DieSections"));
  }
  recordedCells_[int(table)] = cells(table);
  tablePending_[int(table)] = false;
  restoring_ = false;
  window_.resultsPlots()->showPage(page);
  // The first cell that changed is made current, so that the eye finds it.
  for (int row = 0; widget && row < int(rows.size()); ++row) {
    for (int column = 0; column < int(rows[row].size()); ++column) {
      if (before.value(row).value(column) != rows[row][column]) {
        widget->setCurrentCell(row, column);
        return;
      }
    }
  }
}

// An edit of a table may come as several signals (a row rebuilt, a shape and its cells): they
// are one step, recorded once the event loop is back.
void EditHistory::tableEdited(Table table) {
  if (restoring_ || tablePending_[int(table)]) return;
  tablePending_[int(table)] = true;
  QTimer::singleShot(0, this, [this, table] { recordTable(table); });
}

void EditHistory::recordTable(Table table) {
  if (!tablePending_[int(table)]) return;
  tablePending_[int(table)] = false;
  QList<QStringList> now = cells(table);
  if (now == recordedCells_[int(table)]) return;
  stack_->push(new TableEdit(*this, table, std::exchange(recordedCells_[int(table)], now), now));
}

void EditHistory::flush() {
  for (const Table table : {Table::Zones, Table::Die}) recordTable(table);
  for (const Field& field : fields_) {
    if (field.edit->hasFocus()) recordInputs(field.name, field.edit);
  }
}

// Ctrl+Z in a field undoes its typing, as always; once there is none left, it is the window's.
bool EditHistory::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
        key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y)) {
      for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].edit == watched && rounded_field::Text(fields_[i].edit) == recorded_.texts.value(qsizetype(i))) {
          event->ignore();
          return true;
        }
      }
    }
  }
  return QObject::eventFilter(watched, event);
}
