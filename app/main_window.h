// SPDX-License-Identifier: Apache-2.0
#pragma once
// The main window: the seventeen inputs with their defaults, the two pictures, the folder
// chooser, the results file name, Run and Close. Run (or Enter in any field) runs one
// calculation on a worker thread; the window stays alive meanwhile, shows the turns
// reached and offers Cancel, but a second run cannot start. Beside the inputs, the plots
// of the last run and the Screw page: a case with zones there runs as that screw, driven at the
// page's speed. The menu bar works on the case as a file (app/case_session.h), chooses the
// unit pressures are shown in, exports the report of the last run and offers Help. The window
// keeps its size, splitter and page in front between sessions.
#include <QWidget>
#include <array>
#include <memory>

#include "app/background_run.h"
#include "case/case_file.h"
#include "screw/pellet_screw.h"
#include "materials/material_library.h"
#include "app/dialogs.h"
#include "app/display_units.h"
#include "app/plots/screw_panel.h"
#include "app/qt_services.h"
#include "solver/input.h"
#include "solver/run.h"

class CaseSession;
class EditHistory;
class FeedBox;
class FlowModelBox;
class FolderChooser;
class QMenuBar;
class MaterialBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QGridLayout;
class QScrollArea;
class QSplitter;
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
  char decimalSeparator() const { return decimalSeparator_; }

  FolderChooser* folderChooser() const { return chooser_; }
  ResultsPlots* resultsPlots() const { return plots_; }
  FlowModelBox* flowModelBox() const { return flowModelBox_; }
  MaterialBox* materialBox() const { return material_; }
  ScrewPanel* screwPanel() const { return screw_; }
  FeedBox* feedBox() const { return feed_; }
  bool runInProgress() const { return run_.isRunning(); }
  // The inputs as narrow as they go, the rest of the width to the plots.
  void narrowInputs();
  // The size, splitter and page of the last session were restored: the caller need not size it.
  bool restoredGeometry() const { return restoredGeometry_; }
  // How the last run ended; valid once runFinished() has been emitted.
  const kelvado::RunOutcome& lastOutcome() const { return lastOutcome_; }
  // The stages of the last run, when it was fed with pellets.
  const std::optional<kelvado::PelletOutcome>& lastPelletOutcome() const { return lastPellet_; }

  // The case on show: the seventeen fields, the flow model and the die.
  CaseSession* caseSession() const { return session_; }
  // Edit → Undo and Redo; started afresh by every case applied.
  EditHistory* editHistory() const { return history_; }
  kelvado::CaseData caseData() const;
  void applyCase(const kelvado::CaseData& data);
  // The flow model of the next run: the one the box beside the inputs shows.
  kelvado::FlowModel flowModel() const;
  void setFlowModel(kelvado::FlowModel model);
  // The die the case carries (`die = SECTION` lines), kept as read until a page edits it.
  const std::vector<std::string>& dieSections() const { return dieSections_; }
  void setDieSections(std::vector<std::string> sections);

  // View → Pressure unit: the plots and the line above them follow it; it is remembered.
  display_units::PressureUnit pressureUnit() const;
  void setPressureUnit(display_units::PressureUnit unit);

  // File → Export report...: the PDF report of the last run, which must have finished.
  bool exportReport(const QString& path, QString* error = nullptr) const;
  void exportReportWithDialog();

 signals:
  void runStarted();
  void runFinished();
  // For pages that show pressures of their own.
  void pressureUnitChanged(display_units::PressureUnit unit);
  // A case was opened or made new, or a page set them: for the controls that show them.
  void flowModelChanged(kelvado::FlowModel model);
  void dieSectionsChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BitBtn1Click();
  void cancelRun();
  void showInputProblem(int field, const QString& text);
  void runEnded();
  void showProgress(double turns, double totalTurns);
  kelvado::RunRequest makeRequest() const;
  // The Screw page's zones for a run in the flow model on show: the message of what is wrong
  // with them, or with running them in that model.
  ScrewPanel::Zones screwZones();
  void showZonedFields(bool zoned);
  ScrewPanel::Channel screwChannel() const;
  // A zoned request driven at the Screw page's speed; false, with the message shown, when the
  // zones or the speed will not do.
  bool driveByScrewSpeed(kelvado::RunRequest& request);
  // The Screw page's speed, above zero; none, with the message shown, otherwise.
  std::optional<double> screwSpeed();
  // A run fed with pellets: the consistent model, the page's zones and speed, the pellets'
  // values read; false, with the message shown, when one will not do.
  bool makePelletRequest(const kelvado::RunRequest& run, kelvado::PelletRequest& request);
  // Starts the run on the worker; false while another is going.
  bool startRun(const kelvado::RunRequest& request, const std::optional<kelvado::PelletRequest>& pellet);

  QWidget* buildInputGroup();
  QWidget* buildRightSide();
  QWidget* buildButtons();
  QMenuBar* buildMenuBar();
  void updateTitle();
  void connectDiePage();
  // The inputs' groups in fewer columns as the width shrinks (0: all side by side).
  void setArrangement(int level);
  int inputsWidth(int level, int height);
  void arrangeInputs(int width);
  // The window's size, the splitter between inputs and plots and the page in front, kept
  // between sessions; restoreLayout says whether there was a size to restore.
  void rememberLayout() const;
  bool restoreLayout();

  std::array<QLineEdit*, kelvado::kInputCount> edits_{};
  QLineEdit* fileNameEdit_ = nullptr;
  FolderChooser* chooser_ = nullptr;
  FlowModelBox* flowModelBox_ = nullptr;
  MaterialBox* material_ = nullptr;
  FeedBox* feed_ = nullptr;
  ResultsPlots* plots_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QScrollArea* inputScroll_ = nullptr;
  QWidget* panel_ = nullptr;  // the inputs, in the scroll area
  QGridLayout* columns_ = nullptr;
  QGridLayout* inputGrid_ = nullptr;
  QWidget* inputGroup_ = nullptr;
  QWidget* rightSide_ = nullptr;
  int arrangement_ = 0;
  bool userSplit_ = false;  // the user moved the splitter, or it was restored
  bool restoredGeometry_ = false;
  bool splitterRestored_ = false;  // or placed at the first show
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QProgressBar* progress_ = nullptr;
  std::unique_ptr<ModalDialogs> ownDialogs_;  // when none were given
  WindowDialogs* dialogs_;
  char decimalSeparator_;
  bool closeWhenRunEnds_ = false;
  WindowCallbacks callbacks_;
  kelvado::RunOutcome lastOutcome_;
  std::optional<kelvado::PelletOutcome> lastPellet_;
  std::vector<double> runZoneEnds_;  // of the last run fed with pellets, turns from the hopper
  CaseSession* session_ = nullptr;
  EditHistory* history_ = nullptr;
  std::vector<std::string> dieSections_;
  // The case's zones: as a file gave them until the Screw page edits them.
  std::vector<std::string> zones_;
  std::optional<std::string> caseRpm_;  // the speed of the case as read, for a case without zones
  ScrewPanel* screw_ = nullptr;
  bool showingDie_ = false;  // the die page is being set from the case
  kelvado::CaseData runCase_;  // the case the last run started from
  std::optional<kelvado::Material> runMaterial_;  // its material; none for "Custom"
  // Last, so that a run still going ends before anything it reports to is gone.
  BackgroundRun run_;
};
