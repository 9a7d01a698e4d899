// SPDX-License-Identifier: Apache-2.0
#include "app/material_box.h"

#include <algorithm>

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <system_error>

#include "app/caption_palette.h"
#include "app/dialogs.h"
#include "app/rounded_field.h"
#include "app/settings.h"
#include "case/compose.h"
#include "solver/input_fields.h"

namespace {

const QString kChoiceKey = QStringLiteral("material");
const QString kCustomTextsKey = QStringLiteral("customMaterialTexts");
const QString kCustomSolidKey = QStringLiteral("customSolidTexts");
const QString kSaveTitle = QStringLiteral("Save material");

QString Text(const std::string& text) { return QString::fromStdString(text); }

// The item's tip: what the material is and where its numbers come from.
QString SourceTip(const kelvado::Material& material) {
  QString tip = Text(material.family);
  if (!tip.isEmpty()) tip += QStringLiteral("\n");
  return tip + Text(material.source);
}

}  // namespace

const QString MaterialBox::kCustom = QStringLiteral("Custom");

MaterialBox::MaterialBox(WindowDialogs& dialogs, const Fields& fields, std::function<char()> separator,
                         std::optional<Files> files, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), fields_(fields), separator_(std::move(separator)) {
  setObjectName(QStringLiteral("MaterialBox"));
  choice_ = new QComboBox;
  choice_->setObjectName(QStringLiteral("MaterialChoice"));
  // Long names are cut in the box and shown whole in the list and the tip.
  choice_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  choice_->setMinimumContentsLength(14);
  choice_->setFocusPolicy(Qt::ClickFocus);  // Alt+M reaches it; Tab walks the fields only
  save_ = new QPushButton(QStringLiteral("Save material\u2026"));
  save_->setObjectName(QStringLiteral("SaveMaterial"));
  save_->setToolTip(QStringLiteral("Save the \"Custom\" fields under a name among your own materials."));
  save_->setFocusPolicy(Qt::NoFocus);

  auto* label = new QLabel(QStringLiteral("&Material"));
  label->setObjectName(QStringLiteral("MaterialLabel"));
  label->setBuddy(choice_);
  label->setPalette(CaptionPalette(label->palette()));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 4, 0, 4);
  layout->addWidget(label);
  layout->addWidget(choice_, 1);
  layout->addWidget(save_);

  loadCatalog(files);
  fillChoice();
  restoreChoice();
  connect(choice_, &QComboBox::currentIndexChanged, this, &MaterialBox::chosen);
  connect(save_, &QPushButton::clicked, this, &MaterialBox::saveCustom);
  for (QLineEdit* field : fields_) {
    connect(field, &QLineEdit::textEdited, this, [this] {
      if (isCustom()) rememberCustomFields();
    });
  }
}

void MaterialBox::loadCatalog(const std::optional<Files>& files) {
  QStringList errors;
  try {
    catalog_.libraryFile = files ? files->library : kelvado::FindLibraryFile();
    catalog_.library = kelvado::ReadMaterialsFile(catalog_.libraryFile);
  } catch (const kelvado::MaterialError& error) {
    errors << QString::fromUtf8(error.what());
    catalog_.library.clear();
  }
  if (catalog_.library.empty()) {
    // The default melt is offered all the same, from the default texts.
    kelvado::Material melt;
    melt.name = "Default melt";
    melt.source = "The program's own default material fields.";
    melt.values = *kelvado::MaterialValues(kelvado::DefaultInputTexts());
    catalog_.library.push_back(melt);
  }
  try {
    catalog_.userFile = files ? files->user : kelvado::UserMaterialsFile();
    std::error_code ec;
    if (std::filesystem::exists(catalog_.userFile, ec)) catalog_.user = kelvado::ReadMaterialsFile(catalog_.userFile);
    catalog_.setAside.clear();
    catalog_.warnings.clear();
    catalog_.SetAsideLibraryNames();
    for (const std::string& warning : catalog_.warnings) errors << QString::fromUtf8(warning.c_str());
  } catch (const kelvado::MaterialError& error) {
    // Saving would overwrite the file that could not be read: it is refused.
    errors << QString::fromUtf8(error.what());
    userFileReadable_ = false;
  }
  if (errors.isEmpty()) return;
  const QString text = QStringLiteral("The window opens with the default melt and what could be read.\n\n") +
                       errors.join(QStringLiteral("\n\n"));
  QTimer::singleShot(0, this, [this, text] { dialogs_.showWarning(QStringLiteral("Materials"), text); });
}

