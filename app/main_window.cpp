// SPDX-License-Identifier: Apache-2.0
#include "app/main_window.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QSvgWidget>
#include <QVBoxLayout>
#include <cmath>

#include "app/caption_palette.h"
#include "app/case_session.h"
#include "app/edit_history.h"
#include "app/edit_menu.h"
#include "app/feed_box.h"
#include "app/flow_model_box.h"
#include "app/folder_chooser.h"
#include "app/manage_materials_dialog.h"
#include "app/help_menu.h"
#include "app/input_tips.h"
#include "app/material_box.h"
#include "app/rounded_field.h"
#include "app/material_fit_dialog.h"
#include "app/pixel_font.h"
#include "app/plots/die_panel.h"
#include "app/plots/results_plots.h"
#include "app/report_pdf.h"
#include "app/settings.h"
#include "files/output_file.h"
#include "case/pellet_case.h"
#include "report/results_file.h"
#include "solver/input_fields.h"
#include "solver/services.h"
#include "solver/sweep.h"

namespace {

// The separator of the user's regional settings; the grammar and the results file take a
// point or a comma, so the point stands in for any other.
char SystemDecimalSeparator() {
  return QLocale::system().decimalPoint() == QStringLiteral(",") ? ',' : '.';
}

// The label that captions an input field: Edit1..Edit12 have Label3..Label14, Edit13..
// Edit15 have Label15..Label17, and the two parameter fields Label1 and Label2.
QString LabelNameFor(int field) {
  const int number = field < 15 ? field + 3 : field - 14;
  return QStringLiteral("Label%1").arg(number);
}

// The size of a window with nothing remembered: every text of it shows whole at this size.
constexpr QSize kFirstSize(1310, 656);

// Where the window's size, the splitter and the page in front are remembered.
const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kSplitterKey = QStringLiteral("window/splitter");
const QString kPageKey = QStringLiteral("window/plotPage");
const QString kFinishBoxKey = QStringLiteral("window/finishBox");

QSvgWidget* Picture(const QString& name, const QString& resource, QSize size, QWidget* parent) {
  auto* picture = new QSvgWidget(resource, parent);
  picture->setObjectName(name);
  picture->setFixedSize(size);
  return picture;
}

}  // namespace

