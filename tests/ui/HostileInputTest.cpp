#include "common/Error.h"
#include "ui/KordelWindows.h"
#include "ui/ModalAnswer.h"

#include <QClipboard>
#include <gtest/gtest.h>

namespace kordel {
namespace {

using testing_support::KordelWindows;
using testing_support::ModalAnswer;

// The hostile texts every run field is fed; none of them is an integer in any field.
// clang-format off
const std::vector<std::string> HostileTexts{
    "", " ", "   ", "\t", "\t5", "5\t", "+", "-", "$", "0x", "FFFFFFFFF", "2147483648",
    "-2147483649", "1,5", "1.5", "١٢٣", "１２", std::string("1\0" "2", 3)};
// clang-format on

struct Field {
    const char* name;
    QLineEdit* TForm1::*edit;
    bool hexadecimal; // converted with a "$" in front
};

const Field Fields[] = {{"Edit1", &TForm1::Edit1, false}, {"Edit2", &TForm1::Edit2, false},
                        {"Edit3", &TForm1::Edit3, false}, {"Edit4", &TForm1::Edit4, false},
                        {"Edit5", &TForm1::Edit5, true},  {"Edit6", &TForm1::Edit6, true}};

QString qtext(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class HostileRunField : public testing::TestWithParam<Field> {
protected:
    HostileRunField() {
        form.Edit1->setText("3");
        form.Edit2->setText("0");
    }

    // Presses Start and returns what the error box said, if it came up.
    QString startError() {
        ModalAnswer answer;
        QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);
        return answer.seen().shown ? answer.seen().text : QStringLiteral("no box");
    }

    QString expectedError(const QString& text) const {
        const QString converted = GetParam().hexadecimal ? "$" + text : text;
        const std::string message =
            "'" + converted.toStdString() + "' is not a valid integer value";
        return qtext(errorBoxText(message));
    }

    void expectAGoodRunStillWorks() {
        for (const Field& field : Fields) {
            (form.*field.edit)->setText(field.hexadecimal ? "3F8" : "1");
        }
        form.Edit6->setText("2F8");
        form.Edit1->setText("3");
        EXPECT_EQ(startError(), "no box");
        EXPECT_EQ(form.list1().size(), 3U);
        EXPECT_TRUE(form.canvas().hasRaster());
    }

    KordelWindows windows;
    TForm1& form = windows.Form1;
};

TEST_P(HostileRunField, EachTextGivesTheConversionErrorAndTheWindowStaysUsable) {
    QLineEdit* edit = form.*GetParam().edit;
    for (const std::string& text : HostileTexts) {
        edit->setText(qtext(text));
        EXPECT_EQ(startError(), expectedError(edit->text()))
            << GetParam().name << " '" << text << "'";
    }
    expectAGoodRunStillWorks();
}

TEST_P(HostileRunField, MarkupIsShownAsTheCharactersTyped) {
    QLineEdit* edit = form.*GetParam().edit;
    for (const char* text : {"<b>5</b>", "<i>x", "a<br>b", "&lt;"}) {
        edit->setText(text);
        ModalAnswer answer;
        QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);
        EXPECT_EQ(answer.seen().text, expectedError(text)) << text;
        EXPECT_EQ(answer.seen().format, Qt::PlainText) << text;
    }
}

TEST_P(HostileRunField, APastedTextIsCutToTheFieldsLengthAndRefused) {
    QLineEdit* edit = form.*GetParam().edit;
    edit->clear();
    QApplication::clipboard()->setText(QString(40000, '7'));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(edit->text().size(), 32767);
    EXPECT_EQ(startError(), expectedError(edit->text()));
    expectAGoodRunStillWorks();
}

INSTANTIATE_TEST_SUITE_P(MainWindow, HostileRunField, testing::ValuesIn(Fields),
                         [](const auto& info) { return std::string(info.param.name); });

struct AcceptedCase {
    QLineEdit* TForm1::*edit;
    QString text;
    std::function<void(const SharedState&)> check;
};

TEST(AcceptedRunField, TakesTheIntegerRuleAtItsWord) {
    const AcceptedCase cases[] = {
        {&TForm1::Edit1, "  2", [](const SharedState& s) { EXPECT_EQ(s.SampleCount, 2); }},
        {&TForm1::Edit1, "$3", [](const SharedState& s) { EXPECT_EQ(s.SampleCount, 3); }},
        {&TForm1::Edit2, "-5", [](const SharedState& s) { EXPECT_EQ(s.SampleCount, 3); }},
        {&TForm1::Edit3, "0x10", [](const SharedState& s) { EXPECT_EQ(s.Divider1, 16.0); }},
        {&TForm1::Edit4, "-2", [](const SharedState& s) { EXPECT_EQ(s.Divider2, -2.0); }},
        {&TForm1::Edit5, "3f8", [](const SharedState& s) { EXPECT_EQ(s.Port1Base, 0x3F8); }},
        {&TForm1::Edit6, "FFFF02F8", [](const SharedState& s) { EXPECT_EQ(s.Port2Base, 0x2F8); }},
    };
    for (const AcceptedCase& c : cases) {
        KordelWindows windows;
        windows.Form1.Edit1->setText("3");
        windows.Form1.Edit2->setText("0");
        (windows.Form1.*c.edit)->setText(c.text);
        ModalAnswer answer;
        QTest::mouseClick(windows.Form1.SpeedButton1, Qt::LeftButton);
        EXPECT_FALSE(answer.seen().shown) << c.text.toStdString();
        c.check(windows.state);
    }
}

struct OptionsField {
    const char* name;
    QLineEdit* TFNgr::*edit;
    std::size_t setting; // its place in the order of the settings checked below
};

const OptionsField OptionsFields[] = {{"Edit1", &TFNgr::Edit1, 0}, {"Edit2", &TFNgr::Edit2, 1},
                                      {"Edit3", &TFNgr::Edit3, 2}, {"Edit4", &TFNgr::Edit4, 3},
                                      {"Edit5", &TFNgr::Edit5, 4}, {"Edit6", &TFNgr::Edit6, 5},
                                      {"Edit7", &TFNgr::Edit7, 6}};

class HostileOptionsField : public testing::TestWithParam<OptionsField> {
protected:
    // Presses OK and returns what the error box said, if it came up.
    QString okError() {
        ModalAnswer answer;
        dialog.Button1->click();
        return answer.seen().shown ? answer.seen().text : QStringLiteral("no box");
    }

