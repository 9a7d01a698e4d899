// SPDX-License-Identifier: Apache-2.0
#pragma once
// Material → "Fit from data…" and "From data-sheet model…": the program's power law fitted to
// a table of measured viscosities (a CSV file or a pasted table) or to a Cross-WLF or Carreau
// model in SI units, drawn over the data on log-log axes per temperature, and saved under a
// name among the user's materials with the thermal values of a material or typed in SI.
#include <QDialog>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "materials/viscosity_fit.h"

class MaterialBox;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class WindowDialogs;

class MaterialFitDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Source { Data, Model };

  // Saves through `box`, which must outlive the dialog.
  MaterialFitDialog(Source source, WindowDialogs& dialogs, MaterialBox& box, QWidget* parent = nullptr);

  // Fits what the dialog holds; false (and a warning) when it can not.
  bool fit();
  // Saves the last fit under the name given; false (and a warning) when it can not.
  bool save();
  const std::optional<kelvado::PowerLawFit>& lastFit() const { return fit_; }

 private:
  QWidget* buildDataSide();
  QWidget* buildModelSide();
  void openTable();
  void showThermalOf(int index);
  void draw();
  std::optional<double> number(const QLineEdit* edit, bool required, const QString& what) const;
  std::optional<kelvado::ValueRange> window(QLineEdit* from, QLineEdit* to, bool required, const QString& what) const;

  Source source_;
  WindowDialogs& dialogs_;
  MaterialBox& box_;
  QPlainTextEdit* table_ = nullptr;
  QString tableOrigin_;
  QComboBox* model_ = nullptr;
  std::vector<QLineEdit*> crossWlf_, carreau_;  // in the order of the models' parameters
  QLineEdit *shearFrom_, *shearTo_, *tempFrom_, *tempTo_, *refTemp_, *refShear_;
  QLineEdit *name_, *density_, *specificHeat_, *conductivity_;
  QComboBox* like_ = nullptr;
  QLabel* result_ = nullptr;
  QChartView* chart_ = nullptr;
  QPushButton* save_ = nullptr;
  std::vector<kelvado::ViscosityPoint> points_;  // as fitted
  std::optional<kelvado::PowerLawFit> fit_;
  std::string what_;  // where the points came from, for the source
  // The thermal values of the material chosen, in the program's units, and the SI texts shown
  // for them: a text left as shown saves the material's own value, not one back from SI.
  std::array<double, 3> likeValues_{};
  std::array<QString, 3> likeShown_;
};