TForm1::TForm1(WindowDialogs* dialogs, QWidget* parent)
    : QWidget(parent),
      ownDialogs_(dialogs ? nullptr : std::make_unique<ModalDialogs>(this)),
      dialogs_(dialogs ? dialogs : ownDialogs_.get()),
      decimalSeparator_(SystemDecimalSeparator()) {
  setObjectName(QStringLiteral("TForm1"));
  setWindowTitle(QStringLiteral("Kelvado"));
  setWindowIcon(QIcon(QStringLiteral(":/pictures/kelvado.svg")));

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Sunken);
  // The plots sit beside the inputs; the splitter lets the user give them the room.
  plots_ = new ResultsPlots(*dialogs_, [this] {
    const kelvado::RunRequest request = makeRequest();
    CharacteristicPanel::Base base{request.inputs, request.decimalSeparator, request.flowModel};
    base.maxProcessingTemp = request.maxProcessingTemp;
    base.fittedWindow = request.fittedWindow;
    if (screw_->zoneCount() > 0) {
      ScrewPanel::Zones zones = screwZones();
      base.zones = std::move(zones.zones);
      base.zoneProblem = zones.problem;
    }
    return base;
  });
  // The inputs scroll when the window is lower than they are tall; their groups wrap into
  // fewer columns when it is narrow (arrangeInputs).
  inputScroll_ = new QScrollArea;
  inputScroll_->setObjectName(QStringLiteral("InputScroll"));
  inputScroll_->setFrameShape(QFrame::NoFrame);
  inputScroll_->setWidgetResizable(true);
  inputScroll_->setWidget(panel);
  inputScroll_->setFocusPolicy(Qt::NoFocus);  // the first field has the keyboard
  inputScroll_->installEventFilter(this);
  panel_ = panel;
  auto* splitter = splitter_ = new QSplitter(Qt::Horizontal);
  splitter->setObjectName(QStringLiteral("Splitter1"));
  splitter->addWidget(inputScroll_);
  splitter->addWidget(plots_);
  splitter->setCollapsible(0, false);
  connect(splitter, &QSplitter::splitterMoved, this, [this] { userSplit_ = true; });
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(splitter);

  auto* left = new QVBoxLayout;
  left->addWidget(buildInputGroup());
  flowModelBox_ = new FlowModelBox;
  // How the screw is fed, beside the flow model: pellets need the consistent one.
  auto* modelRow = new QHBoxLayout;
  modelRow->addWidget(flowModelBox_, 1);
  auto* feedLabel = new QLabel(QStringLiteral("Feed"));
  feedLabel->setPalette(CaptionPalette(feedLabel->palette()));
  feedLabel->setBuddy(feed_->choice());
  modelRow->addWidget(feedLabel);
  modelRow->addWidget(feed_->choice());
  left->addLayout(modelRow);
  // A taller window gives its height to the plots and the folders, never to gaps in the inputs.
  left->addStretch(1);
  left->addWidget(buildButtons());
  auto* columns = columns_ = new QGridLayout(panel);
  columns->setContentsMargins(8, 8, 8, 8);
  columns->setSpacing(8);
  columns->addLayout(left, 0, 0);
  rightSide_ = buildRightSide();
  columns->addWidget(rightSide_, 0, 1);
  columns->setColumnStretch(1, 1);
  // The screw's page follows the fields it draws from.
  screw_ = new ScrewPanel([this] { return screwChannel(); });
  plots_->addPage(screw_, QStringLiteral("Screw"),
                  QStringLiteral("The screw's zones, the speed a zoned run is driven at and the root along the axis"));
  for (const kelvado::Field field : {kelvado::Field::BarrelDiameter, kelvado::Field::LengthRatio,
                                     kelvado::Field::ChannelDepth, kelvado::Field::ScrewPitch}) {
    connect(edits_[static_cast<std::size_t>(field)], &QLineEdit::textChanged, screw_, &ScrewPanel::channelChanged);
  }
  connect(screw_, &ScrewPanel::zonesShown, this, &TForm1::showZonedFields);
  // Zones are refused in the classic model: said as soon as there are any, not only at Run.
  auto noteModel = [this](kelvado::FlowModel model) {
    screw_->setZonesNote(model == kelvado::FlowModel::Classic
                             ? QString::fromLatin1(kelvado::messages::kZonesNeedConsistentModel)
                             : QString());
  };
  connect(flowModelBox_, &FlowModelBox::modelChanged, screw_, noteModel);
  noteModel(flowModel());

  // Group captions are larger than the rest of the window's text.
  setFont(PixelFont(font(), 12));
  for (QWidget* w : panel->findChildren<QWidget*>()) {
    w->setFont(PixelFont(font(), qobject_cast<QGroupBox*>(w) ? 15 : 12));
  }
  // In that font, the material choice is at least as wide as the name the window starts on.
  if (auto* choice = material_->findChild<QComboBox*>(QStringLiteral("MaterialChoice"))) {
    QStyleOptionComboBox option;
    option.initFrom(choice);
    const QSize text(choice->fontMetrics().horizontalAdvance(choice->currentText()), choice->fontMetrics().height());
    choice->setMinimumWidth(choice->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, choice).width());
  }

  // The feed's choice no taller than the flow model's row, so that the inputs keep their height.
  feed_->choice()->setMaximumHeight(flowModelBox_->sizeHint().height());
  connectDiePage();
  session_ = new CaseSession(*dialogs_,
                             CaseSession::Hooks{[this] { return caseData(); },
                                                [this](const kelvado::CaseData& data) { applyCase(data); },
                                                [this] { return decimalSeparator_; },
                                                [this] { return &material_->catalog(); }},
                             this);
  connect(session_, &CaseSession::titleChanged, this, &TForm1::updateTitle);
  connect(flowModelBox_, &FlowModelBox::modelChanged, session_, &CaseSession::contentChanged);
  connect(material_, &MaterialBox::choiceChanged, session_, &CaseSession::contentChanged);
  connect(screw_, &ScrewPanel::zonesEdited, this, [this] {
    zones_ = screw_->zoneTexts();
    session_->contentChanged();
  });
  connect(screw_, &ScrewPanel::rpmEdited, session_, &CaseSession::contentChanged);
  connect(feed_, &FeedBox::changed, session_, &CaseSession::contentChanged);
  connect(feed_, &FeedBox::runRequested, this, [this] { okButton_->click(); });
  outer->setMenuBar(buildMenuBar());
  history_ = new EditHistory(*this);
  edit_menu::AddEditMenu(*this, *history_, *dialogs_);
  plots_->setPressureUnit(display_units::RememberedPressureUnit());
  screw_->setPressureUnit(display_units::RememberedPressureUnit());

  // Tab walks the fields in order; disabled ones are passed over.
  for (int i = 0; i + 1 < kelvado::kInputCount; ++i) setTabOrder(edits_[i], edits_[i + 1]);
  edits_[0]->setFocus();

  callbacks_ = WindowCallbacks{
      [this](const QString& text) { dialogs_->showMessage(text); },
      [this](int field, const QString& text) { showInputProblem(field, text); },
      [this] { chooser_->refreshFileList(); },
      [this] {
        // The box after each run is the program's habit; engineers running many cases
        // turn it off (View menu) and read the summary line instead.
        if (WindowSettings().value(kFinishBoxKey, true).toBool()) dialogs_->showFinishDialog();
      },
      [this](double turns, double totalTurns) { showProgress(turns, totalTurns); },
  };
  connect(&run_, &BackgroundRun::finished, this, &TForm1::runEnded);
  restoredGeometry_ = restoreLayout();
  if (!restoredGeometry_) resize(kFirstSize);
}

// run_, the last member, goes first: a run still going is cancelled and waited for.
TForm1::~TForm1() {
  // The fields lose focus while the window's children are destroyed, after this object's own
  // part is gone: the history must not record those as edits.
  delete history_;
  history_ = nullptr;
}