void MaterialBox::fillChoice() {
  const QSignalBlocker blocker(choice_);
  choice_->clear();
  auto add = [this](const std::vector<kelvado::Material>& list, Kind kind) {
    if (list.empty()) return;
    if (choice_->count() > 0) choice_->insertSeparator(choice_->count());
    for (int i = 0; i < int(list.size()); ++i) {
      choice_->addItem(Text(list[i].name), QVariantList{int(kind), i});
      choice_->setItemData(choice_->count() - 1, SourceTip(list[i]), Qt::ToolTipRole);
    }
  };
  add(catalog_.library, Kind::Library);
  add(catalog_.user, Kind::User);
  choice_->insertSeparator(choice_->count());
  choice_->addItem(kCustom, QVariantList{int(Kind::Custom), 0});
  choice_->setItemData(choice_->count() - 1, QStringLiteral("Fields of your own, editable; \"Save material\u2026\" keeps them."),
                       Qt::ToolTipRole);
}

// The choice of the last session. The default melt, chosen when nothing else is, leaves the
// default texts as they are.
void MaterialBox::restoreChoice() {
  const QString remembered = WindowSettings().value(kChoiceKey).toString();
  int index = 0;
  if (remembered == kCustom) {
    index = choice_->count() - 1;
    const QStringList texts = WindowSettings().value(kCustomTextsKey).toStringList();
    if (texts.size() == int(fields_.size())) {
      for (std::size_t i = 0; i < fields_.size(); ++i) fields_[i]->setText(texts[int(i)]);
    }
  } else if (const kelvado::Material* material = catalog_.Find(remembered.toStdString()); !remembered.isEmpty() && material) {
    if (const int row = indexOf(material); row >= 0) index = row;
  }
  {
    const QSignalBlocker blocker(choice_);
    choice_->setCurrentIndex(index);
  }
  if (index == 0) {
    for (QLineEdit* field : fields_) field->setEnabled(false);
    save_->setEnabled(false);
  } else {
    chosen(index);
  }
}

const kelvado::Material* MaterialBox::materialAt(int index) const {
  const QVariantList data = choice_->itemData(index).toList();
  if (data.size() != 2) return nullptr;
  const int at = data[1].toInt();
  switch (static_cast<Kind>(data[0].toInt())) {
    case Kind::Library:
      return &catalog_.library.at(std::size_t(at));
    case Kind::User:
      return &catalog_.user.at(std::size_t(at));
    case Kind::Custom:
      break;
  }
  return nullptr;
}

bool MaterialBox::isCustom() const {
  const QVariantList data = choice_->currentData().toList();
  return data.size() == 2 && static_cast<Kind>(data[0].toInt()) == Kind::Custom;
}

QString MaterialBox::currentName() const { return choice_->currentText(); }

int MaterialBox::indexOf(const kelvado::Material* material) const {
  for (int i = 0; material && i < choice_->count(); ++i) {
    if (materialAt(i) == material) return i;
  }
  return -1;
}

const kelvado::Material* MaterialBox::currentMaterial() const { return materialAt(choice_->currentIndex()); }

kelvado::InputTexts MaterialBox::fieldTexts() const {
  kelvado::InputTexts texts;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    texts[kelvado::kMaterialFields[i]] = rounded_field::Text(fields_[i]).toStdString();
  }
  return texts;
}

void MaterialBox::chosen(int index) {
  // "Custom" starts from the texts the fields hold.
  if (const kelvado::Material* material = materialAt(index)) {
    kelvado::InputTexts texts;
    kelvado::ApplyMaterial(*material, texts, separator_());
    for (std::size_t i = 0; i < fields_.size(); ++i) fields_[i]->setText(Text(texts[kelvado::kMaterialFields[i]]));
    fillSolid(*material, false);
  }
  showChoice(index);
}

