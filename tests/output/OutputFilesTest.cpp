#include "output/OutputFiles.h"

#include "common/Error.h"
#include "common/ErrorOf.h"
#include "plot/PlotRenderer.h"
#include "support/FileSizeLimit.h"
#include "support/Files.h"
#include "support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace kordel {
namespace {

using testing_support::contentOf;
using testing_support::errorOf;

using testing_support::FileSizeLimit;
using testing_support::SmallDisk;

void putFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

std::uint32_t le32(const QByteArray& bytes, int at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    }
    return value;
}

std::uint16_t le16(const QByteArray& bytes, int at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

class OutputFiles : public testing::Test {
protected:
    QString pathOf(const QString& name) const { return folder.filePath(name); }
    std::string target(const QString& name) const { return pathOf(name).toStdString(); }
    // Hidden ones too: a file left beside the target would be one.
    QStringList entries() const {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    }

    QTemporaryDir folder;
};

struct ListCase {
    std::vector<std::string> lines;
    std::string expected;
};

std::vector<std::string> manyLines(int count) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        lines.push_back(std::to_string(i % 256) + ".001");
    }
    return lines;
}

std::string crlfJoined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

class ValueListFile : public OutputFiles, public testing::WithParamInterface<ListCase> {};

TEST_P(ValueListFile, HoldsEachLineFollowedByCrLfAndNothingElse) {
    ValueList list;
    for (const std::string& line : GetParam().lines) {
        list.append(line);
    }
    writeValueList(list, target("run(1).txt"));
    EXPECT_EQ(contentOf(pathOf("run(1).txt")).toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Lists, ValueListFile,
                         testing::Values(ListCase{{}, ""}, ListCase{{"2.509"}, "2.509\r\n"},
                                         ListCase{{"1", "", "0,5"}, "1\r\n\r\n0,5\r\n"},
                                         // more than one write chunk
                                         ListCase{manyLines(30000), crlfJoined(manyLines(30000))}));

TEST_F(OutputFiles, BitmapHasBothHeadersAndPaddedBottomUpRows) {
    QImage raster(5, 3, QImage::Format_RGB32);
    raster.fill(qRgb(255, 255, 255));
    raster.setPixel(0, 0, qRgb(255, 0, 0));  // top left
    raster.setPixel(4, 2, qRgb(0, 128, 0));  // bottom right
    raster.setPixel(1, 2, qRgb(10, 20, 30)); // bottom row
    writeBitmap(raster, target("run.bmp"));
    const QByteArray bytes = contentOf(pathOf("run.bmp"));

    const int row = 16; // 5 pixels of 3 bytes, padded to 4
    ASSERT_EQ(bytes.size(), 14 + 40 + 3 * row);
    EXPECT_EQ(bytes.left(2), "BM");
    EXPECT_EQ(le32(bytes, 2), static_cast<std::uint32_t>(bytes.size()));
    EXPECT_EQ(le32(bytes, 6), 0U);
    EXPECT_EQ(le32(bytes, 10), 54U);
    EXPECT_EQ(le32(bytes, 14), 40U);
    EXPECT_EQ(le32(bytes, 18), 5U);
    EXPECT_EQ(le32(bytes, 22), 3U); // positive height: bottom-up
    EXPECT_EQ(le16(bytes, 26), 1U);
    EXPECT_EQ(le16(bytes, 28), 24U);
    EXPECT_EQ(le32(bytes, 30), 0U); // no compression
    EXPECT_EQ(le32(bytes, 34), static_cast<std::uint32_t>(3 * row));
    EXPECT_EQ(le32(bytes, 46), 0U); // no colour table

    const QByteArray bottomRow = bytes.mid(54, row);
    EXPECT_EQ(bottomRow.mid(3, 3), QByteArray("\x1e\x14\x0a", 3)); // blue, green, red
    EXPECT_EQ(bottomRow.mid(12, 3), QByteArray("\x00\x80\x00", 3));
    EXPECT_EQ(bottomRow.right(1), QByteArray(1, '\0'));
    EXPECT_EQ(bytes.mid(54 + 2 * row, 3), QByteArray("\x00\x00\xff", 3));

    EXPECT_EQ(QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_RGB32), raster);
}

TEST_F(OutputFiles, AFailedWriteLeavesTheEarlierFileAndNoTemporaryOne) {
    putFile(pathOf("run(1).txt"), "earlier\r\n");
    ValueList list;
    for (const std::string& line : manyLines(30000)) {
        list.append(line);
    }
    FileSizeLimit disk(70000);
    EXPECT_EQ(errorOf([&] { writeValueList(list, target("run(1).txt")); }), "Stream write error");
    EXPECT_EQ(contentOf(pathOf("run(1).txt")), "earlier\r\n");
    EXPECT_EQ(entries(), QStringList{"run(1).txt"});

    QImage raster(PlotImageSize, QImage::Format_RGB32);
    raster.fill(qRgb(255, 255, 255));
    EXPECT_EQ(errorOf([&] { writeBitmap(raster, target("run.bmp")); }), "Stream write error");
    EXPECT_EQ(entries(), QStringList{"run(1).txt"});
}

