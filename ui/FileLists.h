#pragma once

#include <QListWidget>
#include <QString>
#include <QStringList>

namespace kordel {

// The mount points of the file systems that hold files, the root first. Linux has no drive
// letters; these stand in for the drives.
QStringList drives();

// The mount point of the file system that holds `directory`.
QString driveOf(const QString& directory);

// The directory list: the path from the root of the directory's file system down to the
// current directory, then the current directory's subdirectories. Activating an entry (double
// click or Enter) makes it the current directory.
class DirectoryListBox : public QListWidget {
    Q_OBJECT

public:
    // Starts in the process's current directory.
    explicit DirectoryListBox(QWidget* parent);

    const QString& directory() const { return directory_; }

    // Enters `path`, which also becomes the process's current directory. A directory that
    // cannot be entered leaves the previous one.
    void setDirectory(const QString& path);

    // The full path an entry stands for.
    static QString pathOf(const QListWidgetItem* item);

signals:
    void directoryChanged();

private:
    void fill();
    void addEntry(const QString& path, const QString& name, int depth, bool open);

    QString directory_;
};

// The file list: the plain files of one directory, not the hidden ones, sorted by name.
class FileListBox : public QListWidget {
    Q_OBJECT

public:
    explicit FileListBox(QWidget* parent);

    void read(const QString& directory);
};

} // namespace kordel
