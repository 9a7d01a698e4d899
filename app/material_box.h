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

#include "materials/material_library.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class WindowDialogs;

class MaterialBox : public QWidget {
  Q_OBJECT

 public:
  using Fields = std::array<QLineEdit*, kelvado::kMaterialFields.size()>;

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

  static const QString kCustom;

 private:
  enum class Kind { Library, User, Custom };

  void loadCatalog(const std::optional<Files>& files);
  void fillChoice();
  void restoreChoice();
  void chosen(int index);
  void saveCustom();
  const kelvado::Material* materialAt(int index) const;
  kelvado::InputTexts fieldTexts() const;

  WindowDialogs& dialogs_;
  Fields fields_;
  std::function<char()> separator_;
  kelvado::MaterialCatalog catalog_;
  bool userFileReadable_ = true;
  QComboBox* choice_ = nullptr;
  QPushButton* save_ = nullptr;
};