QWidget* TForm1::buildInputGroup() {
  auto* input = new QGroupBox(QStringLiteral("Input Data"));
  input->setObjectName(QStringLiteral("GroupBox1"));
  auto* inputGrid = new QGridLayout(input);
  inputGrid->setVerticalSpacing(2);

  auto* viscosity = new QGroupBox(QStringLiteral("Viscosity Parameter"));
  viscosity->setObjectName(QStringLiteral("GroupBox2"));
  auto* viscosityLayout = new QVBoxLayout(viscosity);
  viscosityLayout->addWidget(Picture(QStringLiteral("Image1"), QStringLiteral(":/pictures/viscosity_law.svg"),
                                     QSize(323, 63), viscosity),
                             0, Qt::AlignHCenter);
  auto* stdColumn = new QGridLayout;
  auto* parameterColumn = new QGridLayout;
  auto* viscosityColumns = new QHBoxLayout;
  viscosityColumns->addLayout(stdColumn);
  viscosityColumns->addSpacing(12);
  viscosityColumns->addLayout(parameterColumn);
  viscosityLayout->addLayout(viscosityColumns);

  constexpr int kMaterialRow = static_cast<int>(kelvado::Field::Density);
  const QPalette blue = CaptionPalette(palette());
  // The defaults are shown with the user's decimal separator, so that they read as typed.
  const kelvado::InputTexts defaults = kelvado::DefaultInputTexts(decimalSeparator_);
  for (int i = 0; i < kelvado::kInputCount; ++i) {
    const kelvado::InputField& field = kelvado::kInputFields[i];
    auto* edit = new QLineEdit(QString::fromStdString(defaults[i]));
    edit->setObjectName(QString::fromUtf8(field.editName.data(), field.editName.size()));
    // A read-only value is shown but cannot be changed; every run still reads it.
    edit->setEnabled(field.editable);
    edit->setFixedWidth(i < 12 ? 80 : 64);
    edit->setToolTip(InputTip(field));
    connect(edit, &QLineEdit::returnPressed, this, [this] { okButton_->click(); });
    connect(edit, &QLineEdit::textChanged, this, [this] {
      if (session_) session_->contentChanged();
    });
    auto* label = new QLabel(QString::fromUtf8(field.caption.data(), field.caption.size()));
    label->setObjectName(LabelNameFor(i));
    label->setBuddy(edit);
    edits_[i] = edit;

    if (i < 12) {
      // The material choice takes the row above the first material field.
      const int row = i < kMaterialRow ? i : i + 1;
      label->setPalette(blue);
      inputGrid->addWidget(label, row, 0);
      inputGrid->addWidget(edit, row, 1);
    } else if (i < 15) {
      stdColumn->addWidget(label, i - 12, 0);
      stdColumn->addWidget(edit, i - 12, 1);
    } else {
      parameterColumn->addWidget(label, i - 15, 0);
      parameterColumn->addWidget(edit, i - 15, 1);
    }
  }
  parameterColumn->setRowStretch(2, 1);
  inputGrid->addWidget(viscosity, 13, 0, 1, 2);

  MaterialBox::Fields materialFields{};
  for (std::size_t i = 0; i < materialFields.size(); ++i) {
    materialFields[i] = edits_[static_cast<std::size_t>(kelvado::kMaterialFields[i])];
  }
  material_ = new MaterialBox(*dialogs_, materialFields, [this] { return decimalSeparator_; });
  inputGrid->addWidget(material_, kMaterialRow, 0, 1, 2);
  // The pellets' fields beside the material's, the grade's seven following its choice.
  feed_ = new FeedBox(decimalSeparator_);
  material_->setSolidFields(feed_->solidFields());
  inputGrid->addWidget(feed_, kMaterialRow, 2, 14 - kMaterialRow, 1);
  inputGrid->setColumnStretch(0, 1);
  inputGrid_ = inputGrid;
  inputGroup_ = input;
  // The pellets' group shown or hidden changes the width the inputs need.
  connect(feed_->choice(), &QComboBox::currentIndexChanged, this, [this] {
    if (isVisible() && !userSplit_) {
      narrowInputs();
    } else {
      arrangeInputs(inputScroll_->width());
    }
  });
  return input;
}

QWidget* TForm1::buildRightSide() {
  auto* side = new QWidget;
  auto* layout = new QVBoxLayout(side);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* sketchPanel = new QFrame;
  sketchPanel->setObjectName(QStringLiteral("Panel3"));
  sketchPanel->setFrameShape(QFrame::Panel);
  sketchPanel->setFrameShadow(QFrame::Raised);
  auto* sketchLayout = new QVBoxLayout(sketchPanel);
  sketchLayout->setContentsMargins(2, 2, 2, 2);
  // Smaller than drawn, so that the inputs and the plots have the room at the first size.
  sketchLayout->addWidget(Picture(QStringLiteral("Image2"), QStringLiteral(":/pictures/screw_barrel.svg"),
                                  QSize(205, 175), sketchPanel),
                          0, Qt::AlignCenter);
  layout->addWidget(sketchPanel);

  chooser_ = new FolderChooser;
  layout->addWidget(chooser_, 1);

  auto* fileGroup = new QGroupBox(QStringLiteral("Save File Name"));
  fileGroup->setObjectName(QStringLiteral("GroupBox3"));
  fileNameEdit_ = new QLineEdit(QString::fromUtf8(kelvado::kDefaultResultFileName.data(),
                                                  kelvado::kDefaultResultFileName.size()));
  fileNameEdit_->setObjectName(QStringLiteral("Edit18"));
  fileNameEdit_->setFocusPolicy(Qt::ClickFocus);
  connect(fileNameEdit_, &QLineEdit::returnPressed, this, [this] { okButton_->click(); });
  auto* fileLayout = new QVBoxLayout(fileGroup);
  fileLayout->addWidget(fileNameEdit_);
  layout->addWidget(fileGroup);
  return side;
}

