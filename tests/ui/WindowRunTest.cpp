#include "acquisition/Converter.h"
#include "acquisition/RecordingBus.h"
#include "app/WindowSignals.h"
#include "common/NumberText.h"
#include "ui/KordelWindows.h"
#include "ui/ModalAnswer.h"

#include <QTemporaryDir>
#include <QWindow>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

namespace kordel {
namespace {

using testing_support::KordelWindows;
using testing_support::ModalAnswer;
using testing_support::pressing;
using testing_support::RecordingBus;

std::vector<std::string> linesOf(const ValueList& list) {
    std::vector<std::string> lines;
    list.forEachLine([&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

// A demo run of 40 pairs with a pause of 20 ms, acted on in the first pause after the window
// has shown ten pairs; the pairs read by then are counted on the bus.
class WindowRun : public testing::Test {
protected:
    WindowRun() { bus.inner = &windows.bus; }

    void runActing(const std::function<void()>& act) {
        windows.clock.atWait = [this, act] {
            if (!acted && form.list1().size() >= 10) {
                acted = true;
                pairsRead = std::count_if(bus.log.begin(), bus.log.end(),
                                          [](const auto& access) { return access.kind == 'i'; }) /
                            16;
                act();
            }
        };
        windows.run("40", "20");
        windows.clock.atWait = nullptr;
    }

    KordelWindows windows;
    TForm1& form = windows.Form1;
    RecordingBus bus;
    PortBusScope useRecording{bus};
    bool acted = false;
    std::size_t pairsRead = 0;
};

struct StopCase {
    const char* name;
    std::function<void(TForm1&)> stop;
};

void PrintTo(const StopCase& c, std::ostream* out) {
    *out << c.name;
}

class RunStop : public WindowRun, public testing::WithParamInterface<StopCase> {};

TEST_P(RunStop, KeepsThePairsReadAsACompletedRunOfThemAndTheWindowOpen) {
    runActing([this] { GetParam().stop(form); });
    ASSERT_TRUE(acted);
    ASSERT_LT(pairsRead, 40U);
    KordelWindows completed;
    completed.run(QString::number(pairsRead), "20");
    // The clock moves only by the pauses, each waited to its end and not beyond.
    EXPECT_NEAR(completed.state.Elapsed, 0.020 * static_cast<double>(pairsRead), 1e-9);
    EXPECT_EQ(linesOf(form.list1()), linesOf(completed.Form1.list1()));
    EXPECT_EQ(linesOf(form.list2()), linesOf(completed.Form1.list2()));
    EXPECT_EQ(windows.state.Samples1, completed.state.Samples1);
    EXPECT_EQ(windows.state.SampleCount, completed.state.SampleCount);
    EXPECT_DOUBLE_EQ(windows.state.Elapsed, completed.state.Elapsed);
    EXPECT_EQ(form.canvas().image(), completed.Form1.canvas().image());
    QApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "Демонстрационный режим: преобразователи смоделированы");
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RunStop,
    testing::Values(
        StopCase{"Esc", [](TForm1& form) { QTest::keyClick(&form, Qt::Key_Escape); }},
        StopCase{"EscInAField", [](TForm1& form) { QTest::keyClick(form.Edit2, Qt::Key_Escape); }},
        StopCase{"ExitButton",
                 [](TForm1& form) { QTest::mouseClick(form.SpeedButton5, Qt::LeftButton); }},
        StopCase{"TitleBarClose", [](TForm1& form) { form.windowHandle()->close(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowRun, TakesNoOtherInputMeanwhileAndSaysEscStopsIt) {
    QString caption;
    bool dialogShown = false;
    runActing([this, &caption, &dialogShown] {
        caption = form.windowTitle();
        QTest::keyClicks(form.Edit1, "7");
        for (QToolButton* button : {form.SpeedButton1, form.SpeedButton3, form.SpeedButton2}) {
            const ModalAnswer dialog;
            QTest::mouseClick(button, Qt::LeftButton);
            dialogShown = dialogShown || dialog.seen().shown;
        }
    });
    EXPECT_TRUE(caption.endsWith(", Esc — остановить")) << caption.toStdString();
    EXPECT_EQ(form.Edit1->text(), "40");
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(form.list1().size(), 40U);
}

TEST_F(WindowRun, TakesALocaleChangeMeanwhileInForTheNextRun) {
    const QLocale before;
    runActing([this] {
        QLocale::setDefault(QLocale(QLocale::German));
        QApplication::postEvent(&form, new QEvent(QEvent::LocaleChange));
        QApplication::processEvents();
    });
    EXPECT_EQ(form.list1().line(0), "2.509");
    windows.run("1");
    QLocale::setDefault(before);
    EXPECT_EQ(form.list1().line(0), "2,509");
}

// The run hands over every 50 pairs and goes on while the window takes them.
TEST(WindowRunWithoutPause, ShowsTheProgressAsThePairsComeAndKeepsThemAll) {
    KordelWindows windows;
    windows.clock.freeRunning = true;
    std::vector<int> shown;
    QObject::connect(&windows.Form1, &QWidget::windowTitleChanged, [&](const QString& caption) {
        if (caption.contains(" / 20000")) {
            shown.push_back(caption.section(' ', 0, 0).toInt());
        }
    });
    windows.run("20000");
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_LE(shown.empty() ? 0 : shown.back(), 20000);
    ASSERT_EQ(windows.Form1.list2().size(), 20000U);
    EXPECT_EQ(windows.Form1.list2().line(19999),
              generalText(codeToVolts(DemoBus::demoCode(50, 19999))));
}

struct LeaveCase {
    const char* name;
    QString answer;
    bool saveInDialog; // when the save dialog comes up: saves, or is cancelled
    bool closes;
};

void PrintTo(const LeaveCase& c, std::ostream* out) {
    *out << c.name;
}

class LeavingUnsaved : public WindowRun, public testing::WithParamInterface<LeaveCase> {
protected:
    QTemporaryDir folder;
};

TEST_P(LeavingUnsaved, AsksOnceWhetherToLeaveWithoutSaving) {
    windows.run("5");
    int asked = 0;
    std::optional<ModalAnswer> saveDialog;
    ModalAnswer question([&](QWidget* box) {
        ++asked;
        saveDialog.emplace([&](QWidget*) {
            if (GetParam().saveInDialog) {
                windows.FSave.DirectoryListBox1->setDirectory(folder.path().toStdString());
                windows.FSave.Edit1->setText("ab");
                windows.FSave.Button1->click();
            } else {
                windows.FSave.Button2->click();
            }
        });
        pressing(GetParam().answer)(box);
    });
    form.close();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(question.seen().title, "Kordel (com)");
    EXPECT_EQ(question.seen().text,
              "Результаты измерения не сохранены. Сохранить их перед выходом?");
    EXPECT_EQ(question.seen().icon, QMessageBox::Question);
    EXPECT_EQ(form.isVisible(), !GetParam().closes);
    EXPECT_EQ(std::filesystem::exists(folder.filePath("ab(1).txt").toStdString()),
              GetParam().saveInDialog);
}

INSTANTIATE_TEST_SUITE_P(Answers, LeavingUnsaved,
                         testing::Values(LeaveCase{"Cancel", "Отмена", false, false},
                                         LeaveCase{"Leave", "Выйти без сохранения", false, true},
                                         LeaveCase{"SaveAndLeave", "Сохранить", true, true},
                                         LeaveCase{"SaveCancelled", "Сохранить", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct NothingToSaveCase {
    const char* name;
    std::function<void(KordelWindows&)> before;
};

void PrintTo(const NothingToSaveCase& c, std::ostream* out) {
    *out << c.name;
}

class NothingToSave : public testing::TestWithParam<NothingToSaveCase> {};

TEST_P(NothingToSave, ClosesWithoutAQuestion) {
    KordelWindows windows;
    GetParam().before(windows);
    ModalAnswer question([](QWidget* box) { qobject_cast<QMessageBox*>(box)->reject(); });
    windows.Form1.close();
    EXPECT_FALSE(question.seen().shown);
    EXPECT_FALSE(windows.Form1.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Windows, NothingToSave,
                         testing::Values(NothingToSaveCase{"NoRun", [](KordelWindows&) {}},
                                         NothingToSaveCase{"RunKeptNoPair",
                                                           [](KordelWindows& windows) {
                                                               ModalAnswer error;
                                                               windows.run("x");
                                                           }},
                                         NothingToSaveCase{
                                             "Saved",
                                             [](KordelWindows& windows) {
                                                 QTemporaryDir folder;
                                                 windows.run("5");
                                                 ModalAnswer save([&](QWidget*) {
                                                     windows.FSave.DirectoryListBox1->setDirectory(
                                                         folder.path().toStdString());
                                                     windows.FSave.Edit1->setText("ab");
                                                     windows.FSave.Button1->click();
                                                 });
                                                 QTest::mouseClick(windows.Form1.SpeedButton2,
                                                                   Qt::LeftButton);
                                             }}),
                         [](const auto& info) { return std::string(info.param.name); });

struct SignalCase {
    int signal;
    int status;
};

void PrintTo(const SignalCase& c, std::ostream* out) {
    *out << strsignal(c.signal);
}

class StopSignal : public WindowRun, public testing::WithParamInterface<SignalCase> {};

// The program's event loop runs here as at start-up; the signal comes in the run's pause.
TEST_P(StopSignal, EndsTheRunAfterThePairAndThenTheProgramAskingNothing) {
    StopRequest& request = installStopSignals();
    endOnStopSignals(form, request);
    ModalAnswer question([](QWidget* box) { qobject_cast<QMessageBox*>(box)->reject(); });
    QTimer::singleShot(0, &form, [this] {
        runActing([] {
            raise(GetParam().signal);
            QCoreApplication::processEvents();
        });
    });
    const int status = QApplication::exec();
    request.requested = false;
    request.signal = 0;
    EXPECT_EQ(status, GetParam().status);
    ASSERT_TRUE(acted);
    EXPECT_EQ(form.list1().size(), pairsRead);
    EXPECT_EQ(windows.state.SampleCount, static_cast<std::int32_t>(pairsRead));
    EXPECT_FALSE(question.seen().shown);
    EXPECT_TRUE(form.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignal,
                         testing::Values(SignalCase{SIGHUP, 129}, SignalCase{SIGINT, 130},
                                         SignalCase{SIGTERM, 143}));

} // namespace
} // namespace kordel