void MaterialBox::showChoice(int index) {
  if (choice_->currentIndex() != index) {
    const QSignalBlocker blocker(choice_);
    choice_->setCurrentIndex(index);
  }
  const kelvado::Material* material = materialAt(index);
  const bool custom = material == nullptr;
  // A material's values, exact in the fields, are shown rounded for reading.
  if (!custom) {
    for (QLineEdit* field : fields_) rounded_field::Show(field, rounded_field::Text(field), separator_());
    for (QLineEdit* field : solid_) {
      if (field) rounded_field::Show(field, rounded_field::Text(field), separator_());
    }
  }
  for (QLineEdit* field : fields_) field->setEnabled(custom);
  for (QLineEdit* field : solid_) {
    if (field) field->setEnabled(custom);
  }
  save_->setEnabled(custom);
  if (custom) rememberCustomSolid();
  WindowSettings settings;
  settings.setValue(kChoiceKey, custom ? kCustom : Text(material->name));
  if (custom) rememberCustomFields();
  emit choiceChanged();
}

QString MaterialBox::showCase(const kelvado::CaseData& data) {
  const kelvado::Material* material = kelvado::CaseMaterial(data, catalog_, separator_());
  const int row = indexOf(material);
  showChoice(row >= 0 ? row : choice_->count() - 1);  // else "Custom"
  if (!data.material || material) return {};
  const QString quoted = QStringLiteral("\u201c%1\u201d").arg(Text(*data.material));
  return catalog_.Find(*data.material)
             ? QStringLiteral("The case names the material %1, but its values differ from %1's here; the fields "
                              "show the case's own values, as \u201cCustom\u201d.")
                   .arg(quoted)
             : QStringLiteral("The case names the material %1, which is not among the materials here; the fields "
                              "show the case's own values, as \u201cCustom\u201d.")
                   .arg(quoted);
}

void MaterialBox::saveCustom() {
  if (!isCustom()) return;
  if (const std::optional<QString> refused = refuseWrite()) {
    dialogs_.showWarning(kSaveTitle, *refused);
    return;
  }
  const std::optional<std::array<double, kelvado::kMaterialFields.size()>> values =
      kelvado::MaterialValues(fieldTexts(), separator_());
  if (!values) {
    dialogs_.showWarning(kSaveTitle, QStringLiteral("Each of the eight material fields must hold a number; "
                                                    "nothing was saved."));
    return;
  }
  const std::optional<QString> answer =
      dialogs_.askText(kSaveTitle, QStringLiteral("Name of the material (one of yours with this name is replaced):"));
  if (!answer || answer->trimmed().isEmpty()) return;
  kelvado::Material material;
  material.name = answer->trimmed().toStdString();
  material.values = *values;
  // The solid-state values go with it when all seven are numbers.
  std::array<double, kelvado::kSolidStateCount> solid{};
  bool allSolid = solid_[0] != nullptr;
  for (std::size_t i = 0; allSolid && i < solid.size(); ++i) {
    const std::optional<double> value = kelvado::ParseNumber(rounded_field::Text(solid_[i]).toStdString(), separator_());
    allSolid = value.has_value();
    if (value) solid[i] = *value;
  }
  if (allSolid) material.solid = solid;
  if (const std::optional<QString> error = saveMaterial(material)) dialogs_.showWarning(kSaveTitle, *error);
}

std::optional<QString> MaterialBox::refuseWrite() const {
  if (userFileReadable_) return std::nullopt;
  return QStringLiteral("Your materials file %1 could not be read, so nothing is saved into it; mend or remove it "
                        "and open the window again.")
      .arg(QString::fromStdString(catalog_.userFile.string()));
}

std::optional<QString> MaterialBox::saveMaterial(kelvado::Material material) {
  if (const std::optional<QString> refused = refuseWrite()) return refused;
  if (QString::compare(Text(material.name).trimmed(), kCustom, Qt::CaseInsensitive) == 0) {
    return QStringLiteral("\"%1\" is the name of the choice itself; choose another name.").arg(kCustom);
  }
  try {
    catalog_.SaveUserMaterial(material);
  } catch (const kelvado::MaterialError& error) {
    return QString::fromUtf8(error.what());
  }
  refill();
  const kelvado::Material* saved = catalog_.Find(material.name);
  if (const int row = indexOf(saved); row >= 0) choice_->setCurrentIndex(row);  // fills the fields, read-only
  return std::nullopt;
}

