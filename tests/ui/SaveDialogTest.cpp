#include "acquisition/Converter.h"
#include "common/NumberText.h"
#include "plot/PlotRenderer.h"
#include "support/DemoSeries.h"
#include "support/FileSizeLimit.h"
#include "support/Files.h"
#include "support/TempFolder.h"
#include "ui/KordelWindows.h"
#include "ui/ModalAnswer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kordel {
namespace {

using testing_support::contentOf;
using testing_support::demoList;

using testing_support::FileSizeLimit;
using testing_support::KordelWindows;
using testing_support::ModalAnswer;
using testing_support::ModalSeen;

// Moves the process into a directory and back again afterwards.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const QString& directory) { QDir::setCurrent(directory); }
    ~CurrentDirectory() { QDir::setCurrent(saved_); }

private:
    QString saved_ = QDir::currentPath();
};

QStringList texts(const QListWidget* list) {
    QStringList result;
    for (int i = 0; i < list->count(); ++i) {
        result.append(list->item(i)->text());
    }
    return result;
}

QStringList paths(const QListWidget* list) {
    QStringList result;
    for (int i = 0; i < list->count(); ++i) {
        result.append(QString::fromStdString(DirectoryListBox::pathOf(list->item(i))));
    }
    return result;
}

std::string bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// A pixel of a 24-bit bottom-up bitmap of the plot image.
QRgb bitmapPixel(const QByteArray& bytes, int x, int y) {
    const int at = 54 + (312 - y) * 1492 + 3 * x;
    return qRgb(static_cast<std::uint8_t>(bytes[at + 2]), static_cast<std::uint8_t>(bytes[at + 1]),
                static_cast<std::uint8_t>(bytes[at]));
}

class SaveDialog : public testing::Test {
protected:
    SaveDialog() { dialog.show(); }

    QString pathOf(const QString& name) const { return QDir(home).filePath(name); }
    QStringList written() const { return QDir(home).entryList(QDir::Files, QDir::Name); }

    void save(const QString& name) {
        dialog.Edit1->setText(name);
        QTest::mouseClick(dialog.Button1, Qt::LeftButton);
    }

    // Saves and answers the box that comes up.
    ModalSeen saveAnswering(const QString& name) {
        ModalAnswer answer;
        save(name);
        return answer.seen();
    }

    // Removed byte for byte: it may hold names that are no UTF-8.
    testing_support::TempFolder folder;
    const QString home =
        QFileInfo(QString::fromStdString(folder.path.string())).canonicalFilePath();
    CurrentDirectory inFolder{home};
    KordelWindows windows;
    TFSave& dialog = windows.FSave;
};

TEST_F(SaveDialog, StartsInTheCurrentDirectoryWithTheDrivesThatHoldFiles) {
    EXPECT_EQ(dialog.DirectoryListBox1->directory(), bytes(home));
    EXPECT_EQ(dialog.saveDir(), bytes(home));
    QStringList drives;
    for (int i = 0; i < dialog.DriveComboBox1->count(); ++i) {
        drives.append(dialog.DriveComboBox1->itemText(i));
    }
    ASSERT_FALSE(drives.isEmpty());
    EXPECT_EQ(drives.front(), "/");
    for (const QString& drive : drives) {
        EXPECT_FALSE(drive.startsWith("/proc") || drive.startsWith("/sys")) << drive.toStdString();
    }
    EXPECT_EQ(bytes(dialog.DriveComboBox1->currentText()), driveOf(bytes(home)));
    const QStringList shown = paths(dialog.DirectoryListBox1);
    EXPECT_EQ(bytes(shown.front()), driveOf(bytes(home)));
    EXPECT_EQ(shown.back(), home);
}

TEST_F(SaveDialog, EnteringADirectoryMakesItCurrentAndListsItsPlainFiles) {
    QDir(home).mkpath("sub/inner");
    QDir(home).mkpath("sub/.cache");
    for (const char* name : {"sub/b.txt", "sub/a.txt", "sub/.hidden"}) {
        QFile(pathOf(name)).open(QIODevice::WriteOnly);
    }
    dialog.DirectoryListBox1->setDirectory(bytes(home)); // lists "sub"
    QListWidgetItem* sub = dialog.DirectoryListBox1->findItems("sub", Qt::MatchEndsWith).front();
    emit dialog.DirectoryListBox1->itemActivated(sub);

    EXPECT_EQ(dialog.DirectoryListBox1->directory(), bytes(pathOf("sub")));
    EXPECT_EQ(QDir::currentPath(), pathOf("sub"));
    EXPECT_EQ(dialog.saveDir(), bytes(pathOf("sub")));
    EXPECT_EQ(texts(dialog.FileListBox1), QStringList({"a.txt", "b.txt"}));
    const QStringList shown = paths(dialog.DirectoryListBox1);
    EXPECT_EQ(shown.mid(shown.size() - 3), QStringList({home, pathOf("sub"), pathOf("sub/inner")}));

    // The entry of the directory above leads back up.
    emit dialog.DirectoryListBox1->itemActivated(
        dialog.DirectoryListBox1->item(static_cast<int>(shown.indexOf(home))));
    EXPECT_EQ(QDir::currentPath(), home);
    EXPECT_TRUE(texts(dialog.FileListBox1).isEmpty());
}

