// SPDX-License-Identifier: Apache-2.0
#pragma once
// The window's files (report, pictures) go out by the command line's one rule for outputs:
// a regular file replaced whole and only when the user may write it, a device written in
// place with its write errors reported, a FIFO, socket or folder refused at once.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

namespace output_bytes {

// Writes `bytes` to `path`, refusing the user's materials file; on failure says why in *error.
bool WriteBytes(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The exit status of the last failed write of a headless mode, which writes one file: 8 when
// it failed once the file was open (a full device), else 6.
int FailedWriteStatus();

// The image as a PNG file, by the same rule.
bool WritePng(const QString& path, const QImage& image, QString* error = nullptr);

// Before a headless picture or report is made: 0 when `path` may be written, else the exit
// status (2: it names one of `inputs` or the user's materials file; 6: it can not be
// written), said on standard error.
int CheckHeadlessOutput(const QString& path, const QStringList& inputs);

}  // namespace output_bytes
