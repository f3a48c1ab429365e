#include "ui/Unit1.h"

#include "acquisition/Run.h"
#include "common/NumberText.h"
#include "journal/JournalFile.h"
#include "journal/Recovery.h"
#include "output/DecimalSeparator.h"
#include "plot/PlotRenderer.h"
#include "ui/Centring.h"
#include "ui/Controls.h"
#include "ui/ErrorBox.h"
#include "ui/ProgressCaption.h"
#include "ui/RunLoop.h"
#include "ui/ToolIcons.h"
#include "ui/USave.h"
#include "ui/Ungr.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <optional>

namespace kordel {

namespace {

const QString DemoCaption = QStringLiteral("Демонстрационный режим: преобразователи смоделированы");
// After the progress in the caption while a run lasts.
const QString StopHint = QStringLiteral(", Esc — остановить");
const QColor White(255, 255, 255);
const QColor Yellow(255, 255, 0);

QToolButton* toolButton(QWidget* parent, int left, const QIcon& icon, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setGeometry(left, 8, 33, 25);
    button->setIcon(icon);
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

std::string textOf(const QLineEdit* edit) {
    return edit->text().toStdString();
}

void colourByText(QLineEdit* edit) {
    setEditColour(edit, edit->text() == "1" ? White : Yellow);
}

// While a run lasts the window holds a copy of each pair it has read, so the run itself may
// take only half of the memory left.
std::optional<std::uint64_t> memoryLeftForRun() {
    const std::optional<std::uint64_t> available = systemAvailableMemory();
    return available ? std::optional<std::uint64_t>(*available / 2) : std::nullopt;
}

enum class LeaveAnswer { Save, Leave, Stay };

LeaveAnswer askBeforeLeaving(QWidget* parent) {
    QMessageBox box(
        QMessageBox::Question, ApplicationTitle,
        QStringLiteral("Результаты измерения не сохранены. Сохранить их перед выходом?"),
        QMessageBox::NoButton, parent);
    QPushButton* save = box.addButton(QStringLiteral("Сохранить"), QMessageBox::AcceptRole);
    QPushButton* leave =
        box.addButton(QStringLiteral("Выйти без сохранения"), QMessageBox::DestructiveRole);
    QPushButton* stay = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(stay);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return box.clickedButton() == save    ? LeaveAnswer::Save
           : box.clickedButton() == leave ? LeaveAnswer::Leave
                                          : LeaveAnswer::Stay;
}

} // namespace

QFont formFont() {
    QFont font(QStringLiteral("Liberation Sans"), 8);
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    return font;
}

void setEditColour(QLineEdit* edit, QColor colour) {
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, colour);
    edit->setPalette(palette);
}

TForm1::TForm1(SharedState& state, bool demo, Clock& clock)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      state_(state), clock_(clock) {
    setWindowTitle(demo ? DemoCaption : QString());
    setFont(formFont());
    setFixedSize(640, 461);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);

    createToolBar();
    Image1 = new PlotImage(this);
    Image1->move(0, 40);
    Image2 = new PlotImage(this);
    Image2->move(0, 40);
    Image2->hide();
    Memo1 = new ValueListView(list1_, this);
    Memo1->setGeometry(496, 40, 73, 417);
    Memo2 = new ValueListView(list2_, this);
    Memo2->setGeometry(568, 40, 73, 417);
    createParameters();
    setTabOrder();
    connectHandlers();
    readDecimalSeparator();

    centreOnScreen(*this);
}

void TForm1::createToolBar() {
    Panel1 = new QFrame(this);
    Panel1->setGeometry(0, 0, 640, 41);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    SpeedButton1 = toolButton(Panel1, 32, startIcon(), QStringLiteral("Start"));
    SpeedButton3 = toolButton(Panel1, 80, optionsIcon(), QStringLiteral("Options"));
    SpeedButton2 = toolButton(Panel1, 128, saveIcon(), QStringLiteral("Save"));
    SpeedButton5 = toolButton(Panel1, 448, exitIcon(), QStringLiteral("Exit"));
    Label4 = label(QStringLiteral("com 1"), Panel1, 512, 24);
    Label5 = label(QStringLiteral("com 2"), Panel1, 584, 24);
}