TEST_F(SaveDialog, ADirectoryThatCannotBeEnteredLeavesThePreviousOneSilently) {
    QDir(home).mkdir("gone");
    dialog.DirectoryListBox1->setDirectory(bytes(home));
    QListWidgetItem* gone = dialog.DirectoryListBox1->findItems("gone", Qt::MatchEndsWith).front();
    QDir(home).rmdir("gone");
    ModalAnswer answer;
    emit dialog.DirectoryListBox1->itemActivated(gone);
    QApplication::processEvents();
    EXPECT_FALSE(answer.seen().shown);
    EXPECT_EQ(dialog.DirectoryListBox1->directory(), bytes(home));
    EXPECT_EQ(QDir::currentPath(), home);
}

// "данные" and "ф" in the Cyrillic 8-bit Windows code page: no UTF-8.
const std::string LegacyDirectory = "\xE4\xE0\xED\xED\xFB\xE5";
const std::string LegacyFile = "\xF4.txt";

TEST_F(SaveDialog, ADirectoryNamedInALegacyCodePageIsListedEnteredAndSavedInto) {
    const std::string legacy = bytes(home) + "/" + LegacyDirectory;
    ASSERT_EQ(mkdir(legacy.c_str(), 0755), 0);
    std::ofstream(legacy + "/" + LegacyFile).put('1');
    dialog.DirectoryListBox1->setDirectory(bytes(home));
    const QList<QListWidgetItem*> found =
        dialog.DirectoryListBox1->findItems(QStringLiteral("данные"), Qt::MatchEndsWith);
    ASSERT_EQ(found.size(), 1);
    emit dialog.DirectoryListBox1->itemActivated(found.front());

    EXPECT_EQ(dialog.DirectoryListBox1->directory(), legacy);
    EXPECT_EQ(std::filesystem::current_path().native(), legacy);
    EXPECT_EQ(texts(dialog.FileListBox1), QStringList{QStringLiteral("ф.txt")});
    EXPECT_TRUE(dialog.DirectoryListBox1->currentItem()->text().endsWith(QStringLiteral("данные")));

    windows.run("3");
    save("ab");
    EXPECT_FALSE(dialog.isVisible());
    for (const char* file : {"ab(1).txt", "ab(2).txt", "ab.bmp"}) {
        EXPECT_TRUE(std::filesystem::is_regular_file(legacy + "/" + file)) << file;
    }
}

TEST_F(SaveDialog, AnErrorNamesALegacyDirectoryInItsLetters) {
    const std::string legacy = bytes(home) + "/" + LegacyDirectory;
    ASSERT_EQ(mkdir(legacy.c_str(), 0755), 0);
    dialog.DirectoryListBox1->setDirectory(legacy);
    ASSERT_EQ(rmdir(legacy.c_str()), 0);
    EXPECT_EQ(saveAnswering("ab").text,
              "Cannot create file " + home + QStringLiteral("/данные/ab(1).txt."));
}

TEST_F(SaveDialog, ChoosingTheRootDriveMovesToItAndJoinsNamesWithoutADoubleSlash) {
    emit dialog.DriveComboBox1->activated(0);
    EXPECT_EQ(dialog.DirectoryListBox1->directory(), "/");
    EXPECT_EQ(QDir::currentPath(), "/");
    EXPECT_EQ(dialog.saveDir(), "/");
    EXPECT_EQ(dialog.DriveComboBox1->currentText(), "/");
    const ModalSeen seen = saveAnswering("no-such-kordel-folder/ab");
    EXPECT_EQ(seen.text, "Cannot create file /no-such-kordel-folder/ab(1).txt.");
}