QWidget* TForm1::buildButtons() {
  auto* bar = new QWidget;
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(0, 0, 0, 0);

  // "Run" here and on every page that runs cases.
  okButton_ = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), QStringLiteral("Run"));
  okButton_->setToolTip(QStringLiteral("Run the case into the results file (Enter in any field)"));
  okButton_->setObjectName(QStringLiteral("BitBtn1"));
  okButton_->setDefault(true);
  connect(okButton_, &QPushButton::clicked, this, &TForm1::BitBtn1Click);

  auto* closeButton =
      new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Close(&C)"));
  closeButton->setObjectName(QStringLiteral("BitBtn2"));
  connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

  progress_ = new QProgressBar;
  progress_->setObjectName(QStringLiteral("ProgressBar1"));
  progress_->setRange(0, 1000);
  progress_->setValue(0);
  progress_->setFormat(QString());

  cancelButton_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Cancel"));
  cancelButton_->setObjectName(QStringLiteral("BitBtn3"));
  cancelButton_->setEnabled(false);
  connect(cancelButton_, &QPushButton::clicked, this, &TForm1::cancelRun);

  for (QPushButton* button : {okButton_, closeButton, cancelButton_}) button->setFocusPolicy(Qt::NoFocus);
  layout->addWidget(okButton_);
  layout->addWidget(closeButton);
  layout->addWidget(progress_, 1);
  layout->addWidget(cancelButton_);
  return bar;
}

kelvado::RunRequest TForm1::makeRequest() const {
  kelvado::RunRequest request;
  // A material's exact values, not the rounded texts shown, unless the field was edited.
  for (int i = 0; i < kelvado::kInputCount; ++i) request.inputs[i] = rounded_field::Text(edits_[i]).toStdString();
  // The run cuts the name as typed and places it in the open folder: the folder never
  // counts towards the name's length.
  request.resultFileName = QFile::encodeName(fileNameEdit_->text()).toStdString();
  request.resultFolder = QFile::encodeName(chooser_->folder()).toStdString();
  request.decimalSeparator = decimalSeparator_;
  request.encoding = kelvado::TextEncoding::ShiftJis;
  request.keptSteps = plots::kPlottedStepsAtMost;
  request.flowModel = flowModel();
  if (const kelvado::Material* material = material_->currentMaterial()) {
    request.maxProcessingTemp = material->maxProcessingTemp;
    request.fittedWindow = material->fitted;
  }
  return request;
}

ScrewPanel::Channel TForm1::screwChannel() const {
  auto number = [this](kelvado::Field field) {
    return kelvado::ParseNumber(rounded_field::Text(edits_[static_cast<std::size_t>(field)]).toStdString(), decimalSeparator_)
        .value_or(NAN);
  };
  return {number(kelvado::Field::BarrelDiameter), number(kelvado::Field::ScrewPitch),
          number(kelvado::Field::ChannelDepth), number(kelvado::Field::LengthRatio), decimalSeparator_};
}

// A zoned run takes its turns and depths from the zones and its flow from the screw speed: the
// fields it would have read are shown greyed, as the material's are, and say why.
void TForm1::showZonedFields(bool zoned) {
  for (const kelvado::Field field : {kelvado::Field::LengthRatio, kelvado::Field::ChannelDepth,
                                     kelvado::Field::FlowRateRatio}) {
    const auto i = static_cast<std::size_t>(field);
    edits_[i]->setEnabled(!zoned && kelvado::kInputFields[i].editable);
    edits_[i]->setToolTip(zoned ? QStringLiteral("Not used: replaced by the zones and the screw speed on the Screw page")
                                : InputTip(kelvado::kInputFields[i]));
  }
}

ScrewPanel::Zones TForm1::screwZones() {
  ScrewPanel::Zones zones = screw_->zones();
  if (zones.problem.isEmpty() && flowModel() == kelvado::FlowModel::Classic) {
    zones.problem = QString::fromLatin1(kelvado::messages::kZonesNeedConsistentModel);
    zones.zones.clear();
  }
  return zones;
}

std::optional<double> TForm1::screwSpeed() {
  const std::optional<double> rpm = kelvado::ParseNumber(screw_->rpmText().toStdString(), decimalSeparator_);
  if (rpm && *rpm > 0) return rpm;
  plots_->showPage(screw_);
  dialogs_->showMessage(QStringLiteral("%1 is driven at a screw speed: the Screw page's Screw speed (rpm) takes a "
                                       "number above zero, not \u201c%2\u201d.")
                            .arg(feed_->feed() == kelvado::Feed::Pellets ? QStringLiteral("A screw fed with pellets")
                                                                          : QStringLiteral("A screw of zones"),
                                 screw_->rpmText()));
  return std::nullopt;
}

bool TForm1::driveByScrewSpeed(kelvado::RunRequest& request) {
  auto refuse = [this](const QString& text) {
    plots_->showPage(screw_);
    dialogs_->showMessage(text);
    return false;
  };
  ScrewPanel::Zones zones = screwZones();
  if (!zones.problem.isEmpty()) return refuse(zones.problem);
  const std::optional<double> rpm = screwSpeed();
  if (!rpm) return false;
  // A field that is not proper is left for the run, which names it.
  const auto failed = kelvado::DriveRequest(request, zones.zones, *rpm);
  if (failed && failed->status != kelvado::RunStatus::ImproperInput) return refuse(QString::fromStdString(failed->message));
  return true;
}