    KordelWindows windows;
    TFNgr& dialog = windows.FNgr;
};

TEST_P(HostileOptionsField, EachTextGivesTheConversionErrorAndTheDialogStaysUsable) {
    windows.run("20");
    const PlotSettings before = windows.state.Settings;
    QStringList shown;
    QString goodOk;
    ModalAnswer inside([&](QWidget*) {
        QLineEdit* edit = dialog.*GetParam().edit;
        std::vector<QString> texts;
        for (const std::string& text : HostileTexts) {
            texts.push_back(qtext(text));
        }
        texts.push_back(QString(32767, '9'));
        for (const QString& text : texts) {
            edit->setText(text);
            const std::string message =
                "'" + edit->text().toStdString() + "' is not a valid integer value";
            EXPECT_EQ(okError(), qtext(errorBoxText(message))) << GetParam().name;
            EXPECT_TRUE(dialog.isVisible());
        }
        edit->setText("5");
        goodOk = okError();
    });
    QTest::mouseClick(windows.Form1.SpeedButton3, Qt::LeftButton);
    ASSERT_TRUE(inside.seen().shown);
    EXPECT_EQ(goodOk, "no box");
    EXPECT_FALSE(dialog.isVisible());
    const PlotSettings& after = windows.state.Settings;
    const std::int32_t changed[] = {after.OxDigits,    after.OxDivisions, after.OyDivisions,
                                    after.RightMargin, after.LeftMargin,  after.TopMargin,
                                    after.BottomMargin};
    const std::int32_t earlier[] = {before.OxDigits,    before.OxDivisions, before.OyDivisions,
                                    before.RightMargin, before.LeftMargin,  before.TopMargin,
                                    before.BottomMargin};
    for (std::size_t i = 0; i < std::size(changed); ++i) {
        EXPECT_EQ(changed[i], i == GetParam().setting ? 5 : earlier[i]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(OptionsDialog, HostileOptionsField, testing::ValuesIn(OptionsFields),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kordel
