#include "acquisition/Converter.h"
#include "common/NumberText.h"
#include "ui/KordelWindows.h"
#include "ui/ModalAnswer.h"

#include <QLocale>
#include <QSignalSpy>
#include <climits>
#include <gtest/gtest.h>

namespace kordel {
namespace {

using testing_support::KordelWindows;
using testing_support::ModalAnswer;

QColor baseOf(const QLineEdit* edit) {
    return edit->palette().color(QPalette::Base);
}

bool hasRed(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == qRgb(255, 0, 0)) {
                return true;
            }
        }
    }
    return false;
}

class MainWindow : public testing::Test {
protected:
    KordelWindows windows;
    TForm1& form = windows.Form1;
};

TEST_F(MainWindow, StartsWithTheDefaultsInItsFields) {
    EXPECT_EQ(form.Edit1->text(), " ");
    EXPECT_EQ(form.Edit2->text(), " ");
    EXPECT_EQ(form.Edit3->text(), "1");
    EXPECT_EQ(form.Edit4->text(), "1");
    EXPECT_EQ(form.Edit5->text(), "3F8");
    EXPECT_EQ(form.Edit6->text(), "2F8");
    EXPECT_EQ(baseOf(form.Edit3), QColor(255, 255, 255));
    EXPECT_EQ(baseOf(form.Edit4), QColor(255, 255, 255));
    EXPECT_EQ(windows.state.Settings.ImageWidth, 497);
    EXPECT_EQ(windows.state.Settings.ImageHeight, 313);
    EXPECT_FALSE(form.canvas().hasRaster());
    EXPECT_EQ(form.windowTitle(), "Демонстрационный режим: преобразователи смоделированы");
}

struct ColourCase {
    QString text;
    bool yellow;
};

class MultiplierColour : public MainWindow, public testing::WithParamInterface<ColourCase> {};

TEST_P(MultiplierColour, IsYellowUnlessTheTextIsExactlyOne) {
    for (QLineEdit* edit : {form.Edit3, form.Edit4}) {
        edit->clear();
        QTest::keyClicks(edit, GetParam().text);
        EXPECT_EQ(baseOf(edit), GetParam().yellow ? QColor(255, 255, 0) : QColor(255, 255, 255));
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, MultiplierColour,
                         testing::Values(ColourCase{"1", false}, ColourCase{"2", true},
                                         ColourCase{"01", true}, ColourCase{" 1", true},
                                         ColourCase{"1 ", true}, ColourCase{"", true}));

TEST_F(MainWindow, ClosingADialogDoesNotApplyTheDefaultsAgain) {
    form.Edit5->setText("3E8");
    form.Edit3->setText("5");
    ModalAnswer answer;
    QTest::mouseClick(form.SpeedButton3, Qt::LeftButton);
    ASSERT_TRUE(answer.seen().shown);
    EXPECT_EQ(answer.seen().title, "Опции");
    EXPECT_EQ(form.Edit5->text(), "3E8");
    EXPECT_EQ(form.Edit3->text(), "5");
}

TEST_F(MainWindow, StartWithTheInitialBlankShowsTheErrorAndDrawsNothing) {
    ModalAnswer answer;
    QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);
    ASSERT_TRUE(answer.seen().shown);
    EXPECT_EQ(answer.seen().title, "Kordel (com)");
    EXPECT_EQ(answer.seen().text, "' ' is not a valid integer value.");
    EXPECT_EQ(answer.seen().icon, QMessageBox::Critical);
    EXPECT_FALSE(form.canvas().hasRaster());
    EXPECT_TRUE(windows.state.DataReady);
    EXPECT_TRUE(form.isEnabled());
}