std::optional<QString> MaterialBox::renameUserMaterial(const std::string& name, const QString& newName) {
  if (const std::optional<QString> refused = refuseWrite()) return refused;
  const auto mine = std::find_if(catalog_.user.begin(), catalog_.user.end(),
                                 [&name](const kelvado::Material& m) { return m.name == name; });
  if (mine == catalog_.user.end()) return QStringLiteral("\"%1\" is not one of your materials.").arg(Text(name));
  kelvado::Material renamed = *mine;
  renamed.name = newName.trimmed().toStdString();
  if (const kelvado::Material* other = catalog_.Find(renamed.name); other && other != &*mine) {
    return QStringLiteral("There is a material named \"%1\" already; choose another name.").arg(Text(renamed.name));
  }
  const bool wasChosen = currentMaterial() == &*mine;
  try {
    // The new entry is written before the old one goes, so a failure loses nothing.
    kelvado::MaterialCatalog changed = catalog_;
    changed.SaveUserMaterial(renamed);
    changed.RemoveUserMaterial(name);
    catalog_ = std::move(changed);
  } catch (const kelvado::MaterialError& error) {
    return QString::fromUtf8(error.what());
  }
  refill();
  if (wasChosen) showChoice(choice_->findText(Text(renamed.name)));
  return std::nullopt;
}

std::optional<QString> MaterialBox::removeUserMaterial(const std::string& name) {
  if (const std::optional<QString> refused = refuseWrite()) return refused;
  const kelvado::Material* chosen = currentMaterial();
  const bool wasChosen = std::any_of(catalog_.user.begin(), catalog_.user.end(),
                                     [&](const kelvado::Material& m) { return m.name == name && &m == chosen; });
  try {
    catalog_.RemoveUserMaterial(name);
  } catch (const kelvado::MaterialError& error) {
    return QString::fromUtf8(error.what());
  }
  refill();
  // The fields keep the removed material's values, now as "Custom".
  if (wasChosen) showChoice(choice_->count() - 1);
  return std::nullopt;
}

void MaterialBox::setSolidFields(const SolidFields& fields) {
  solid_ = fields;
  for (QLineEdit* field : solid_) {
    connect(field, &QLineEdit::textEdited, this, [this] {
      if (isCustom()) rememberCustomSolid();
    });
  }
  if (const kelvado::Material* material = currentMaterial()) {
    fillSolid(*material, false);
  } else {
    const QStringList texts = WindowSettings().value(kCustomSolidKey).toStringList();
    if (texts.size() == int(solid_.size())) {
      for (std::size_t i = 0; i < solid_.size(); ++i) solid_[i]->setText(texts[int(i)]);
    }
  }
  for (QLineEdit* field : solid_) field->setEnabled(isCustom());
}

void MaterialBox::fillEmptySolidFields() {
  if (const kelvado::Material* material = currentMaterial()) fillSolid(*material, true);
}

void MaterialBox::fillSolid(const kelvado::Material& material, bool onlyEmpty) {
  for (std::size_t i = 0; i < solid_.size(); ++i) {
    if (!solid_[i] || (onlyEmpty && !solid_[i]->text().isEmpty())) continue;
    solid_[i]->setText(material.solid ? Text(kelvado::ExactNumberText((*material.solid)[i], separator_())) : QString());
  }
}

void MaterialBox::rememberCustom() const {
  if (!isCustom()) return;
  rememberCustomFields();
  rememberCustomSolid();
}

void MaterialBox::rememberCustomFields() const {
  QStringList texts;
  for (const QLineEdit* field : fields_) texts << rounded_field::Text(field);
  WindowSettings().setValue(kCustomTextsKey, texts);
}

void MaterialBox::rememberCustomSolid() const {
  if (!solid_[0]) return;
  QStringList texts;
  for (const QLineEdit* field : solid_) texts << rounded_field::Text(field);
  WindowSettings().setValue(kCustomSolidKey, texts);
}

void MaterialBox::refill() {
  const QString chosen = currentName();
  fillChoice();
  const int index = choice_->findText(chosen);
  const QSignalBlocker blocker(choice_);
  choice_->setCurrentIndex(index >= 0 ? index : choice_->count() - 1);
}