TEST_F(OutputFiles, ASymbolicLinkStaysALinkAndTheFileItLeadsToIsReplacedKeepingItsMode) {
    namespace fs = std::filesystem;
    ASSERT_TRUE(QDir(folder.path()).mkdir("kept"));
    putFile(pathOf("kept/real.txt"), "earlier\r\n");
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write;
    fs::permissions(target("kept/real.txt"), mode);
    ASSERT_TRUE(QFile::link("kept/real.txt", pathOf("run(1).txt")));
    ValueList list;
    list.append("2.509");
    writeValueList(list, target("run(1).txt"));
    EXPECT_TRUE(QFileInfo(pathOf("run(1).txt")).isSymLink());
    EXPECT_EQ(contentOf(pathOf("kept/real.txt")), "2.509\r\n");
    EXPECT_EQ(fs::status(target("kept/real.txt")).permissions(), mode);
}

TEST_F(OutputFiles, AFileThatCannotBeCreatedIsNamedByItsTargetPath) {
    ValueList list;
    EXPECT_EQ(errorOf([&] { writeValueList(list, target("missing/run(1).txt")); }),
              "Cannot create file " + target("missing/run(1).txt"));
    ASSERT_TRUE(QDir(folder.path()).mkdir("run.bmp"));
    EXPECT_EQ(errorOf([&] { writeBitmap(QImage(2, 2, QImage::Format_RGB32), target("run.bmp")); }),
              "Cannot create file " + target("run.bmp"));
}

// Root may write anywhere, so these only run for other users.
class ReadOnlyDirectory : public OutputFiles {
protected:
    void SetUp() override {
        putFile(pathOf("run(1).txt"), "earlier\r\n");
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
        if (access(folder.path().toLocal8Bit().constData(), W_OK) == 0) {
            GTEST_SKIP() << "this user can write to a read-only directory";
        }
        list.append("2.509");
    }
    void TearDown() override {
        QFile::setPermissions(folder.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    ValueList list;
};

TEST_F(ReadOnlyDirectory, ANewFileCannotBeCreated) {
    EXPECT_EQ(errorOf([&] { writeValueList(list, target("new(1).txt")); }),
              "Cannot create file " + target("new(1).txt"));
}

TEST_F(ReadOnlyDirectory, AReadOnlyEarlierFileStays) {
    QFile::setPermissions(pathOf("run(1).txt"), QFile::ReadOwner);
    EXPECT_EQ(errorOf([&] { writeValueList(list, target("run(1).txt")); }),
              "Cannot create file " + target("run(1).txt"));
    EXPECT_EQ(contentOf(pathOf("run(1).txt")), "earlier\r\n");
}

TEST_F(ReadOnlyDirectory, AWritableEarlierFileIsWrittenInPlace) {
    writeValueList(list, target("run(1).txt"));
    EXPECT_EQ(contentOf(pathOf("run(1).txt")), "2.509\r\n");
}

TEST_F(ReadOnlyDirectory, AWritableEarlierFileStaysWhenTheDiskCannotHoldTheNewOne) {
    for (const std::string& line : manyLines(30000)) {
        list.append(line);
    }
    FileSizeLimit disk(70000);
    EXPECT_EQ(errorOf([&] { writeValueList(list, target("run(1).txt")); }), "Stream write error");
    EXPECT_EQ(contentOf(pathOf("run(1).txt")), "earlier\r\n");
}

// A small file system of its own, mounted where this user may mount one.
struct DiskCase {
    int files;             // the most files it holds, its root included
    int lines;             // of the new list
    std::string error;     // of the save, if any
    QByteArray afterwards; // in the earlier file
};

void PrintTo(const DiskCase& c, std::ostream* out) {
    *out << c.files << " files, " << c.lines << " lines";
}

class FullDisk : public OutputFiles, public testing::WithParamInterface<DiskCase> {
protected:
    void SetUp() override {
        if (!disk.mounted()) {
            GTEST_SKIP() << "this user cannot mount a file system";
        }
        putFile(pathOf("run(1).txt"), "earlier\r\n");
    }

    SmallDisk disk{folder.path(), "size=64k,nr_inodes=" + std::to_string(GetParam().files)};
};

TEST_P(FullDisk, ChangesTheEarlierFileOnlyBySavingTheWholeNewOne) {
    ValueList list;
    for (const std::string& line : manyLines(GetParam().lines)) {
        list.append(line);
    }
    const std::string error = errorOf([&] { writeValueList(list, target("run(1).txt")); });
    EXPECT_EQ(error, GetParam().error.empty() ? "no error" : GetParam().error);
    EXPECT_EQ(contentOf(pathOf("run(1).txt")), GetParam().afterwards);
    EXPECT_EQ(entries(), QStringList{"run(1).txt"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FullDisk,
    testing::Values(
        // no room for a file beside the earlier one: it is overwritten in place, or not at all
        DiskCase{2, 30000, "Stream write error", "earlier\r\n"},
        DiskCase{2, 8000, "Stream write error", "earlier\r\n"}, // a little over the disk
        DiskCase{2, 2, {}, "0.001\r\n1.001\r\n"},
        DiskCase{2, 1, {}, "0.001\r\n"}, // shorter than the earlier file
        // room for a file beside it, but not for all of its bytes
        DiskCase{3, 30000, "Stream write error", "earlier\r\n"}));

} // namespace
} // namespace kordel
