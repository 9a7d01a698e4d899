// SPDX-License-Identifier: Apache-2.0
#include "app/case_session.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <exception>

#include "app/dialogs.h"
#include "app/output_bytes.h"
#include "app/settings.h"
#include "solver/input_fields.h"
#include "solver/screw_zones.h"

namespace {

const QString kRecentKey = QStringLiteral("cases/recent");
const QString kCaseFilter = QStringLiteral("Kelvado case (*.kvcase);;All files (*)");

}  // namespace

CaseSession::CaseSession(WindowDialogs& dialogs, Hooks hooks, QObject* parent)
    : QObject(parent), dialogs_(dialogs), hooks_(std::move(hooks)), saved_(hooks_.current()) {}

QString CaseSession::caseName() const {
  return path_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path_).completeBaseName();
}

QString CaseSession::windowTitle() const {
  if (path_.isEmpty() && !modified_) return QStringLiteral("Kelvado");
  return QStringLiteral("%1%2 - Kelvado").arg(caseName(), modified_ ? QStringLiteral("*") : QString());
}

void CaseSession::contentChanged() {
  const bool modified = !(hooks_.current() == saved_);
  if (modified == modified_) return;
  modified_ = modified;
  emit titleChanged();
}

void CaseSession::setFile(const QString& path) {
  path_ = path;
  saved_ = hooks_.current();
  modified_ = false;
  emit titleChanged();
}

bool CaseSession::maybeSave() {
  if (!modified_) return true;
  switch (dialogs_.askUnsavedChanges(caseName())) {
    case WindowDialogs::UnsavedAnswer::Save: return save();
    case WindowDialogs::UnsavedAnswer::Discard: return true;
    case WindowDialogs::UnsavedAnswer::Cancel: break;
  }
  return false;
}

bool CaseSession::newCase() {
  if (!maybeSave()) return false;
  hooks_.apply(kelvado::DefaultCase(hooks_.decimalSeparator()));
  setFile(QString());
  return true;
}

bool CaseSession::open(const QString& path) {
  // Read in full before anything changes: a file that is refused leaves the window as it was.
  kelvado::CaseData data;
  try {
    data = kelvado::ReadCaseFile(QFile::encodeName(path).toStdString(), hooks_.decimalSeparator(),
                                 hooks_.catalog ? hooks_.catalog() : nullptr);
  } catch (const std::exception& error) {
    forgetIfGone(path);
    dialogs_.showWarning(QStringLiteral("Open case"),
                         QStringLiteral("The case was not opened: %1").arg(QString::fromLocal8Bit(error.what())));
    return false;
  }
  if (!maybeSave()) return false;
  hooks_.apply(data);
  const QString absolute = QFileInfo(path).absoluteFilePath();
  setFile(absolute);
  remember(absolute);
  return true;
}

QString CaseSession::folderToAsk() const {
  if (!path_.isEmpty()) return QFileInfo(path_).absolutePath();
  const QStringList recent = recentCases();
  return recent.isEmpty() ? QDir::currentPath() : QFileInfo(recent.front()).absolutePath();
}

bool CaseSession::openWithDialog() {
  const QString path = dialogs_.askOpenFileName(QStringLiteral("Open case"), folderToAsk(), kCaseFilter);
  return !path.isEmpty() && open(path);
}

bool CaseSession::save() { return path_.isEmpty() ? saveAs() : writeTo(path_); }

bool CaseSession::saveAs() {
  const QString suggested = QDir(folderToAsk()).filePath(caseName() + QStringLiteral(".") + kelvado::kCaseFileSuffix);
  QString path = dialogs_.askSaveFileName(QStringLiteral("Save case"), suggested, kCaseFilter);
  if (path.isEmpty()) return false;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".") + kelvado::kCaseFileSuffix;
  return writeTo(QFileInfo(path).absoluteFilePath());
}

bool CaseSession::writeTo(const QString& path) {
  const kelvado::CaseData data = hooks_.current();
  const char separator = hooks_.decimalSeparator();
  if (const std::optional<kelvado::Field> field = kelvado::FirstImproperField(data.inputs, separator)) {
    const kelvado::InputField& info = kelvado::FieldInfo(*field);
    dialogs_.showWarning(QStringLiteral("Save case"),
                         QStringLiteral("The case was not saved: %1 holds \u201c%2\u201d, which is not a number.")
                             .arg(QString::fromUtf8(info.caption.data(), qsizetype(info.caption.size())),
                                  QString::fromStdString(data.inputs[*field])));
    return false;
  }
  // Nor is a zone no front end could read back.
  const auto zones = kelvado::ParseZones(data.zones);
  if (const std::string* problem = std::get_if<std::string>(&zones)) {
    dialogs_.showWarning(QStringLiteral("Save case"),
                         QStringLiteral("The case was not saved: %1").arg(QString::fromStdString(*problem)));
    return false;
  }
  // Written in full or not at all: a failed save leaves the file as it was.
  const std::string text = kelvado::CaseFileText(data, separator);
  QString error;
  if (!output_bytes::WriteBytes(path, QByteArray(text.data(), qsizetype(text.size())), &error)) {
    dialogs_.showWarning(QStringLiteral("Save case"), QStringLiteral("The case was not saved: %1.").arg(error));
    return false;
  }
  setFile(path);
  remember(path);
  return true;
}

QStringList CaseSession::recentCases() const {
  const WindowSettings settings;
  return settings.value(kRecentKey).toStringList();
}

void CaseSession::remember(const QString& path) {
  QStringList recent = recentCases();
  recent.removeAll(path);
  recent.prepend(path);
  while (recent.size() > kRecentCount) recent.removeLast();
  WindowSettings settings;
  settings.setValue(kRecentKey, recent);
}

void CaseSession::forgetIfGone(const QString& path) {
  if (QFileInfo::exists(path)) return;
  QStringList recent = recentCases();
  if (recent.removeAll(QFileInfo(path).absoluteFilePath()) == 0) return;
  WindowSettings settings;
  settings.setValue(kRecentKey, recent);
}

void CaseSession::fillRecentMenu(QMenu* menu) {
  menu->clear();
  const QStringList recent = recentCases();
  for (qsizetype i = 0; i < recent.size(); ++i) {
    const QString path = recent[i];
    QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)));
    action->setObjectName(QStringLiteral("actionRecentCase%1").arg(i + 1));
    connect(action, &QAction::triggered, this, [this, path] { open(path); });
  }
  if (recent.isEmpty()) menu->addAction(QStringLiteral("No recent cases"))->setEnabled(false);
}