void TForm1::createParameters() {
    GroupBox2 = new GroupBox(QStringLiteral("Порт"), this, {0, 352, 137, 105});
    Label8 = label(QStringLiteral("COM  1"), GroupBox2, 16, 32);
    Edit5 = edit(GroupBox2, {72, 24, 41, 21});
    Label9 = label(QStringLiteral("COM  2"), GroupBox2, 16, 64);
    Edit6 = edit(GroupBox2, {72, 56, 41, 21});

    GroupBox1 = new GroupBox(QStringLiteral("Параметры"), this, {136, 352, 361, 105});
    Label2 = label(QStringLiteral("Кол - во измерений"), GroupBox1, 72, 40);
    Edit1 = edit(GroupBox1, {192, 33, 41, 21}, QStringLiteral(" "));
    Label1 = label(QStringLiteral("Частота измерения"), GroupBox1, 72, 64);
    Edit2 = edit(GroupBox1, {192, 56, 41, 21}, QStringLiteral(" "));
    Label3 = label(QStringLiteral("Делитель"), GroupBox1, 72, 88);
    Label6 = label(QStringLiteral("com 1"), GroupBox1, 152, 88);
    Edit3 = edit(GroupBox1, {192, 80, 41, 21});
    setEditColour(Edit3, White);
    Edit4 = edit(GroupBox1, {248, 80, 41, 21}, QStringLiteral(" "));
    Label7 = label(QStringLiteral("com 2"), GroupBox1, 296, 88);
}

void TForm1::setTabOrder() {
    kordel::setTabOrder({Memo1, Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Memo2});
}

void TForm1::connectHandlers() {
    connect(SpeedButton1, &QToolButton::clicked, this,
            [this] { guarded(this, [this] { Cl1(); }); });
    connect(SpeedButton3, &QToolButton::clicked, this,
            [this] { guarded(this, [this] { SpeedButton3Click(); }); });
    connect(SpeedButton2, &QToolButton::clicked, this,
            [this] { guarded(this, [this] { ClSave(); }); });
    connect(SpeedButton5, &QToolButton::clicked, this,
            [this] { guarded(this, [this] { Clos(); }); });
    connect(Edit3, &QLineEdit::textChanged, this, [this] { Change(); });
    connect(Edit4, &QLineEdit::textChanged, this, [this] { Change2(); });
}

void TForm1::setDialogs(TFSave& save, TFNgr& options) {
    FSave_ = &save;
    FNgr_ = &options;
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!activated_) {
        activated_ = true;
        guarded(this, [this] { Act(); });
    }
}

void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LocaleChange) {
        readDecimalSeparator();
    }
    QWidget::changeEvent(event);
}

void TForm1::readDecimalSeparator() {
    separator_ = localeDecimalSeparator();
}

void TForm1::Act() {
    applyDefaults(state_, Image1->width(), Image1->height());
    Edit3->setText(QString::fromStdString(generalText(state_.Divider1, separator_)));
    Edit4->setText(QString::fromStdString(generalText(state_.Divider2, separator_)));
    Edit5->setText(QString::fromStdString(hexText(state_.Port1Base)));
    Edit6->setText(QString::fromStdString(hexText(state_.Port2Base)));
}

