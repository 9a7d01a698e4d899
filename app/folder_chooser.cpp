// SPDX-License-Identifier: Apache-2.0
#include "app/folder_chooser.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QStorageInfo>
#include <QStyle>

namespace {

constexpr int kPathRole = Qt::UserRole;

}  // namespace

FolderChooser::FolderChooser(QWidget* parent) : QWidget(parent) {
  drives_ = new QComboBox(this);
  drives_->setObjectName(QStringLiteral("DriveComboBox1"));
  // A volume with a long name must not widen the window: the list shows it whole.
  drives_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  drives_->setMinimumContentsLength(16);
  folders_ = new QListWidget(this);
  folders_->setObjectName(QStringLiteral("DirectoryListBox1"));
  files_ = new QListWidget(this);
  files_->setObjectName(QStringLiteral("FileListBox1"));
  // A long name is cut in its middle, where the ending that tells files apart stays; its tip
  // shows it whole.
  for (QListWidget* list : {folders_, files_}) {
    list->setTextElideMode(Qt::ElideMiddle);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }
  // None of the three is reached by Tab; a click gives each the keyboard.
  for (QWidget* w : {static_cast<QWidget*>(drives_), static_cast<QWidget*>(folders_),
                     static_cast<QWidget*>(files_)}) {
    w->setFocusPolicy(Qt::ClickFocus);
  }

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  // The files under the folders, so that each list has the column's width: the case's and
  // the results file's names show whole.
  layout->addWidget(drives_, 0, 0);
  layout->addWidget(folders_, 1, 0);
  layout->addWidget(files_, 2, 0);

  // Double-click and Enter open a folder; activation is not used, since some desktops
  // activate on a single click.
  connect(folders_, &QListWidget::itemDoubleClicked, this, &FolderChooser::openItem);
  folders_->installEventFilter(this);
  connect(drives_, &QComboBox::activated, this, [this](int index) {
    const QString root = drives_->itemData(index).toString();
    const QString last = lastFolderOnVolume_.value(root);
    openFolder(QFileInfo(last).isDir() ? last : root);
  });

  fillVolumes();
  openFolder(QDir::currentPath());
}

void FolderChooser::openFolder(const QString& path) {
  folder_.setPath(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
  selectVolumeOf(folder());
  fillFolders();
  refreshFileList();
  emit folderOpened(folder());
}

void FolderChooser::refreshFileList() {
  files_->clear();
  const QIcon icon = style()->standardIcon(QStyle::SP_FileIcon);
  for (const QString& name : folder_.entryList(QDir::Files, QDir::Name)) {
    auto* item = new QListWidgetItem(icon, name, files_);
    item->setToolTip(name);
  }
}

QListWidgetItem* FolderChooser::folderItem(const QString& path) const {
  const QString wanted = QDir::cleanPath(path);
  for (int row = 0; row < folders_->count(); ++row) {
    if (folders_->item(row)->data(kPathRole).toString() == wanted) return folders_->item(row);
  }
  return nullptr;
}

bool FolderChooser::eventFilter(QObject* watched, QEvent* event) {
  if (watched == folders_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      openItem(folders_->currentItem());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void FolderChooser::fillVolumes() {
  drives_->clear();
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    const QString root = volume.rootPath();
    // Bind mounts of single files are volumes too, but nothing to choose a folder on.
    if (!volume.isValid() || !volume.isReady() || !QFileInfo(root).isDir()) continue;
    if (drives_->findData(root) >= 0) continue;
    const QString name = volume.displayName();
    drives_->addItem(style()->standardIcon(QStyle::SP_DriveHDIcon),
                     name == root ? root : QStringLiteral("%1  [%2]").arg(root, name), root);
  }
}

// The path from the file system's root down to the open folder, then the folders in it.
void FolderChooser::fillFolders() {
  folders_->clear();
  const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

  QStringList chain;
  for (QDir dir = folder_;; ) {
    chain.prepend(dir.absolutePath());
    if (dir.isRoot() || !dir.cdUp()) break;
  }
  int depth = 0;
  QListWidgetItem* current = nullptr;
  for (const QString& path : chain) {
    const QString name = depth == 0 ? path : QFileInfo(path).fileName();
    current = new QListWidgetItem(openIcon, QString(depth * 2, QLatin1Char(' ')) + name);
    current->setData(kPathRole, path);
    current->setToolTip(path);
    folders_->addItem(current);
    ++depth;
  }
  const QString indent(depth * 2, QLatin1Char(' '));
  for (const QString& name : folder_.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    auto* item = new QListWidgetItem(closedIcon, indent + name);
    item->setData(kPathRole, folder_.filePath(name));
    item->setToolTip(folder_.filePath(name));
    folders_->addItem(item);
  }
  folders_->setCurrentItem(current);
}

void FolderChooser::selectVolumeOf(const QString& path) {
  const QString root = QStorageInfo(path).rootPath();
  lastFolderOnVolume_.insert(root, path);
  const int index = drives_->findData(root);
  if (index >= 0) drives_->setCurrentIndex(index);
}

void FolderChooser::openItem(QListWidgetItem* item) {
  if (item) openFolder(item->data(kPathRole).toString());
}