bool TForm1::makePelletRequest(const kelvado::RunRequest& run, kelvado::PelletRequest& request) {
  // The core's own refusal, before anything else is asked of the case.
  if (run.flowModel != kelvado::FlowModel::Consistent) {
    dialogs_->showMessage(QString::fromLatin1(kelvado::messages::kPelletsNeedConsistentModel));
    return false;
  }
  ScrewPanel::Zones zones = screwZones();
  if (!zones.problem.isEmpty()) {
    plots_->showPage(screw_);
    dialogs_->showMessage(zones.problem);
    return false;
  }
  const std::optional<double> rpm = screwSpeed();
  if (!rpm) return false;
  const auto values = kelvado::ReadPelletInputs(feed_->texts(), decimalSeparator_);
  if (const std::string* problem = std::get_if<std::string>(&values)) {
    dialogs_->showMessage(QString::fromStdString(*problem));
    return false;
  }
  request.run = run;
  request.run.zones = std::move(zones.zones);
  request.rpm = *rpm;
  request.pellet = std::get<kelvado::PelletInputs>(values);
  return true;
}

void TForm1::BitBtn1Click() {
  kelvado::RunRequest request = makeRequest();
  std::optional<kelvado::PelletRequest> pellet;
  if (feed_->feed() == kelvado::Feed::Pellets) {
    // The stages drive the screw at the page's speed themselves, zones or not.
    if (!makePelletRequest(request, pellet.emplace())) return;
  } else if (screw_->zoneCount() > 0 && !driveByScrewSpeed(request)) {
    // With zones, the screw is driven at the page's speed: the zones set the section and the turns.
    return;
  }
  startRun(request, pellet);
}

bool TForm1::startRun(const kelvado::RunRequest& request, const std::optional<kelvado::PelletRequest>& pellet) {
  // The results file follows the outputs' rule of every entry point: a FIFO, socket, folder
  // or file the user may not write is refused before the run, never opened; nor may it be
  // the user's materials file, which the window reads.
  try {
    kelvado::CheckOutputs({kelvado::ResultPath(request)}, {});
  } catch (const std::exception& refused) {
    dialogs_->showError(QString::fromStdString(refused.what()));
    return false;
  }
  if (runInProgress()) return false;
  lastPellet_.reset();
  const bool started = run_.start([this, request, pellet](const std::atomic<bool>&) {
    // The run looks at the cancel flag through its services.
    QtRunServices services(run_, callbacks_);
    if (pellet) {
      kelvado::PelletOutcome outcome = kelvado::RunPelletScrew(*pellet, services);
      lastOutcome_ = outcome.run;
      lastPellet_ = std::move(outcome);
    } else {
      lastOutcome_ = kelvado::RunWithResultsFile(request, services);
    }
  });
  if (!started) return false;
  runZoneEnds_.clear();
  if (pellet) {
    double end = 0;
    for (const kelvado::ScrewZone& zone : pellet->run.zones) runZoneEnds_.push_back(end += zone.turns);
    if (!runZoneEnds_.empty()) runZoneEnds_.pop_back();  // the screw's end is no boundary
  }
  runCase_ = caseData();
  runCase_.inputs = request.inputs;  // as driven, for a screw of zones
  runMaterial_.reset();
  if (const kelvado::Material* material = material_->currentMaterial()) runMaterial_ = *material;
  okButton_->setEnabled(false);
  cancelButton_->setEnabled(true);
  progress_->setValue(0);
  progress_->setFormat(QString());
  emit runStarted();
  return true;
}

// The field goes in front, selected, and the message names it unless it does already.
void TForm1::showInputProblem(int field, const QString& text) {
  const auto index = static_cast<std::size_t>(field);
  QLineEdit* edit = edits_[index];
  const std::string_view name = kelvado::kInputFields[index].caption;
  const QString caption = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  edit->setFocus();
  edit->selectAll();
  dialogs_->showMessage(text.contains(caption) ? text : QStringLiteral("%1\n%2: \"%3\"").arg(text, caption, edit->text()));
}

void TForm1::cancelRun() {
  if (!runInProgress()) return;
  run_.cancel();
  cancelButton_->setEnabled(false);
}

void TForm1::showProgress(double turns, double totalTurns) {
  if (totalTurns <= 0) return;
  progress_->setValue(qBound(0, qRound(1000 * turns / totalTurns), 1000));
  // The total as the user typed it; the turns reached with the same decimal separator.
  const QString reached = QString::number(turns, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(decimalSeparator_));
  // The run's L/D as it read it: the case's, or the zones' turns; fed with pellets, the
  // progress is the melt stage's, over the turns left to it.
  if (runCase_.feed == kelvado::Feed::Pellets) {
    progress_->setFormat(QStringLiteral("melt: %1 of %2 turns")
                             .arg(reached, QString::number(totalTurns, 'f', 2).replace(QLatin1Char('.'),
                                                                                      QLatin1Char(decimalSeparator_))));
    return;
  }
  const QString total = QString::fromStdString(runCase_.inputs[kelvado::Field::LengthRatio]);
  progress_->setFormat(QStringLiteral("%1 of %2 turns").arg(reached, total));
}