void TForm1::Cl1() {
    if (runLoop_ != nullptr) {
        return;
    }
    const RunFields fields{textOf(Edit5), textOf(Edit6), textOf(Edit1),
                           textOf(Edit2), textOf(Edit3), textOf(Edit4)};
    const QString caption = windowTitle();
    std::optional<LivePlot> live;
    if (liveView_) {
        live.emplace(Image2->canvas(), state_, showGrid(), showAxes(), separator_);
    }
    // The run's thread works on these; meanwhile the window shows copies of what it hands over.
    SharedState run = std::move(state_);
    ValueList list1 = std::move(list1_);
    ValueList list2 = std::move(list2_);
    state_.Samples1.clear();
    state_.Samples2.clear();
    list1_.clear();
    list2_.clear();
    const std::exception_ptr failure =
        runOnThread(fields, run, list1, list2, live ? &*live : nullptr);
    state_ = std::move(run);
    list1_ = std::move(list1);
    list2_ = std::move(list2);
    unsaved_ = !list1_.empty();

    Image2->hide();
    setWindowTitle(caption);
    showLists();
    if (exitStatus_) {
        QCoreApplication::exit(*exitStatus_);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    drawPlot();
}

std::exception_ptr TForm1::runOnThread(const RunFields& fields, SharedState& run, ValueList& list1,
                                       ValueList& list2, LivePlot* live) {
    const char separator = separator_;
    try {
        RunLoop loop(*this, *SpeedButton5);
        RunPacer pacer(clock_, run, list1, list2, loop.stopFlag(), [&loop] { loop.wake(); });
        runLoop_ = &loop;
        const std::exception_ptr failure = loop.exec(
            [&] {
                RunContext context{run,
                                   list1,
                                   list2,
                                   pacer,
                                   separator,
                                   &pacer,
                                   &loop.stopFlag(),
                                   memoryLeftForRun};
                context.journal = journal_;
                performRun(fields, context);
            },
            [&] { showProgress(live, pacer.take(state_, list1_, list2_)); });
        runLoop_ = nullptr;
        if (loop.localeChanged()) {
            readDecimalSeparator();
        }
        return failure;
    } catch (...) {
        runLoop_ = nullptr;
        return std::current_exception();
    }
}

void TForm1::resultSaved() {
    if (journal_ != nullptr) {
        journal_->remove();
    }
}

void TForm1::showRecoveredRun(const JournalContent& journal) {
    const RunFields& fields = journal.header.fields;
    const std::pair<QLineEdit*, const std::string*> texts[] = {
        {Edit5, &fields.Edit5}, {Edit6, &fields.Edit6}, {Edit1, &fields.Edit1},
        {Edit2, &fields.Edit2}, {Edit3, &fields.Edit3}, {Edit4, &fields.Edit4}};
    for (const auto& [edit, text] : texts) {
        edit->setText(QString::fromStdString(*text));
    }
    restoreRun(journal, state_, list1_, list2_);
    unsaved_ = true;
    showLists();
    drawPlot();
}

void TForm1::drawPlot() {
    Canvas& canvas = Image1->canvas();
    clearImage(canvas, state_.Settings);
    Image1->update(); // painted later, with whatever the drawing reached
    DrawPlot(canvas, state_.Settings, plotData(state_), showGrid(), showAxes(), separator_);
}

bool TForm1::showGrid() const {
    return FNgr_->CheckBox2->isChecked();
}

bool TForm1::showAxes() const {
    return FNgr_->CheckBox1->isChecked();
}

void TForm1::showProgress(LivePlot* live, const RunPacer::Progress& progress) {
    setWindowTitle(
        QString::fromStdString(progressCaption(progress.pairs, progress.total, progress.seconds)) +
        StopHint);
    showLists();
    if (live != nullptr && progress.pairs > 0) {
        live->refresh(progress.pairs, progress.seconds);
        Image2->show();
        Image2->update();
    }
}

void TForm1::showLists() {
    Memo1->refresh();
    Memo2->refresh();
}

void TForm1::SpeedButton3Click() {
    FNgr_->exec();
}

void TForm1::ClSave() {
    if (FSave_->exec() == QDialog::Accepted) {
        unsaved_ = false;
    }
}

void TForm1::Clos() {
    close();
}

// A close request during a run stops the run instead (RunLoop).
void TForm1::closeEvent(QCloseEvent* event) {
    bool close = false;
    guarded(this, [&] { close = mayClose(); });
    if (!close) {
        event->ignore();
    }
}

bool TForm1::mayClose() {
    if (!unsaved_) {
        return true;
    }
    switch (askBeforeLeaving(this)) {
    case LeaveAnswer::Save:
        ClSave();
        return !unsaved_;
    case LeaveAnswer::Leave:
        unsaved_ = false;
        resultSaved(); // left on purpose: the journal goes too
        return true;
    case LeaveAnswer::Stay:
        break;
    }
    return false;
}

void TForm1::endOnSignal(int exitStatus) {
    exitStatus_ = exitStatus;
    if (runLoop_ != nullptr) {
        runLoop_->stop();
    } else {
        QCoreApplication::exit(exitStatus);
    }
}

void TForm1::Change() {
    colourByText(Edit3);
}

void TForm1::Change2() {
    colourByText(Edit4);
}

} // namespace kordel