TEST_F(SaveDialog, ADemoRunIsSavedAsTwoCrLfListsAndTheBitmapOfThePlot) {
    windows.run("150");
    save("ab");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(written(), QStringList({"ab(1).txt", "ab(2).txt", "ab.bmp"}));
    EXPECT_EQ(contentOf(pathOf("ab(1).txt")).toStdString(), demoList(75, 150));
    EXPECT_EQ(contentOf(pathOf("ab(2).txt")).toStdString(), demoList(50, 150));

    const QByteArray bitmap = contentOf(pathOf("ab.bmp"));
    ASSERT_EQ(bitmap.size(), 54 + 1492 * 313);
    EXPECT_EQ(bitmap.left(2), "BM");
    EXPECT_EQ(bitmapPixel(bitmap, 5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(bitmapPixel(bitmap, 30, 100), qRgb(0, 0, 0));    // Oy axis
    EXPECT_EQ(bitmapPixel(bitmap, 100, 283), qRgb(0, 0, 0));   // Ox axis
    EXPECT_EQ(bitmapPixel(bitmap, 250, 245), qRgb(0, 128, 0)); // lowest grid line
    const QImage& raster = windows.Form1.canvas().image();
    int red = 0;
    for (int y = 0; y < PlotImageSize.height(); ++y) {
        for (int x = 0; x < PlotImageSize.width(); ++x) {
            red += raster.pixel(x, y) == qRgb(255, 0, 0);
            EXPECT_EQ(bitmapPixel(bitmap, x, y), raster.pixel(x, y)) << x << "," << y;
        }
    }
    EXPECT_GT(red, 0);
}

TEST_F(SaveDialog, SavingAgainReplacesTheFilesWithoutAQuestion) {
    windows.run("150");
    save("ab");
    windows.run("20");
    dialog.show();
    const ModalSeen seen = saveAnswering("ab");
    EXPECT_FALSE(seen.shown);
    EXPECT_EQ(written(), QStringList({"ab(1).txt", "ab(2).txt", "ab.bmp"}));
    EXPECT_EQ(contentOf(pathOf("ab(1).txt")).toStdString(), demoList(75, 20));
    EXPECT_EQ(contentOf(pathOf("ab(2).txt")).toStdString(), demoList(50, 20));
}

struct WarningCase {
    QString name;
    bool data;
    bool image;
    QString text;
};

class SaveWarning : public SaveDialog, public testing::WithParamInterface<WarningCase> {};

TEST_P(SaveWarning, WritesNothingAndKeepsTheDialogOpen) {
    windows.run("5");
    dialog.CheckBox1->setChecked(GetParam().data);
    dialog.CheckBox2->setChecked(GetParam().image);
    const ModalSeen seen = saveAnswering(GetParam().name);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, "Warning");
    EXPECT_EQ(seen.text, GetParam().text);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.format, Qt::PlainText);
    EXPECT_TRUE(written().isEmpty());
    EXPECT_TRUE(dialog.isVisible());
}

const QString ShortName = QStringLiteral("Введите имя файла\n\r(более одного символа)");

INSTANTIATE_TEST_SUITE_P(Cases, SaveWarning,
                         testing::Values(WarningCase{"a", true, true, ShortName},
                                         WarningCase{"", true, true, ShortName},
                                         WarningCase{"ab", false, false, "Установите флажки"}));

TEST_F(SaveDialog, BeforeAnyRunTheDataFilesAreEmptyAndNoImageIsWritten) {
    dialog.CheckBox1->setChecked(false);
    EXPECT_FALSE(saveAnswering("ab").shown);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(written().isEmpty());

    dialog.show();
    dialog.CheckBox1->setChecked(true);
    save("ab");
    EXPECT_EQ(written(), QStringList({"ab(1).txt", "ab(2).txt"}));
    EXPECT_EQ(contentOf(pathOf("ab(1).txt")), "");
}

TEST_F(SaveDialog, AFailedWriteShowsTheErrorKeepsTheDialogAndTheEarlierFile) {
    windows.run("150");
    save("ab");
    const QByteArray earlierBitmap = contentOf(pathOf("ab.bmp"));
    windows.run("20");
    dialog.show();
    ModalSeen seen;
    {
        FileSizeLimit disk(10000); // room for the lists, not for the bitmap
        seen = saveAnswering("ab");
    }
    EXPECT_EQ(seen.title, "Kordel (com)");
    EXPECT_EQ(seen.text, "Stream write error.");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(contentOf(pathOf("ab(1).txt")).toStdString(), demoList(75, 20)); // completed before
    EXPECT_EQ(contentOf(pathOf("ab(2).txt")).toStdString(), demoList(50, 20));
    EXPECT_EQ(contentOf(pathOf("ab.bmp")), earlierBitmap);
    EXPECT_EQ(written(), QStringList({"ab(1).txt", "ab(2).txt", "ab.bmp"}));
}

