// SPDX-License-Identifier: Apache-2.0
#include "app/output_bytes.h"

#include <QBuffer>
#include <QFile>

#include "files/exit_codes.h"
#include "files/output_file.h"
#include "solver/input_error.h"

namespace output_bytes {
namespace {

std::string Native(const QString& path) { return QFile::encodeName(path).toStdString(); }

int lastFailure = kelvado::kExitFileNotOpened;

}  // namespace

bool WriteBytes(const QString& path, const QByteArray& bytes, QString* error) {
  lastFailure = kelvado::kExitFileNotOpened;
  try {
    // Never the user's materials file, which the window reads whatever it writes.
    kelvado::CheckOutputs({Native(path)}, {});
  } catch (const kelvado::InputError& refused) {
    lastFailure = kelvado::kExitUsage;
    if (error) *error = QString::fromLocal8Bit(refused.what());
    return false;
  } catch (const kelvado::OutputError& refused) {
    if (error) *error = QString::fromLocal8Bit(refused.what());
    return false;
  }
  try {
    kelvado::WriteWholeFile(Native(path), std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return true;
  } catch (const kelvado::OutputError& failure) {
    lastFailure = kelvado::ExitCodeFor(failure);
    if (error) *error = QString::fromLocal8Bit(failure.what());
    return false;
  }
}

int FailedWriteStatus() { return lastFailure; }

bool WritePng(const QString& path, const QImage& image, QString* error) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) {
    if (error) *error = QStringLiteral("can not make the picture for %1").arg(path);
    return false;
  }
  return WriteBytes(path, bytes, error);
}

int CheckHeadlessOutput(const QString& path, const QStringList& inputs) {
  std::vector<std::string> read;
  for (const QString& input : inputs) {
    if (!input.isEmpty()) read.push_back(Native(input));
  }
  // The user's materials file, which the window reads whatever it makes, is kept by CheckOutputs.
  try {
    kelvado::CheckOutputs({Native(path)}, read);
    return 0;
  } catch (const kelvado::InputError& error) {
    qCritical("kelvado: %s", error.what());
    return kelvado::kExitUsage;
  } catch (const kelvado::OutputError& error) {
    qCritical("kelvado: %s", error.what());
    return kelvado::kExitFileNotOpened;
  }
}

}  // namespace output_bytes