void TForm1::runEnded() {
  okButton_->setEnabled(true);
  cancelButton_->setEnabled(false);
  const kelvado::RunOutcome& outcome = lastOutcome_;
  if (outcome.status != kelvado::RunStatus::Finished) {
    // The bar must not pass for the turns of a run that did not finish.
    progress_->setValue(0);
    progress_->setFormat(QString());
  }
  const QString detail = QString::fromStdString(outcome.detail);
  // These two end a run at once without a message of the run's own.
  if (!closeWhenRunEnds_) {
    if (outcome.status == kelvado::RunStatus::ArithmeticFault) {
      dialogs_->showError(QStringLiteral("The calculation stopped on an arithmetic fault: %1.").arg(detail));
    } else if (outcome.status == kelvado::RunStatus::WriteError) {
      dialogs_->showError(QStringLiteral("The results file could not be written: %1.").arg(detail));
    }
  }
  plots_->setRunName({session_->caseName(), QString::fromStdString(runCase_.inputs[kelvado::Field::OutputRate]),
                      outcome.summary.Rpm, runMaterial_ ? QString::fromStdString(runMaterial_->name) : MaterialBox::kCustom,
                      runCase_.flowModel, runCase_.zones.size()});
  if (lastPellet_ && lastPellet_->plastication.meltingEndTurn) {
    // The melt stage counts its turns from where melting ended; the plots count the screw's.
    kelvado::RunOutcome shown = outcome;
    const double start = *lastPellet_->plastication.meltingEndTurn;
    for (kelvado::StepRecord& step : shown.record.steps) step.Turns += start;
    for (kelvado::ZoneRecord& zone : shown.record.zones) {
      zone.StartTurns += start;
      zone.EndTurns += start;
    }
    plots_->showOutcome(shown, runCase_.flowModel);
  } else {
    plots_->showOutcome(outcome, runCase_.flowModel);
  }
  if (lastPellet_ && outcome.status == kelvado::RunStatus::Finished) {
    screw_->showPelletRun({lastPellet_->profile, lastPellet_->plastication, runZoneEnds_});
  } else {
    screw_->clearPelletRun();
  }
  emit runFinished();
  if (closeWhenRunEnds_) close();
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The first time, the inputs take the least room they need and the plots the rest.
  if (splitterRestored_) return;
  splitterRestored_ = true;
  narrowInputs();
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Until the user moves the splitter, the inputs take the room their arrangement needs.
  if (splitterRestored_ && !userSplit_ && event->size().width() != event->oldSize().width()) narrowInputs();
}

// The arrangements of the inputs' groups, widest first: all side by side; the pellets' group
// under the viscosity's; and then the screw picture and the folders under the inputs too.
constexpr int kArrangements = 3;

void TForm1::setArrangement(int level) {
  if (level == arrangement_) return;
  arrangement_ = level;
  constexpr int kMaterialRow = static_cast<int>(kelvado::Field::Density);
  inputGrid_->removeWidget(feed_);
  if (level >= 1) {
    inputGrid_->addWidget(feed_, 14, 0, 1, 2);
  } else {
    inputGrid_->addWidget(feed_, kMaterialRow, 2, 14 - kMaterialRow, 1);
  }
  columns_->removeWidget(rightSide_);
  if (level >= 2) {
    columns_->addWidget(rightSide_, 1, 0);
  } else {
    columns_->addWidget(rightSide_, 0, 1);
  }
  // At once, so that the sizes asked for next are those of this arrangement.
  for (QLayout* layout : panel_->findChildren<QLayout*>()) layout->invalidate();
  inputGroup_->updateGeometry();
}

// The width the inputs need in an arrangement, with a scroll bar when they are taller than `height`.
int TForm1::inputsWidth(int level, int height) {
  setArrangement(level);
  const QSize need = panel_->minimumSizeHint();
  const int bar = need.height() > height ? inputScroll_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
  return need.width() + bar;
}

// The widest arrangement that fits the width.
void TForm1::arrangeInputs(int width) {
  const int height = inputScroll_->height();
  int level = 0;
  while (level + 1 < kArrangements && inputsWidth(level, height) > width) ++level;
  setArrangement(level);
}

// The inputs as wide as the widest arrangement that leaves the plots their tabs whole; the
// plots take the rest.
void TForm1::narrowInputs() {
  const int room = splitter_->width() - splitter_->handleWidth();
  const int height = splitter_->height();
  int inputs = -1;
  for (int level = 0; level < kArrangements && inputs < 0; ++level) {
    if (const int need = inputsWidth(level, height); room - need >= plots_->minimumSizeHint().width()) inputs = need;
  }
  if (inputs < 0) inputs = inputsWidth(kArrangements - 1, height);
  arrangeInputs(inputs);
  splitter_->setSizes({inputs, room - inputs});
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == inputScroll_ && event->type() == QEvent::Resize) arrangeInputs(inputScroll_->width());
  return QWidget::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event) {
  // Unsaved changes are asked about first, once: "Cancel" leaves a run going as it was.
  if (!closeWhenRunEnds_ && !session_->maybeSave()) {
    event->ignore();
    return;
  }
  // A run in progress is cancelled; the window closes when it has ended.
  if (runInProgress()) {
    closeWhenRunEnds_ = true;
    cancelRun();
    event->ignore();
    return;
  }
  rememberLayout();
  event->accept();
}

