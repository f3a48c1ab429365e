#pragma once

#include "acquisition/ValueList.h"

#include <QImage>
#include <QSaveFile>
#include <QString>
#include <functional>
#include <memory>
#include <string>

namespace kordel {

// Makes the file object an output file is written through; tests hand in one whose writes
// fail.
using SaveFileFactory = std::function<std::unique_ptr<QSaveFile>(const QString& path)>;

// The file object of every real save.
std::unique_ptr<QSaveFile> plainSaveFile(const QString& path);

// Both writers fill a temporary file beside `path` and put it in place only when it is
// complete, so a failure leaves whatever stood at `path` before. Where the directory takes no
// new file but `path` itself is writable, they write `path` in place.
// Throws Error("Cannot create file " + path) when the file cannot be created and
// Error("Stream write error") when a write fails.

// The list's lines in order, each followed by CR LF.
void writeValueList(const ValueList& list, const std::string& path,
                    const SaveFileFactory& create = plainSaveFile);

// The raster as an uncompressed 24-bit bitmap: file header, information header, then the
// rows bottom-up, each padded to a multiple of 4 bytes.
void writeBitmap(const QImage& raster, const std::string& path,
                 const SaveFileFactory& create = plainSaveFile);

} // namespace kordel
