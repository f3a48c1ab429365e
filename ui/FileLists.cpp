#include "ui/FileLists.h"

#include "ui/ShownName.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStyle>
#include <algorithm>
#include <filesystem>
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

bool isWithin(const std::string& path, const std::string& directory) {
    return path.starts_with(directory) &&
           (path.size() == directory.size() || directory.ends_with('/') ||
            path[directory.size()] == '/');
}

// The names of the entries of `directory` that `wanted` accepts, not the hidden ones, in the
// order of their shown names. An entry whose kind cannot be read is left out.
template <typename Wanted>
std::vector<std::string> namesIn(const std::string& directory, Wanted wanted) {
    std::vector<std::pair<QString, std::string>> found;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(directory, error), end; !error && entry != end;
         entry.increment(error)) {
        std::string name = entry->path().filename().native();
        std::error_code kindUnknown;
        if (!name.starts_with('.') && wanted(entry->status(kindUnknown)) && !kindUnknown) {
            found.emplace_back(shownName(name), std::move(name));
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& [shown, name] : found) {
        names.push_back(std::move(name));
    }
    return names;
}

// The process's current directory; the root if it has gone.
std::string currentDirectory() {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    return error ? std::string(1, '/') : current.native();
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

// The longest mount point that holds the directory.
std::string driveOf(const std::string& directory) {
    std::string drive = "/";
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const std::string root = QFile::encodeName(volume.rootPath()).toStdString();
        if (root.size() > drive.size() && isWithin(directory, root)) {
            drive = root;
        }
    }
    return drive;
}

DirectoryListBox::DirectoryListBox(QWidget* parent)
    : QListWidget(parent), directory_(currentDirectory()) {
    setUniformItemSizes(true);
    fill();
    connect(this, &QListWidget::itemActivated, this,
            [this](const QListWidgetItem* item) { setDirectory(pathOf(item)); });
}

void DirectoryListBox::setDirectory(const std::string& path) {
    std::error_code error;
    std::filesystem::current_path(path, error);
    if (error) {
        return;
    }
    directory_ = currentDirectory();
    fill();
    emit directoryChanged();
}

std::string DirectoryListBox::pathOf(const QListWidgetItem* item) {
    return item->data(Qt::UserRole).toByteArray().toStdString();
}

void DirectoryListBox::fill() {
    clear();
    const std::filesystem::path root = driveOf(directory_);
    addEntry(root.native(), root.native(), 0, true);
    int depth = 0;
    std::filesystem::path path = root;
    for (const std::filesystem::path& name :
         std::filesystem::path(directory_).lexically_relative(root)) {
        if (name != ".") {
            path /= name;
            addEntry(path.native(), name.native(), ++depth, true);
        }
    }
    setCurrentRow(depth);
    const auto isDirectory = [](const std::filesystem::file_status& status) {
        return std::filesystem::is_directory(status);
    };
    for (const std::string& name : namesIn(directory_, isDirectory)) {
        addEntry((std::filesystem::path(directory_) / name).native(), name, depth + 1, false);
    }
}

void DirectoryListBox::addEntry(const std::string& path, const std::string& name, int depth,
                                bool open) {
    auto* entry = new QListWidgetItem(
        style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon),
        QString(depth * 2, QLatin1Char(' ')) + shownName(name), this);
    entry->setData(Qt::UserRole, QByteArray::fromStdString(path));
    entry->setSizeHint(QSize(0, DirectoryItemHeight));
}

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true);
}

void FileListBox::read(const std::string& directory) {
    clear();
    const auto isPlainFile = [](const std::filesystem::file_status& status) {
        return std::filesystem::is_regular_file(status);
    };
    for (const std::string& name : namesIn(directory, isPlainFile)) {
        auto* entry = new QListWidgetItem(shownName(name), this);
        entry->setSizeHint(QSize(0, FileItemHeight));
    }
}

} // namespace kordel
