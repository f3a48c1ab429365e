#pragma once

#include "output/OutputFiles.h"

#include <QSaveFile>

namespace kordel::testing_support {

// A file whose writes fail once `budget` bytes have been written, as on a full disk.
class FailingSaveFile : public QSaveFile {
public:
    FailingSaveFile(const QString& path, qint64 budget) : QSaveFile(path), budget_(budget) {}

protected:
    qint64 writeData(const char* data, qint64 length) override {
        if (length > budget_) {
            return -1;
        }
        budget_ -= length;
        return QSaveFile::writeData(data, length);
    }

private:
    qint64 budget_;
};

// Files whose names end with `suffix` fail after `budget` bytes; the others are plain.
inline SaveFileFactory failingFor(const QString& suffix, qint64 budget) {
    return [=](const QString& path) -> std::unique_ptr<QSaveFile> {
        if (path.endsWith(suffix)) {
            return std::make_unique<FailingSaveFile>(path, budget);
        }
        return plainSaveFile(path);
    };
}

} // namespace kordel::testing_support
