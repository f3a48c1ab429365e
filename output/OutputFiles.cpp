#include "output/OutputFiles.h"

#include "common/Error.h"

#include <cstdint>
#include <string_view>

namespace kordel {

namespace {

const std::string StreamWriteError = "Stream write error";

constexpr std::size_t ChunkBytes = 1 << 16;
constexpr std::uint32_t FileHeaderBytes = 14;
constexpr std::uint32_t InfoHeaderBytes = 40;
constexpr std::uint32_t BitsPerPixel = 24;

class OutputFile {
public:
    OutputFile(const std::string& path, const SaveFileFactory& create)
        : path_(path), file_(create(QString::fromStdString(path))) {
        file_->setDirectWriteFallback(true);
        if (!file_->open(QIODevice::WriteOnly)) {
            throw Error("Cannot create file " + path_);
        }
    }

    void write(std::string_view bytes) {
        const auto size = static_cast<qint64>(bytes.size());
        if (file_->write(bytes.data(), size) != size) {
            throw Error(StreamWriteError);
        }
    }

    // Only a file whose every byte has reached the disk replaces the target.
    void commit() {
        if (!file_->flush()) {
            throw Error(StreamWriteError);
        }
        if (!file_->commit()) {
            throw Error(file_->error() == QFileDevice::RenameError ? "Cannot create file " + path_
                                                                   : StreamWriteError);
        }
    }

private:
    std::string path_;
    std::unique_ptr<QSaveFile> file_;
};

void appendLittleEndian(std::string& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::uint32_t rowBytes(const QImage& raster) {
    return (static_cast<std::uint32_t>(raster.width()) * BitsPerPixel + 31) / 32 * 4;
}

std::string bitmapHeaders(const QImage& raster) {
    const std::uint32_t pixelBytes = rowBytes(raster) * static_cast<std::uint32_t>(raster.height());
    const std::uint32_t offset = FileHeaderBytes + InfoHeaderBytes;
    std::string bytes = "BM";
    appendLittleEndian(bytes, offset + pixelBytes, 4);
    appendLittleEndian(bytes, 0, 4); // reserved
    appendLittleEndian(bytes, offset, 4);
    appendLittleEndian(bytes, InfoHeaderBytes, 4);
    appendLittleEndian(bytes, static_cast<std::uint32_t>(raster.width()), 4);
    appendLittleEndian(bytes, static_cast<std::uint32_t>(raster.height()), 4); // bottom-up
    appendLittleEndian(bytes, 1, 2);                                           // planes
    appendLittleEndian(bytes, BitsPerPixel, 2);
    appendLittleEndian(bytes, 0, 4); // no compression
    appendLittleEndian(bytes, pixelBytes, 4);
    appendLittleEndian(bytes, static_cast<std::uint32_t>(raster.dotsPerMeterX()), 4);
    appendLittleEndian(bytes, static_cast<std::uint32_t>(raster.dotsPerMeterY()), 4);
    appendLittleEndian(bytes, 0, 4); // no colour table
    appendLittleEndian(bytes, 0, 4);
    return bytes;
}

// Blue, green, red for each pixel, the last row first.
std::string bitmapPixels(const QImage& raster) {
    const QImage rgb = raster.convertToFormat(QImage::Format_RGB32);
    std::string bytes(std::size_t{rowBytes(rgb)} * static_cast<std::size_t>(rgb.height()), '\0');
    char* out = bytes.data();
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        char* pixel = out;
        for (int x = 0; x < rgb.width(); ++x) {
            *pixel++ = static_cast<char>(qBlue(row[x]));
            *pixel++ = static_cast<char>(qGreen(row[x]));
            *pixel++ = static_cast<char>(qRed(row[x]));
        }
        out += rowBytes(rgb);
    }
    return bytes;
}

} // namespace

std::unique_ptr<QSaveFile> plainSaveFile(const QString& path) {
    return std::make_unique<QSaveFile>(path);
}

void writeValueList(const ValueList& list, const std::string& path, const SaveFileFactory& create) {
    OutputFile file(path, create);
    std::string chunk;
    chunk.reserve(ChunkBytes);
    list.forEachLine([&](std::string_view line) {
        chunk.append(line);
        chunk.append("\r\n");
        if (chunk.size() >= ChunkBytes) {
            file.write(chunk);
            chunk.clear();
        }
    });
    file.write(chunk);
    file.commit();
}

void writeBitmap(const QImage& raster, const std::string& path, const SaveFileFactory& create) {
    OutputFile file(path, create);
    file.write(bitmapHeaders(raster));
    file.write(bitmapPixels(raster));
    file.commit();
}

} // namespace kordel
