// SPDX-License-Identifier: Apache-2.0
#pragma once
// The window's one undo history: an input field once the user leaves it (or presses Enter),
// the material, flow model and feed choices, and each edit of the Screw page's zones or of
// the die page's sections. Undo and redo put the inputs back as they were and bring the field
// or page they changed into view. Another case (New, Open) starts the history afresh: an
// undo must never mix two cases.
#include <QObject>
#include <QStringList>
#include <vector>

class QAction;
class QComboBox;
class QLineEdit;
class QUndoStack;
class QWidget;
class TForm1;

class EditHistory : public QObject {
  Q_OBJECT

 public:
  // Watches the window's inputs and pages; lives as its child.
  explicit EditHistory(TForm1& window);
  ~EditHistory() override;

  QUndoStack* stack() const { return stack_; }
  // Edit → Undo and Redo: named after what they would undo or redo, disabled when nothing.
  QAction* undoAction() const { return undo_; }
  QAction* redoAction() const { return redo_; }
  void undo();
  void redo();
  // The case on show is another: nothing before it can be undone.
  void reset();

  // What the inputs hold, as the user sees them.
  struct Inputs {
    QStringList texts;  // every field
    QString material;
    int feed = 0;
    int flowModel = 0;
    bool operator==(const Inputs&) const = default;
  };
  enum class Table { Zones, Die };

 private:
  class InputEdit;
  class TableEdit;

  bool eventFilter(QObject* watched, QEvent* event) override;
  Inputs inputs() const;
  void putInputs(const Inputs& state, QWidget* shown);
  // The inputs differ from the last state recorded: one step named `name`, showing `shown`.
  void recordInputs(const QString& name, QWidget* shown);
  QList<QStringList> cells(Table table) const;
  void putCells(Table table, const QList<QStringList>& rows);
  void tableEdited(Table table);
  void recordTable(Table table);
  // Steps still open (a field being typed in, a table edit not yet recorded) are recorded.
  void flush();
  void updateActions();

  TForm1& window_;
  QUndoStack* stack_ = nullptr;
  QAction* undo_ = nullptr;
  QAction* redo_ = nullptr;
  struct Field {
    QLineEdit* edit;
    QString name;
  };
  std::vector<Field> fields_;
  QComboBox* material_ = nullptr;
  Inputs recorded_;
  QList<QStringList> recordedCells_[2];
  bool tablePending_[2] = {false, false};
  bool restoring_ = false;
};
