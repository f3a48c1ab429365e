#include "ui/Ungr.h"

#include "common/NumberText.h"
#include "ui/Centring.h"
#include "ui/Controls.h"
#include "ui/ErrorBox.h"
#include "ui/TitleBar.h"
#include "ui/Unit1.h"

#include <QKeyEvent>
#include <array>
#include <utility>

namespace kordel {

namespace {

QFrame* panel(QWidget* parent, QRect geometry) {
    auto* result = new QFrame(parent);
    result->setGeometry(geometry);
    result->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return result;
}

// Each edit with the setting it shows and stores, in the order they are filled and stored.
std::array<std::pair<QLineEdit*, std::int32_t*>, 7> bindings(TFNgr& dialog,
                                                             PlotSettings& settings) {
    return {{{dialog.Edit1, &settings.OxDigits},
             {dialog.Edit2, &settings.OxDivisions},
             {dialog.Edit3, &settings.OyDivisions},
             {dialog.Edit4, &settings.RightMargin},
             {dialog.Edit5, &settings.LeftMargin},
             {dialog.Edit6, &settings.TopMargin},
             {dialog.Edit7, &settings.BottomMargin}}};
}

} // namespace

TFNgr::TFNgr(TForm1& form) : QDialog(&form, CaptionOnly), form_(form) {
    setWindowTitle(QStringLiteral("Опции"));
    setFont(formFont());
    setFixedSize(473, 248);

    createDigitsPanel();
    createSwitchesPanel();
    createMarginsBox();
    createButtons();
    setTabOrder();
}

void TFNgr::createDigitsPanel() {
    Panel1 = panel(this, {0, 0, 273, 113});
    Label1 = label(QStringLiteral("Точность по оси OX (время)"), Panel1, 24, 24);
    Edit1 = edit(Panel1, {192, 16, 49, 21});
    Label2 = label(QStringLiteral("Кол - во значений по оси OX"), Panel1, 24, 56);
    Edit2 = edit(Panel1, {192, 48, 49, 21});
    Label3 = label(QStringLiteral("Кол - во значений по оси OY"), Panel1, 24, 88);
    Edit3 = edit(Panel1, {192, 80, 49, 21});
}

void TFNgr::createSwitchesPanel() {
    Panel2 = panel(this, {0, 112, 273, 65});
    CheckBox1 = checkedBox(QStringLiteral("Оси координат"), Panel2, {16, 8, 105, 17});
    CheckBox2 = checkedBox(QStringLiteral("Координатная сетка"), Panel2, {16, 32, 129, 17});
}

void TFNgr::createMarginsBox() {
    GroupBox1 = new GroupBox(QStringLiteral("Масштабирование"), this, {272, 0, 201, 249});
    Label4 = label(QStringLiteral("От правого края (pix)"), GroupBox1, 8, 40);
    Edit4 = edit(GroupBox1, {136, 32, 41, 21});
    Label5 = label(QStringLiteral("От левого края (pix)"), GroupBox1, 16, 80);
    Edit5 = edit(GroupBox1, {136, 72, 41, 21});
    Label6 = label(QStringLiteral("Сверху (pix)"), GroupBox1, 16, 120);
    Edit6 = edit(GroupBox1, {136, 112, 41, 21});
    Label7 = label(QStringLiteral("Снизу (pix)"), GroupBox1, 16, 160);
    Edit7 = edit(GroupBox1, {136, 152, 41, 21});
}

void TFNgr::createButtons() {
    Button1 = pushButton(QStringLiteral("OK"), this, {40, 208, 65, 25});
    Button2 = pushButton(QStringLiteral("Cancel"), this, {136, 208, 65, 25});
    connect(Button1, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { Button2Click(); }); });
}

void TFNgr::setTabOrder() {
    kordel::setTabOrder(
        {Button1, Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, CheckBox2, CheckBox1, Button2});
}

void TFNgr::showEvent(QShowEvent* event) {
    const bool placed = testAttribute(Qt::WA_Moved);
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;
    }
    askForCaptionOnly(*this, false);
    // Centred on the main window the first time; from then on it reopens where it was left.
    if (!placed) {
        centreWithFrame(*this, form_.frameGeometry());
    }
    setAttribute(Qt::WA_Moved);
    Button1->setFocus();
    guarded(this, [this] { Activ(); });
}

void TFNgr::keyPressEvent(QKeyEvent* event) {
    if (!handledAsDialogWithoutDefault(this, Button2, event)) {
        QDialog::keyPressEvent(event);
    }
}

void TFNgr::Activ() {
    for (const auto& [edit, setting] : bindings(*this, form_.state().Settings)) {
        edit->setText(QString::number(*setting));
    }
}

void TFNgr::Button1Click() {
    storeSettings();
    // A failed redraw is shown with the dialog still up; the dialog closes all the same.
    if (form_.state().DataReady) {
        guarded(this, [this] { form_.drawPlot(); });
    }
    reject();
}

void TFNgr::Button2Click() {
    reject();
}

// Each value is stored as soon as it is converted, so a bad text leaves the ones before it.
void TFNgr::storeSettings() {
    for (const auto& [edit, setting] : bindings(*this, form_.state().Settings)) {
        *setting = parseInteger(edit->text().toStdString());
    }
}

} // namespace kordel
