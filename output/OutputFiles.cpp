#include "output/OutputFiles.h"

#include "common/Error.h"
#include "common/WriteAll.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kordel {

namespace {

const std::string StreamWriteError = "Stream write error";

constexpr std::size_t ChunkBytes = 1 << 16;
constexpr std::uint32_t FileHeaderBytes = 14;
constexpr std::uint32_t InfoHeaderBytes = 40;
constexpr std::uint32_t BitsPerPixel = 24;

// Where a new file beside the target cannot be made, the target is overwritten in place.
class OutputFile {
public:
    // `length`: every byte the file will hold, so that writing in place can reserve them first.
    OutputFile(const std::string& path, std::uint64_t length)
        : path_(path), target_(targetOf(path)) {
        if (!openAside()) {
            openInPlace(length);
        }
    }

    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // An unfinished file beside the target goes; the target was not touched.
    ~OutputFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!aside_.empty()) {
            ::unlink(aside_.c_str());
        }
    }

    void write(std::string_view bytes) {
        if (!writeAll(fd_, bytes)) {
            fail();
        }
    }

    // Only a file whose every byte has reached the disk replaces the target.
    void commit() {
        if (aside_.empty() && ::ftruncate(fd_, ::lseek(fd_, 0, SEEK_CUR)) != 0) {
            fail();
        }
        // Some file systems report a full disk only here.
        if ((::fsync(fd_) != 0 && errno != EINVAL) || ::close(std::exchange(fd_, -1)) != 0) {
            fail();
        }
        if (!aside_.empty()) {
            if (::rename(aside_.c_str(), target_.c_str()) != 0) {
                throw Error("Cannot create file " + path_);
            }
            aside_.clear();
        }
    }

private:
    // The window shows the bare message; the command line adds the file and the reason.
    [[noreturn]] void fail() const {
        throw Error(StreamWriteError, path_ + ": " + std::strerror(errno));
    }

    // A symbolic link stays a link: the file it leads to is the one replaced.
    static std::string targetOf(const std::string& path) {
        std::error_code error;
        if (!std::filesystem::is_symlink(path, error)) {
            return path;
        }
        const std::filesystem::path target = std::filesystem::canonical(path, error);
        return error ? path : target.native();
    }

    static std::string directoryOf(const std::string& path) {
        const std::string directory = std::filesystem::path(path).parent_path().native();
        return directory.empty() ? "." : directory;
    }

    // A hidden file with a free name in the target's directory, with the target's permissions
    // when it replaces one.
    bool openAside() {
        static std::mt19937 names{std::random_device{}()};
        constexpr int Attempts = 100;
        const std::string base = directoryOf(target_) + "/.save-";
        for (int attempt = 0; attempt < Attempts; ++attempt) {
            const std::string name = base + std::to_string(names() % 1000000000);
            fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0) {
                aside_ = name;
                struct stat earlier {};
                if (::stat(target_.c_str(), &earlier) == 0) {
                    ::fchmod(fd_, earlier.st_mode & 07777);
                }
                return true;
            }
            if (errno != EEXIST) {
                return false;
            }
        }
        return false;
    }

    // The earlier bytes are overwritten only once room for all the new ones is reserved; a
    // reservation that fails gives the file back its earlier length, and so its earlier bytes.
    void openInPlace(std::uint64_t length) {
        fd_ = ::open(target_.c_str(), O_RDWR | O_CLOEXEC);
        struct stat earlier {};
        if (fd_ < 0 || ::fstat(fd_, &earlier) != 0 || !S_ISREG(earlier.st_mode)) {
            throw Error("Cannot create file " + path_);
        }
        if (length > 0) {
            const int reason = ::posix_fallocate(fd_, 0, static_cast<off_t>(length));
            if (reason != 0) {
                static_cast<void>(::ftruncate(fd_, earlier.st_size));
                throw Error(StreamWriteError, path_ + ": " + std::strerror(reason));
            }
        }
    }

    std::string path_;   // as given, for the messages
    std::string target_; // the file replaced
    std::string aside_;  // empty when writing in place
    int fd_ = -1;
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

// Each line and its CR LF.
std::uint64_t fileLength(const ValueList& list) {
    std::uint64_t length = 0;
    list.forEachLine([&](std::string_view line) { length += line.size() + 2; });
    return length;
}

} // namespace

void writeValueList(const ValueList& list, const std::string& path) {
    OutputFile file(path, fileLength(list));
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

void writeBitmap(const QImage& raster, const std::string& path) {
    const std::string headers = bitmapHeaders(raster);
    const std::string pixels = bitmapPixels(raster);
    OutputFile file(path, headers.size() + pixels.size());
    file.write(headers);
    file.write(pixels);
    file.commit();
}

} // namespace kordel
