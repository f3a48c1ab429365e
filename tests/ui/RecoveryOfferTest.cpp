#include "ui/RecoveryOffer.h"

#include "journal/JournalFile.h"
#include "support/Files.h"
#include "ui/KordelWindows.h"
#include "ui/ModalAnswer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <bit>
#include <gtest/gtest.h>

namespace kordel {
namespace {

using testing_support::contentOf;
using testing_support::KordelWindows;
using testing_support::ModalAnswer;
using testing_support::pressing;

// A window run whose journal is left behind as a crash would leave it, and a window started
// afterwards.
class RecoveryOffer : public testing::Test {
protected:
    RecoveryOffer() {
        before.Form1.setJournal(beforeJournal);
        before.Form1.Edit3->setText("3");
        before.Form1.Edit5->setText("3f8");
        before.run("300", "2");
        QFile::copy(QString::fromStdString(beforeJournal.path()), journalPath("left.journal"));
        after.Form1.setJournal(afterJournal);
    }

    QString journalPath(const QString& name) const { return QDir(states.path()).filePath(name); }
    QStringList journals() const { return QDir(states.path()).entryList(QDir::Files); }

    void save(KordelWindows& windows, const QString& name) {
        windows.FSave.show();
        windows.FSave.Edit1->setText(name);
        QTest::mouseClick(windows.FSave.Button1, Qt::LeftButton);
    }

    // The save dialog starts in the current directory.
    struct InFolder {
        explicit InFolder(const QString& path) { QDir::setCurrent(path); }
        ~InFolder() { QDir::setCurrent(saved); }
        QString saved = QDir::currentPath();
    };

    QTemporaryDir folder;
    InFolder inFolder{folder.path()};
    QTemporaryDir states;
    const std::string directory = states.path().toStdString();
    KordelWindows before;
    JournalFile beforeJournal{directory, "--demo"};
    KordelWindows after;
    JournalFile afterJournal{directory, "--demo"};
};

TEST_F(RecoveryOffer, RestoresTheRunAsItEndedAndItsSaveRemovesTheJournal) {
    ModalAnswer answer(pressing("Восстановить"));
    offerInterruptedRun(after.Form1, directory);
    EXPECT_TRUE(answer.seen().text.contains("не было сохранено: 300 пар.\nВосстановить его?"))
        << answer.seen().text.toStdString();

    const TForm1& restored = after.Form1;
    EXPECT_EQ(restored.Edit3->text(), "3");
    EXPECT_EQ(restored.Edit5->text(), "3f8");
    EXPECT_EQ(restored.Edit1->text(), "300");
    EXPECT_EQ(std::bit_cast<std::uint64_t>(after.state.Elapsed),
              std::bit_cast<std::uint64_t>(before.state.Elapsed));
    EXPECT_EQ(after.state.Samples1, before.state.Samples1);
    EXPECT_EQ(after.state.Samples2, before.state.Samples2);
    EXPECT_TRUE(after.state.DataReady);
    EXPECT_EQ(after.Form1.canvas().image(), before.Form1.canvas().image());

    save(before, "before");
    save(after, "after");
    for (const char* suffix : {"(1).txt", "(2).txt", ".bmp"}) {
        const QByteArray expected = contentOf(QDir(folder.path()).filePath("before") + suffix);
        EXPECT_GT(expected.size(), 1000) << suffix;
        EXPECT_EQ(contentOf(QDir(folder.path()).filePath("after") + suffix), expected) << suffix;
    }
    EXPECT_EQ(journals(), QStringList());
}

struct Answer {
    QString button;
    QStringList journalsAfterwards; // besides the one of the window that ran
};

class RecoveryAnswer : public RecoveryOffer, public testing::WithParamInterface<Answer> {};

TEST_P(RecoveryAnswer, DecidesWhetherTheJournalStays) {
    ModalAnswer answer(pressing(GetParam().button));
    offerInterruptedRun(after.Form1, directory);
    EXPECT_TRUE(answer.seen().shown);
    EXPECT_TRUE(after.Form1.list1().empty());
    beforeJournal.remove();
    EXPECT_EQ(journals(), GetParam().journalsAfterwards);
}

INSTANTIATE_TEST_SUITE_P(Buttons, RecoveryAnswer,
                         testing::Values(Answer{"Не сейчас", {"left.journal"}},
                                         Answer{"Удалить", {}}));

TEST(PairsText, TakesTheRussianPlural) {
    const std::pair<std::size_t, const char*> cases[] = {
        {1, "1 пара"},    {2, "2 пары"},    {4, "4 пары"},      {5, "5 пар"},
        {11, "11 пар"},   {12, "12 пар"},   {21, "21 пара"},    {22, "22 пары"},
        {111, "111 пар"}, {114, "114 пар"}, {1000, "1000 пар"}, {1001, "1001 пара"}};
    for (const auto& [pairs, text] : cases) {
        EXPECT_EQ(pairsText(pairs), text);
    }
}

} // namespace
} // namespace kordel