TEST_F(MainWindow, ADemoRunListsTheConverterValuesAndDrawsThePlot) {
    windows.run("150");
    ASSERT_EQ(form.list1().size(), 150U);
    ASSERT_EQ(form.list2().size(), 150U);
    for (std::size_t k = 0; k < 150; ++k) {
        const int index = static_cast<int>(k);
        EXPECT_EQ(form.list1().line(k), generalText(codeToVolts(DemoBus::demoCode(75, index))));
        EXPECT_EQ(form.list2().line(k), generalText(codeToVolts(DemoBus::demoCode(50, index))));
    }
    ASSERT_TRUE(form.canvas().hasRaster());
    EXPECT_TRUE(hasRed(form.canvas().image()));
    EXPECT_EQ(form.Memo1->selectedText(), "");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

struct LocaleCase {
    QLocale locale;
    std::string firstValue;
};

class DecimalSeparator : public MainWindow, public testing::WithParamInterface<LocaleCase> {};

TEST_P(DecimalSeparator, IsReadAgainWhenTheLocaleChanges) {
    const QLocale before;
    QLocale::setDefault(GetParam().locale);
    QApplication::postEvent(&form, new QEvent(QEvent::LocaleChange));
    QApplication::processEvents();
    windows.run("1");
    QLocale::setDefault(before);
    EXPECT_EQ(form.list1().line(0), GetParam().firstValue);
}

// A symbol outside ASCII (the Arabic decimal separator) cannot go into 8-bit value files.
INSTANTIATE_TEST_SUITE_P(Locales, DecimalSeparator,
                         testing::Values(LocaleCase{QLocale(QLocale::German), "2,509"},
                                         LocaleCase{QLocale(QLocale::English), "2.509"},
                                         LocaleCase{QLocale(QLocale::Arabic, QLocale::Egypt),
                                                    "2.509"}));

TEST_F(MainWindow, KeysAndClicksDuringARunReachNoControl) {
    ModalAnswer answer;
    QTimer::singleShot(0, &form, [&] {
        QTest::keyClicks(form.Edit3, "2");
        QTest::mouseClick(form.SpeedButton2, Qt::LeftButton); // Save
    });
    windows.run("3", "100");
    EXPECT_EQ(form.Edit3->text(), "1");
    EXPECT_FALSE(answer.seen().shown);
}

TEST_F(MainWindow, ShowsItIsBusyAndTheListsGrowingDuringARun) {
    std::vector<std::size_t> linesSeen;
    bool busyCursor = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        linesSeen.push_back(form.Memo1->firstVisibleLine());
        const QCursor* cursor = QApplication::overrideCursor();
        busyCursor = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
    });
    watcher.start(0);
    windows.run("100", "200");
    watcher.stop();
    ASSERT_FALSE(linesSeen.empty());
    const auto growing = std::count_if(linesSeen.begin(), linesSeen.end(), [&](std::size_t line) {
        return line > 0 && line < form.Memo1->firstVisibleLine();
    });
    EXPECT_GT(growing, 10);
    EXPECT_TRUE(busyCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindow, ExitClosesTheWindow) {
    QTest::mouseClick(form.SpeedButton5, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
}

} // namespace
} // namespace kordel

namespace kordel {
namespace {

// The rows and columns a group box's caption covers, and the row of its frame's top line.
struct CaptionPlace {
    int inkTop = INT_MAX;
    int inkBottom = -1;
    int inkLeft = INT_MAX;
    int frameTop = -1;
    int frameLeft = -1;
};

// The caption is what the title adds in dark ink; the frame's top line is the first row that
// is not background at the right end, its left side the first such column at the bottom.
CaptionPlace captionPlace(QGroupBox* box) {
    const QString title = box->title();
    const QImage titled = box->grab().toImage();
    box->setTitle(QString());
    const QImage untitled = box->grab().toImage();
    box->setTitle(title);

    CaptionPlace place;
    const QRgb background = titled.pixel(titled.width() - 4, 0);
    for (int y = 0; y < titled.height() && place.frameTop < 0; ++y) {
        place.frameTop = titled.pixel(titled.width() - 4, y) != background ? y : -1;
    }
    for (int x = 0; x < titled.width() && place.frameLeft < 0; ++x) {
        place.frameLeft = titled.pixel(x, titled.height() - 4) != background ? x : -1;
    }
    for (int y = 0; y < titled.height(); ++y) {
        for (int x = 0; x < titled.width(); ++x) {
            if (titled.pixel(x, y) != untitled.pixel(x, y) && qGray(titled.pixel(x, y)) < 80) {
                place.inkTop = std::min(place.inkTop, y);
                place.inkBottom = std::max(place.inkBottom, y);
                place.inkLeft = std::min(place.inkLeft, x);
            }
        }
    }
    return place;
}

class GroupBoxCaption : public testing::TestWithParam<QGroupBox * TForm1::*> {
protected:
    KordelWindows windows;
};

TEST_P(GroupBoxCaption, StandsOnTheFrameLineInFromTheLeft) {
    const CaptionPlace place = captionPlace(windows.Form1.*GetParam());
    ASSERT_GE(place.inkBottom, 0);
    EXPECT_LT(place.inkTop, place.frameTop);
    EXPECT_GT(place.inkBottom, place.frameTop);
    EXPECT_GE(place.inkLeft, place.frameLeft + 6);
}

INSTANTIATE_TEST_SUITE_P(Boxes, GroupBoxCaption,
                         testing::Values(&TForm1::GroupBox2, &TForm1::GroupBox1));

} // namespace
} // namespace kordel