TEST_F(SaveDialog, EnterOutsideAButtonDoesNothingAndEscFromAnyControlCancels) {
    dialog.Edit1->setText("ab");
    QTest::keyClick(dialog.Edit1, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    for (QWidget* control : std::initializer_list<QWidget*>{
             dialog.Edit1, dialog.FileListBox1, dialog.DirectoryListBox1, dialog.DriveComboBox1,
             dialog.CheckBox1, dialog.Button1}) {
        dialog.show();
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible()) << control->metaObject()->className();
    }
    EXPECT_TRUE(written().isEmpty());
    dialog.show();
    dialog.Button2->setFocus();
    QTest::keyClick(dialog.Button2, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(SaveDialog, OpensFromTheMainWindowAndKeepsItsStateAndPlace) {
    dialog.hide();
    dialog.CheckBox1->setChecked(false);
    ModalAnswer cancel([](QWidget* window) {
        auto* save = qobject_cast<TFSave*>(window);
        save->Edit1->setText("kept");
        save->move(40, 30);
        save->Button2->click();
    });
    QTest::mouseClick(windows.Form1.SpeedButton2, Qt::LeftButton);
    ASSERT_TRUE(cancel.seen().shown);
    EXPECT_EQ(cancel.seen().title, "Save");
    EXPECT_TRUE(written().isEmpty());

    QPoint reopenedAt;
    ModalAnswer saveIt([&](QWidget* window) {
        auto* save = qobject_cast<TFSave*>(window);
        reopenedAt = save->pos();
        EXPECT_EQ(save->Edit1->text(), "kept");
        EXPECT_FALSE(save->CheckBox1->isChecked());
        save->CheckBox1->setChecked(true);
        save->Button1->click();
    });
    QTest::mouseClick(windows.Form1.SpeedButton2, Qt::LeftButton);
    EXPECT_EQ(reopenedAt, QPoint(40, 30));
    EXPECT_EQ(written(), QStringList({"kept(1).txt", "kept(2).txt"}));
    EXPECT_TRUE(windows.Form1.isEnabled());
}

TEST_F(SaveDialog, TheFileListIsNotReadAgainAfterSave) {
    save("ab");
    dialog.show();
    EXPECT_TRUE(texts(dialog.FileListBox1).isEmpty());
    dialog.DirectoryListBox1->setDirectory(bytes(home));
    EXPECT_EQ(texts(dialog.FileListBox1), QStringList({"ab(1).txt", "ab(2).txt"}));
}

struct HostileName {
    QString name;
    QStringList files;      // written in the directory, hidden ones included, sorted
    QString warning;        // the warning that comes up instead, if any
    QString failing;        // or the file that cannot be created
    QStringList notOutside; // paths beyond the directory that must stay untouched
};

class HostileSaveName : public SaveDialog, public testing::WithParamInterface<HostileName> {};

TEST_P(HostileSaveName, GivesItsFilesOrTheErrorAndNeverWritesOutsideTheDirectory) {
    const HostileName& c = GetParam();
    windows.run("3");
    const ModalSeen seen = saveAnswering(c.name);
    const QString message =
        c.failing.isEmpty() ? c.warning : "Cannot create file " + pathOf(c.failing) + ".";
    EXPECT_EQ(seen.text, message);
    EXPECT_EQ(dialog.isVisible(), !message.isEmpty());
    QStringList files = QDir(home).entryList(QDir::Files | QDir::Hidden);
    files.sort();
    EXPECT_EQ(files, c.files);
    for (const QString& path : c.notOutside) {
        EXPECT_FALSE(QFileInfo::exists(QDir(home).filePath(path))) << path.toStdString();
    }
}

const QString LongName(300, 'n');

INSTANTIATE_TEST_SUITE_P(
    Names, HostileSaveName,
    testing::Values(
        HostileName{"/", {}, ShortName, {}, {"/(1).txt"}},
        HostileName{"..", {"..(1).txt", "..(2).txt", "...bmp"}, {}, {}, {"../(1).txt"}},
        // one character beyond the basic plane: two units in the name field, long enough
        HostileName{"😀", {"😀(1).txt", "😀(2).txt", "😀.bmp"}, {}, {}, {}},
        HostileName{"//", {"(1).txt", "(2).txt", ".bmp"}, {}, {}, {"/(1).txt"}},
        HostileName{LongName, {}, {}, LongName + "(1).txt", {}},
        HostileName{"missing/ab", {}, {}, "missing/ab(1).txt", {"missing"}},
        HostileName{
            "a\nb", {"a\nb(1).txt", "a\nb(2).txt", "a\nb.bmp"}, {}, {}, {"a", "b(1).txt"}}));

} // namespace
} // namespace kordel