void TForm1::rememberLayout() const {
  WindowSettings settings;
  settings.setValue(kGeometryKey, saveGeometry());
  settings.setValue(kSplitterKey, splitter_->saveState());
  settings.setValue(kPageKey, plots_->currentPage());
}

bool TForm1::restoreLayout() {
  const WindowSettings settings;
  plots_->setCurrentPage(settings.value(kPageKey, 0).toInt());
  splitterRestored_ = settings.contains(kSplitterKey) && splitter_->restoreState(settings.value(kSplitterKey).toByteArray());
  userSplit_ = splitterRestored_;
  return settings.contains(kGeometryKey) && restoreGeometry(settings.value(kGeometryKey).toByteArray());
}

QMenuBar* TForm1::buildMenuBar() {
  auto* bar = new QMenuBar;
  bar->setObjectName(QStringLiteral("MenuBar"));
  auto add = [this](QMenu* menu, const char* name, const QString& text, QKeySequence keys, auto slot) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("MenuFile"));
  add(file, "actionNewCase", QStringLiteral("&New case"), QKeySequence::New, [this] { session_->newCase(); });
  add(file, "actionOpenCase", QStringLiteral("&Open case..."), QKeySequence::Open, [this] { session_->openWithDialog(); });
  add(file, "actionSaveCase", QStringLiteral("&Save case"), QKeySequence::Save, [this] { session_->save(); });
  add(file, "actionSaveCaseAs", QStringLiteral("Save case &as..."), QKeySequence::SaveAs, [this] { session_->saveAs(); });
  QMenu* recent = file->addMenu(QStringLiteral("&Recent cases"));
  recent->setObjectName(QStringLiteral("MenuRecentCases"));
  connect(recent, &QMenu::aboutToShow, this, [this, recent] { session_->fillRecentMenu(recent); });
  file->addSeparator();
  add(file, "actionExportReport", QStringLiteral("&Export report..."), QKeySequence::Print,
      [this] { exportReportWithDialog(); });
  file->addSeparator();
  add(file, "actionQuit", QStringLiteral("&Quit"), QKeySequence::Quit, [this] { close(); });

  QMenu* materials = bar->addMenu(QStringLiteral("&Material"));
  materials->setObjectName(QStringLiteral("MenuMaterial"));
  auto fitDialog = [this](MaterialFitDialog::Source source) {
    MaterialFitDialog dialog(source, *dialogs_, *material_, this);
    dialog.exec();
  };
  add(materials, "actionFitFromData", QStringLiteral("&Fit from data\u2026"), QKeySequence(),
      [fitDialog] { fitDialog(MaterialFitDialog::Source::Data); });
  add(materials, "actionFromDataSheetModel", QStringLiteral("From &data-sheet model\u2026"), QKeySequence(),
      [fitDialog] { fitDialog(MaterialFitDialog::Source::Model); });
  add(materials, "actionManageMaterials", QStringLiteral("&Manage materials\u2026"), QKeySequence(), [this] {
    ManageMaterialsDialog dialog(*dialogs_, *material_, this);
    dialog.exec();
  });

  QMenu* view = bar->addMenu(QStringLiteral("&View"));
  view->setObjectName(QStringLiteral("MenuView"));
  QMenu* units = view->addMenu(QStringLiteral("&Pressure unit"));
  auto* group = new QActionGroup(units);
  for (const display_units::PressureUnitInfo& info : display_units::kPressureUnits) {
    QAction* action = units->addAction(display_units::Label(info.unit));
    action->setObjectName(QStringLiteral("actionPressureUnit_%1").arg(QLatin1String(info.key)));
    action->setCheckable(true);
    action->setChecked(info.unit == display_units::RememberedPressureUnit());
    action->setActionGroup(group);
    connect(action, &QAction::triggered, this, [this, unit = info.unit] { setPressureUnit(unit); });
  }
  QAction* finishBox = view->addAction(QStringLiteral("&Finish box after each run"));
  finishBox->setObjectName(QStringLiteral("actionFinishBox"));
  finishBox->setCheckable(true);
  finishBox->setChecked(WindowSettings().value(kFinishBoxKey, true).toBool());
  connect(finishBox, &QAction::toggled, this, [](bool on) { WindowSettings().setValue(kFinishBoxKey, on); });
  help_menu::AddHelpMenu(bar, this);
  return bar;
}

void TForm1::updateTitle() { setWindowTitle(session_->windowTitle()); }

kelvado::CaseData TForm1::caseData() const {
  kelvado::CaseData data;
  for (int i = 0; i < kelvado::kInputCount; ++i) data.inputs[i] = rounded_field::Text(edits_[i]).toStdString();
  data.flowModel = flowModel();
  data.dieSections = dieSections_;
  data.zones = zones_;
  // The speed matters to a screw of zones; a case without keeps the one it was read with.
  data.rpm = zones_.empty() ? caseRpm_ : std::optional<std::string>(screw_->rpmText().toStdString());
  if (const kelvado::Material* material = material_->currentMaterial()) data.material = material->name;
  // A melt-fed case's file stays as it always was: the pellets' values go with pellets only.
  data.feed = feed_->feed();
  if (data.feed == kelvado::Feed::Pellets) data.pellet = feed_->texts();
  return data;
}

