#pragma once
// The main window: the seventeen inputs with their defaults, the two pictures, the folder
// chooser, the results file name, OK and Close. OK (or Enter in any field) runs one
// calculation on a worker thread; the window stays alive meanwhile, shows the turns
// reached and offers Cancel, but a second run cannot start. Beside the inputs, the plots
// of the last run.
#include <QWidget>
#include <array>
#include <memory>

#include "app/background_run.h"
#include "app/dialogs.h"
#include "app/qt_services.h"
#include "solver/input.h"
#include "solver/run.h"

class FlowModelBox;
class FolderChooser;
class MaterialBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class ResultsPlots;

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  // Every box goes through `dialogs`, which must outlive the window; without them the
  // window shows real modal ones.
  explicit TForm1(WindowDialogs* dialogs = nullptr, QWidget* parent = nullptr);
  ~TForm1() override;

  // The decimal separator for reading the fields and writing the file.
  void setDecimalSeparator(char separator) { decimalSeparator_ = separator; }

  FolderChooser* folderChooser() const { return chooser_; }
  ResultsPlots* resultsPlots() const { return plots_; }
  FlowModelBox* flowModelBox() const { return flowModel_; }
  MaterialBox* materialBox() const { return material_; }
  bool runInProgress() const { return run_.isRunning(); }
  // How the last run ended; valid once runFinished() has been emitted.
  const kelvado::RunOutcome& lastOutcome() const { return lastOutcome_; }

 signals:
  void runStarted();
  void runFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BitBtn1Click();
  void cancelRun();
  void runEnded();
  void showProgress(double turns, double totalTurns);
  kelvado::RunRequest makeRequest() const;

  QWidget* buildInputGroup();
  QWidget* buildRightSide();
  QWidget* buildButtons();

  std::array<QLineEdit*, kelvado::kInputCount> edits_{};
  QLineEdit* fileNameEdit_ = nullptr;
  FolderChooser* chooser_ = nullptr;
  FlowModelBox* flowModel_ = nullptr;
  MaterialBox* material_ = nullptr;
  kelvado::FlowModel runFlowModel_ = kelvado::FlowModel::Classic;  // of the run in progress
  ResultsPlots* plots_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QString totalTurnsText_;  // the L/D of the run in progress, as typed
  std::unique_ptr<ModalDialogs> ownDialogs_;  // when none were given
  WindowDialogs* dialogs_;
  char decimalSeparator_;
  bool closeWhenRunEnds_ = false;
  WindowCallbacks callbacks_;
  kelvado::RunOutcome lastOutcome_;
  // Last, so that a run still going ends before anything it reports to is gone.
  BackgroundRun run_;
};
