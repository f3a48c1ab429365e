#include "ui/KordelWindows.h"
#include "ui/ModalAnswer.h"

#include <QLineEdit>
#include <functional>
#include <gtest/gtest.h>

namespace kordel {
namespace {

using testing_support::KordelWindows;
using testing_support::ModalAnswer;
using testing_support::ModalSeen;

constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Green = qRgb(0, 128, 0);
constexpr QRgb Red = qRgb(255, 0, 0);

// Columns that carry a vertical grid line between the default top and bottom margins; the
// dotted horizontal lines and the trace leave far fewer green pixels in any other column.
int verticalGridLines(const QImage& image) {
    int lines = 0;
    for (int x = 0; x < image.width(); ++x) {
        int green = 0;
        for (int y = 21; y < image.height() - 31; ++y) {
            green += image.pixel(x, y) == Green ? 1 : 0;
        }
        lines += green >= 40 ? 1 : 0;
    }
    return lines;
}

int countOf(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

class OptionsDialog : public testing::Test {
protected:
    // Opens the dialog from the tool bar and runs `inside` while it is up; whatever leaves it
    // open is cancelled afterwards, so a failing test never hangs in the modal loop.
    void withDialogOpen(const std::function<void()>& inside) {
        ModalAnswer answer([&](QWidget*) {
            inside();
            if (dialog.isVisible()) {
                dialog.reject();
            }
        });
        QTest::mouseClick(form.SpeedButton3, Qt::LeftButton);
        ASSERT_TRUE(answer.seen().shown);
    }

    // Presses OK with the error box expected: records what it showed and whether the
    // dialog was still on screen under it.
    ModalSeen pressOkExpectingAnError(bool& dialogUnderTheBox) {
        ModalAnswer box([&](QWidget* window) {
            dialogUnderTheBox = dialog.isVisible();
            ModalAnswer::closeIt(window);
        });
        dialog.Button1->click();
        return box.seen();
    }

    QStringList edits() const {
        return {dialog.Edit1->text(), dialog.Edit2->text(), dialog.Edit3->text(),
                dialog.Edit4->text(), dialog.Edit5->text(), dialog.Edit6->text(),
                dialog.Edit7->text()};
    }

    const QImage& image() { return form.canvas().image(); }

    KordelWindows windows;
    TForm1& form = windows.Form1;
    TFNgr& dialog = windows.FNgr;
    PlotSettings& settings = windows.state.Settings;
};

TEST_F(OptionsDialog, ShowsTheStartUpSettingsWithOkFocused) {
    QStringList shown;
    QWidget* focused = nullptr;
    withDialogOpen([&] {
        shown = edits();
        focused = dialog.focusWidget();
    });
    EXPECT_EQ(shown, QStringList({"3", "7", "7", "20", "30", "20", "30"}));
    EXPECT_EQ(focused, dialog.Button1);
}

TEST_F(OptionsDialog, OpensCentredOnTheMainWindowThenWhereItWasLeft) {
    form.move(form.pos() + QPoint(-60, 25)); // away from the screen's centre
    QPoint firstCentre;
    QPoint leftAt;
    withDialogOpen([&] {
        firstCentre = dialog.geometry().center();
        dialog.move(dialog.pos() + QPoint(40, 30));
        leftAt = dialog.pos();
        dialog.Edit3->setFocus();
    });
    QPoint reopenedAt;
    QWidget* focused = nullptr;
    withDialogOpen([&] {
        reopenedAt = dialog.pos();
        focused = dialog.focusWidget();
    });
    EXPECT_LE((firstCentre - form.geometry().center()).manhattanLength(), 2);
    EXPECT_EQ(reopenedAt, leftAt);
    EXPECT_EQ(focused, dialog.Button1);
}

TEST_F(OptionsDialog, EscapeFromAnyControlCancelsAndEnterRightAfterOpeningConfirms) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{dialog.Button1, dialog.Edit2, dialog.CheckBox1}) {
        bool openAfterEscape = true;
        withDialogOpen([&] {
            dialog.Edit2->setText("9");
            control->setFocus();
            QTest::keyClick(control, Qt::Key_Escape);
            openAfterEscape = dialog.isVisible();
        });
        EXPECT_FALSE(openAfterEscape) << control->metaObject()->className();
    }
    EXPECT_EQ(settings.OxDivisions, 7);
    withDialogOpen([&] {
        dialog.Edit2->setText("9");
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(settings.OxDivisions, 9);
}

TEST_F(OptionsDialog, EnterInAnEditPressesNoButton) {
    bool openAfterEnter = false;
    withDialogOpen([&] {
        dialog.Edit1->setFocus();
        dialog.Edit1->setText("8");
        QTest::keyClick(dialog.Edit1, Qt::Key_Return);
        openAfterEnter = dialog.isVisible();
    });
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(settings.OxDigits, 3);
}

TEST_F(OptionsDialog, OkAfterARunRedrawsWithTheNewDivisionsAndLaterRunsKeepThem) {
    windows.run("150");
    ASSERT_EQ(verticalGridLines(image()), 7);
    bool closedByOk = false;
    withDialogOpen([&] {
        dialog.Edit2->setText("10");
        dialog.Button1->click();
        closedByOk = !dialog.isVisible();
    });
    EXPECT_TRUE(closedByOk);
    EXPECT_EQ(settings.OxDivisions, 10);
    EXPECT_EQ(verticalGridLines(image()), 10);
    EXPECT_GT(countOf(image(), Red), 0);

    QString reopened;
    withDialogOpen([&] { reopened = dialog.Edit2->text(); });
    EXPECT_EQ(reopened, "10");
    windows.run("150");
    EXPECT_EQ(verticalGridLines(image()), 10);
}

TEST_F(OptionsDialog, OkBeforeAnyRunStoresTheValuesAndDrawsNothing) {
    withDialogOpen([&] {
        dialog.Edit1->setText("5");
        dialog.Edit7->setText("-4");
        dialog.Button1->click();
    });
    EXPECT_EQ(settings.OxDigits, 5);
    EXPECT_EQ(settings.BottomMargin, -4);
    EXPECT_FALSE(form.canvas().hasRaster());
}

TEST_F(OptionsDialog, CancelKeepsTheSettingsButNotTheSwitchesBack) {
    withDialogOpen([&] {
        dialog.Edit1->setText("9");
        QTest::mouseClick(dialog.CheckBox2, Qt::LeftButton);
        dialog.Button2->click();
    });
    EXPECT_EQ(settings.OxDigits, 3);
    windows.run("150");
    EXPECT_EQ(countOf(image(), Green), 0);
    EXPECT_GT(countOf(image(), Red), 0);

    bool gridStillOff = false;
    withDialogOpen([&] { gridStillOff = !dialog.CheckBox2->isChecked(); });
    EXPECT_TRUE(gridStillOff);
    EXPECT_TRUE(dialog.CheckBox1->isChecked());
}

TEST_F(OptionsDialog, ABadTextStoresTheEditsBeforeItAndKeepsTheDialogOpen) {
    windows.run("150");
    const QImage before = image();
    bool dialogUnderTheBox = false;
    bool openAfterwards = false;
    ModalSeen error;
    withDialogOpen([&] {
        dialog.Edit1->setText("4");
        dialog.Edit2->setText("9");
        dialog.Edit3->setText("$A");
        dialog.Edit4->setText("abc");
        dialog.Edit5->setText("1");
        error = pressOkExpectingAnError(dialogUnderTheBox);
        openAfterwards = dialog.isVisible();
    });
    EXPECT_EQ(error.title, "Kordel (com)");
    EXPECT_EQ(error.text, "'abc' is not a valid integer value.");
    EXPECT_EQ(error.icon, QMessageBox::Critical);
    EXPECT_TRUE(dialogUnderTheBox);
    EXPECT_TRUE(openAfterwards);
    EXPECT_EQ(settings.OxDigits, 4);
    EXPECT_EQ(settings.OxDivisions, 9);
    EXPECT_EQ(settings.OyDivisions, 10);
    EXPECT_EQ(settings.RightMargin, 20);
    EXPECT_EQ(settings.LeftMargin, 30);
    EXPECT_TRUE(image() == before);
}

TEST_F(OptionsDialog, ZeroDivisionsFailInTheRedrawAfterStoringAllAndCloseTheDialog) {
    windows.run("150");
    bool dialogUnderTheBox = false;
    bool closedAfterwards = false;
    ModalSeen error;
    withDialogOpen([&] {
        dialog.Edit3->setText("0");
        dialog.Edit7->setText("31");
        error = pressOkExpectingAnError(dialogUnderTheBox);
        closedAfterwards = !dialog.isVisible();
    });
    EXPECT_EQ(error.text, "Floating point division by zero.");
    EXPECT_TRUE(dialogUnderTheBox);
    EXPECT_TRUE(closedAfterwards);
    EXPECT_EQ(settings.OyDivisions, 0);
    EXPECT_EQ(settings.BottomMargin, 31);
    // Cleared and empty, framed by the red trace pen the previous plot left.
    const QImage& cleared = image();
    EXPECT_EQ(countOf(cleared, White), (cleared.width() - 2) * (cleared.height() - 2));
    EXPECT_EQ(cleared.pixel(0, 0), Red);
    EXPECT_TRUE(form.isEnabled());
}

} // namespace
} // namespace kordel