void TForm1::applyCase(const kelvado::CaseData& data) {
  // Nothing of the last case stays on show, nor goes into a report of this one.
  if (runInProgress()) {
    cancelRun();
  } else {
    lastOutcome_ = kelvado::RunOutcome{};
    lastPellet_.reset();
  }
  plots_->clearResults();
  screw_->clearPelletRun();
  for (int i = 0; i < kelvado::kInputCount; ++i) {
    rounded_field::Forget(edits_[i]);  // the case's text, even where it reads as the rounded one
    edits_[i]->setText(QString::fromStdString(data.inputs[i]));
  }
  // The case's own material, never the last session's.
  const QString mismatch = material_->showCase(data);
  if (!mismatch.isEmpty()) dialogs_->showWarning(QStringLiteral("Material"), mismatch);
  kelvado::PelletTexts pellet = data.pellet;
  auto& hopper = pellet[static_cast<std::size_t>(kelvado::PelletField::HopperPressure)];
  if (!hopper) hopper = kelvado::ExactNumberText(kelvado::kDefaultHopperPressure, decimalSeparator_);
  feed_->setTexts(pellet);
  material_->fillEmptySolidFields();
  feed_->setFeed(data.feed);
  setFlowModel(data.flowModel);
  setDieSections(data.dieSections);
  zones_ = data.zones;
  screw_->showZoneTexts(zones_);
  caseRpm_ = data.rpm;
  if (data.rpm) screw_->setRpmText(QString::fromStdString(*data.rpm));
  // An undo must never reach back into the case before.
  if (history_) history_->reset();
}

// The die of the case is the die page's: an edit there that makes a die is the case's die,
// and a case's die is shown there. The page's texts may be written differently from a
// file's, so a die shown from a case is kept as read until the page is edited.
void TForm1::connectDiePage() {
  DiePanel* page = plots_->diePanel();
  dieSections_ = page->sectionTexts().value_or(std::vector<std::string>{});
  connect(page, &DiePanel::sectionsEdited, this, [this, page] {
    if (showingDie_) return;
    if (std::optional<std::vector<std::string>> texts = page->sectionTexts()) setDieSections(std::move(*texts));
  });
  connect(this, &TForm1::dieSectionsChanged, page, [this, page] {
    showingDie_ = true;
    page->showSectionTexts(dieSections_);
    showingDie_ = false;
  });
}

kelvado::FlowModel TForm1::flowModel() const { return flowModelBox_->model(); }

void TForm1::setFlowModel(kelvado::FlowModel model) {
  if (model == flowModel()) return;
  flowModelBox_->setModel(model);  // the box says the case changed
  emit flowModelChanged(model);
}

void TForm1::setDieSections(std::vector<std::string> sections) {
  if (sections == dieSections_) return;
  dieSections_ = std::move(sections);
  if (session_) session_->contentChanged();
  emit dieSectionsChanged();
}

display_units::PressureUnit TForm1::pressureUnit() const { return plots_->pressureUnit(); }

void TForm1::setPressureUnit(display_units::PressureUnit unit) {
  plots_->setPressureUnit(unit);
  screw_->setPressureUnit(unit);
  display_units::RememberPressureUnit(unit);
  const QString name = QStringLiteral("actionPressureUnit_%1").arg(QLatin1String(display_units::Info(unit).key));
  if (auto* action = findChild<QAction*>(name)) action->setChecked(true);
  emit pressureUnitChanged(unit);
}

bool TForm1::exportReport(const QString& path, QString* error) const {
  // The outcome is the running run's to write until it has ended.
  if (runInProgress() || lastOutcome_.status != kelvado::RunStatus::Finished) {
    if (error) *error = QStringLiteral("there is no finished run to report: press Run to run the case first");
    return false;
  }
  report_pdf::ReportContent content;
  content.caseName = session_->caseName();
  content.inputs = runCase_.inputs;
  content.decimalSeparator = decimalSeparator_;
  content.flowModel = runCase_.flowModel;
  content.dieSections = runCase_.dieSections;
  content.material = runMaterial_ ? QString::fromStdString(runMaterial_->name) : MaterialBox::kCustom;
  if (runMaterial_) content.materialSource = QString::fromStdString(runMaterial_->source);
  if (const DiePanel* die = plots_->diePanel(); die->hasPoint()) content.operatingPoint = die->result();
  content.outcome = lastOutcome_;
  if (lastPellet_) {
    const double turns = lastPellet_->profile.empty() ? 0 : lastPellet_->profile.back().turn;
    content.pellets = report_pdf::ReportContent::Pellets{runCase_.pellet, lastPellet_->plastication, turns};
  }
  content.pressureUnit = pressureUnit();
  return report_pdf::WriteReportPdf(content, path, error);
}

void TForm1::exportReportWithDialog() {
  const QString title = QStringLiteral("Export report");
  QString error;
  if (runInProgress() || lastOutcome_.status != kelvado::RunStatus::Finished) {
    exportReport(QString(), &error);
    dialogs_->showWarning(title, QStringLiteral("No report was written: %1.").arg(error));
    return;
  }
  const QString folder = session_->path().isEmpty() ? chooser_->folder() : QFileInfo(session_->path()).absolutePath();
  QString path = dialogs_->askSaveFileName(title, QDir(folder).filePath(session_->caseName() + QStringLiteral(".pdf")),
                                           QStringLiteral("PDF document (*.pdf)"));
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
  if (!exportReport(path, &error)) dialogs_->showWarning(title, QStringLiteral("No report was written: %1.").arg(error));
}
