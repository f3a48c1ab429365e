#include "app/HeadlessRun.h"
#include "support/Files.h"
#include "ui/KordelWindows.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

namespace kordel {
namespace {

using testing_support::contentOf;

using testing_support::FakeClock;
using testing_support::KordelWindows;

// The window and the command line, each given the same parameters, on the demo bus.
class HeadlessAgainstWindow : public testing::Test {
protected:
    // The save dialog starts in the current directory.
    struct InFolder {
        explicit InFolder(const QString& path) { QDir::setCurrent(path); }
        ~InFolder() { QDir::setCurrent(saved); }
        QString saved = QDir::currentPath();
    };

    HeadlessAgainstWindow() {
        windows.Form1.Edit3->setText("3");
        windows.run("300");
    }

    // What the command line writes to standard output with `arguments`.
    QByteArray headless(std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), {"--demo", "--samples", "300", "--multiplier1", "3"});
        FILE* out = std::tmpfile();
        FakeClock clock;
        StopRequest stop;
        EXPECT_EQ(measureWithoutWindow(parseCommandLine(arguments), clock, stop,
                                       {fileno(out), fileno(out)}),
                  0);
        QFile written;
        written.open(out, QIODevice::ReadOnly);
        written.seek(0);
        const QByteArray text = written.readAll();
        std::fclose(out);
        return text;
    }

    QTemporaryDir folder;
    InFolder inFolder{folder.path()};
    KordelWindows windows;
};

TEST_F(HeadlessAgainstWindow, PrintsTheValuesTheWindowLists) {
    std::string listed;
    for (std::size_t k = 0; k < windows.Form1.list1().size(); ++k) {
        listed.append(windows.Form1.list1().line(k)) += '\t';
        listed.append(windows.Form1.list2().line(k)) += '\n';
    }
    EXPECT_EQ(windows.Form1.list1().size(), 300U);
    EXPECT_EQ(headless({}).toStdString(), listed);
}

TEST_F(HeadlessAgainstWindow, WritesTheFilesTheSaveDialogWrites) {
    windows.FSave.show();
    windows.FSave.Edit1->setText("window");
    QTest::mouseClick(windows.FSave.Button1, Qt::LeftButton);
    EXPECT_EQ(headless({"--save", QDir(folder.path()).filePath("headless").toStdString()}), "");

    for (const char* suffix : {"(1).txt", "(2).txt", ".bmp"}) {
        const QByteArray window = contentOf(QDir(folder.path()).filePath("window") + suffix);
        EXPECT_GT(window.size(), 1000) << suffix;
        EXPECT_EQ(contentOf(QDir(folder.path()).filePath("headless") + suffix), window) << suffix;
    }
}

} // namespace
} // namespace kordel
