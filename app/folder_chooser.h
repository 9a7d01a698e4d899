// SPDX-License-Identifier: Apache-2.0
#pragma once
// The chooser of the folder that receives the results file: a volume selector (the mounted
// volumes stand in for drives), the folder list and the file list of the open folder.
//
// Opening a folder (double-click or Enter in the folder list) makes it the results folder
// and lists its files; highlighting an entry changes nothing. Choosing a volume opens the
// folder last opened on it, at first its root.
#include <QDir>
#include <QHash>
#include <QWidget>

class QComboBox;
class QListWidget;
class QListWidgetItem;

class FolderChooser : public QWidget {
  Q_OBJECT

 public:
  explicit FolderChooser(QWidget* parent = nullptr);

  // The folder last opened: where a results file name without a folder lands.
  QString folder() const { return folder_.absolutePath(); }

  void openFolder(const QString& path);
  // Re-reads the files of the open folder.
  void refreshFileList();

  // The list entry that opens path, or null.
  QListWidgetItem* folderItem(const QString& path) const;

 signals:
  void folderOpened(const QString& path);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fillVolumes();
  void fillFolders();
  void selectVolumeOf(const QString& path);
  void openItem(QListWidgetItem* item);

  QComboBox* drives_;
  QListWidget* folders_;
  QListWidget* files_;
  QDir folder_;
  QHash<QString, QString> lastFolderOnVolume_;
};
