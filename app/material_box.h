// SPDX-License-Identifier: Apache-2.0
#pragma once
// The "Material" choice above the material fields: the library's materials (the first is the
// program's default melt), the user's own, and "Custom". A material fills the eight fields
// and leaves them read-only; "Custom" makes them editable and can be saved under a name into
// the user's materials file. The choice, and the texts of "Custom", are remembered between
// sessions.
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <optional>

#include "case/case_file.h"
#include "materials/material_library.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class WindowDialogs;

class MaterialBox : public QWidget {
  Q_OBJECT

 public:
  using Fields = std::array<QLineEdit*, kelvado::kMaterialFields.size()>;
  // The pellets' seven solid-state fields, kPelletFields order.
  using SolidFields = std::array<QLineEdit*, kelvado::kSolidStateCount>;

  // Where the materials are read from; by default the installed library and the user's file.
  struct Files {
    std::filesystem::path library;
    std::filesystem::path user;
  };

  // `fields` are the eight material fields in kMaterialFields order, holding the default
  // texts; `separator` gives the window's decimal separator when a material fills them. A
  // file that can not be read is reported once through `dialogs`, when the event loop next
  // runs; without the library the default melt is still offered.
  MaterialBox(WindowDialogs& dialogs, const Fields& fields, std::function<char()> separator,
              std::optional<Files> files = std::nullopt, QWidget* parent = nullptr);

  // The name shown in the choice: a material's, or "Custom".
  QString currentName() const;
  bool isCustom() const;
  // The material chosen; null for "Custom".
  const kelvado::Material* currentMaterial() const;
  const kelvado::MaterialCatalog& catalog() const { return catalog_; }

  // Shows the material of a case whose eight fields already hold `texts`: the one it names
  // when its values are the texts, else "Custom" and a message why; a case that names none
  // gets the first material with those values, else "Custom". The fields keep their texts.
  QString showCase(const kelvado::CaseData& data);

  // The user's materials, through this box so that its list follows: each returns what went
  // wrong, or nothing. A saved material is chosen; one of the user's with its name is
  // replaced, a library name or "Custom" is refused; nothing is written while the user's
  // file could not be read.
  std::optional<QString> saveMaterial(kelvado::Material material);
  std::optional<QString> renameUserMaterial(const std::string& name, const QString& newName);
  std::optional<QString> removeUserMaterial(const std::string& name);

  // The solid-state fields follow the choice as the eight do: a material fills them with its
  // values (empties them when it has none) and leaves them read-only; "Custom" keeps its own.
  void setSolidFields(const SolidFields& fields);
  // Fills the solid-state fields a case left empty from the material chosen, where it has them.
  void fillEmptySolidFields();
  // "Custom" remembers, for the next window, the texts its fields hold now (their texts set
  // by an undo, say, rather than typed).
  void rememberCustom() const;

  static const QString kCustom;

 signals:
  // Another material or "Custom" was chosen, by the user or by a case.
  void choiceChanged();

 private:
  enum class Kind { Library, User, Custom };

  void loadCatalog(const std::optional<Files>& files);
  void fillChoice();
  void restoreChoice();
  void chosen(int index);
  void showChoice(int index);  // the fields' state and the remembered choice, texts as they are
  void saveCustom();
  std::optional<QString> refuseWrite() const;
  void refill();  // the list again after the user's materials changed, the choice kept where it can be
  const kelvado::Material* materialAt(int index) const;
  // The row of the material in the box; -1 for none (or no material).
  int indexOf(const kelvado::Material* material) const;
  kelvado::InputTexts fieldTexts() const;
  void fillSolid(const kelvado::Material& material, bool onlyEmpty);
  void rememberCustomFields() const;  // the eight
  void rememberCustomSolid() const;

  WindowDialogs& dialogs_;
  Fields fields_;
  SolidFields solid_{};
  std::function<char()> separator_;
  kelvado::MaterialCatalog catalog_;
  bool userFileReadable_ = true;
  QComboBox* choice_ = nullptr;
  QPushButton* save_ = nullptr;
};
