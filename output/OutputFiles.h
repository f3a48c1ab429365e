#pragma once

#include "acquisition/ValueList.h"

#include <QImage>
#include <string>

namespace kordel {

// Paths are the system's bytes, so a directory whose name is not UTF-8 is written as it stands.
//
// Both writers fill a new file beside `path` and put it in place only when it is complete, so
// a failure leaves whatever stood at `path` before. Where the directory takes no new file but
// `path` itself is writable, they overwrite `path` in place, and only once the disk has set
// aside room for every new byte; when it cannot, the file keeps its earlier bytes.
// Throws Error("Cannot create file " + path) when the file cannot be created and
// Error("Stream write error") when a write fails.

// The list's lines in order, each followed by CR LF.
void writeValueList(const ValueList& list, const std::string& path);

// The raster as an uncompressed 24-bit bitmap: file header, information header, then the
// rows bottom-up, each padded to a multiple of 4 bytes.
void writeBitmap(const QImage& raster, const std::string& path);

} // namespace kordel
