#pragma once

#include <QListWidget>
#include <QString>
#include <QStringList>
#include <string>

namespace kordel {

// Paths here are the system's bytes, which need not be UTF-8; the lists show them as
// `shownName` decodes them.

// The mount points of the file systems that hold files, the root first. Linux has no drive
// letters; these stand in for the drives.
QStringList drives();

// The mount point of the file system that holds `directory`.
std::string driveOf(const std::string& directory);

// The directory list: the path from the root of the directory's file system down to the
// current directory, then the current directory's subdirectories. Activating an entry (double
// click or Enter) makes it the current directory.
class DirectoryListBox : public QListWidget {
    Q_OBJECT

public:
    // Starts in the process's current directory.
    explicit DirectoryListBox(QWidget* parent);

    const std::string& directory() const { return directory_; }

    // Enters `path`, which also becomes the process's current directory. A directory that
    // cannot be entered leaves the previous one.
    void setDirectory(const std::string& path);

    // The full path an entry stands for.
    static std::string pathOf(const QListWidgetItem* item);

signals:
    void directoryChanged();

private:
    void fill();
    void addEntry(const std::string& path, const std::string& name, int depth, bool open);

    std::string directory_;
};

// The file list: the plain files of one directory, not the hidden ones, sorted by name.
class FileListBox : public QListWidget {
    Q_OBJECT

public:
    explicit FileListBox(QWidget* parent);

    void read(const std::string& directory);
};

} // namespace kordel
