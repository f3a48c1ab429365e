#include "ui/FileLists.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStyle>
#include <algorithm>
#include <set>

namespace kordel {

namespace {

constexpr int DirectoryItemHeight = 16;
constexpr int FileItemHeight = 13;

// Kernel and process file systems: mounted, but no place for a user's files.
bool isPseudoFileSystem(const QByteArray& type) {
    static const std::set<QByteArray> pseudo = {
        "autofs", "binfmt_misc", "bpf",        "cgroup",     "cgroup2",   "configfs", "debugfs",
        "devpts", "devtmpfs",    "efivarfs",   "fusectl",    "hugetlbfs", "mqueue",   "nsfs",
        "proc",   "pstore",      "rpc_pipefs", "securityfs", "selinuxfs", "sysfs",    "tracefs"};
    return pseudo.contains(type);
}

// Mount points that are single files (bound over configuration files) hold no directory.
bool holdsFiles(const QStorageInfo& volume) {
    return volume.isValid() && volume.isReady() && !isPseudoFileSystem(volume.fileSystemType()) &&
           QFileInfo(volume.rootPath()).isDir();
}

} // namespace

QStringList drives() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (holdsFiles(volume) && !roots.contains(volume.rootPath())) {
            roots.append(volume.rootPath());
        }
    }
    // "/" sorts before every other absolute path.
    std::sort(roots.begin(), roots.end());
    return roots;
}

QString driveOf(const QString& directory) {
    const QString root = QStorageInfo(directory).rootPath();
    return root.isEmpty() ? QDir::rootPath() : root;
}

DirectoryListBox::DirectoryListBox(QWidget* parent)
    : QListWidget(parent), directory_(QDir::currentPath()) {
    setUniformItemSizes(true);
    fill();
    connect(this, &QListWidget::itemActivated, this,
            [this](const QListWidgetItem* item) { setDirectory(pathOf(item)); });
}

void DirectoryListBox::setDirectory(const QString& path) {
    if (!QDir::setCurrent(path)) {
        return;
    }
    directory_ = QDir::currentPath();
    fill();
    emit directoryChanged();
}

QString DirectoryListBox::pathOf(const QListWidgetItem* item) {
    return item->data(Qt::UserRole).toString();
}

void DirectoryListBox::fill() {
    clear();
    const QString root = driveOf(directory_);
    addEntry(root, root, 0, true);
    int depth = 0;
    if (directory_ != root) {
        QDir path(root);
        for (const QString& name : QDir(root).relativeFilePath(directory_).split('/')) {
            path.setPath(path.filePath(name));
            addEntry(path.path(), name, ++depth, true);
        }
    }
    setCurrentRow(depth);
    const QDir current(directory_);
    for (const QString& name : current.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        addEntry(current.filePath(name), name, depth + 1, false);
    }
}

void DirectoryListBox::addEntry(const QString& path, const QString& name, int depth, bool open) {
    auto* entry = new QListWidgetItem(
        style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon),
        QString(depth * 2, QLatin1Char(' ')) + name, this);
    entry->setData(Qt::UserRole, path);
    entry->setSizeHint(QSize(0, DirectoryItemHeight));
}

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true);
}

void FileListBox::read(const QString& directory) {
    clear();
    for (const QString& name : QDir(directory).entryList(QDir::Files, QDir::Name)) {
        auto* entry = new QListWidgetItem(name, this);
        entry->setSizeHint(QSize(0, FileItemHeight));
    }
}

} // namespace kordel
