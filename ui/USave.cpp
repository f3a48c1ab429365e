#include "ui/USave.h"

#include "output/SavePath.h"
#include "output/SaveSteps.h"
#include "ui/Centring.h"
#include "ui/Controls.h"
#include "ui/ErrorBox.h"
#include "ui/TitleBar.h"
#include "ui/Unit1.h"

#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>

namespace kordel {

namespace {

// The outer 333 x 241 less a sizeable frame of 4 pixels and a title bar of 19.
constexpr QSize ClientSize(333 - 2 * 4, 241 - 2 * 4 - 19);

// Centred on the screen with its frame, once its size is known.
class WarningBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        if (const QScreen* shownOn = screen()) {
            centreWithFrame(*this, shownOn->availableGeometry());
        }
    }
};

// OK for both Enter and Esc.
void showWarning(const std::string& text) {
    WarningBox box(QMessageBox::Warning, QStringLiteral("Warning"), QString::fromStdString(text),
                   QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace

TFSave::TFSave(TForm1& form) : QDialog(&form, CaptionOnly), form_(form) {
    setWindowTitle(QStringLiteral("Save"));
    setFont(formFont());
    resize(ClientSize);
    createFileControls();
    createNameAndSwitches();
    setTabOrder();
    connectHandlers();
}

void TFSave::createFileControls() {
    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setGeometry(16, 8, 137, 19);
    DriveComboBox1->addItems(drives());
    DirectoryListBox1 = new DirectoryListBox(this);
    DirectoryListBox1->setGeometry(16, 32, 137, 97);
    FileListBox1 = new FileListBox(this);
    FileListBox1->setGeometry(168, 8, 137, 121);
    showDriveOfDirectory();
}

void TFSave::createNameAndSwitches() {
    Edit1 = edit(this, {16, 144, 137, 21});
    CheckBox1 = checkedBox(QStringLiteral(" Сохранить данные"), this, {176, 144, 129, 17});
    CheckBox2 = checkedBox(QStringLiteral(" Сохранить график"), this, {176, 168, 129, 17});
    Button1 = pushButton(QStringLiteral("Save"), this, {16, 176, 57, 25});
    Button2 = pushButton(QStringLiteral(" Cancel"), this, {96, 176, 57, 25});
}

void TFSave::setTabOrder() {
    kordel::setTabOrder({DriveComboBox1, FileListBox1, DirectoryListBox1, Button1, Button2, Edit1,
                         CheckBox1, CheckBox2});
}

void TFSave::connectHandlers() {
    // Chosen by the user, also when it is the drive already shown: that leads to its root.
    connect(DriveComboBox1, &QComboBox::activated, this,
            [this] { guarded(this, [this] { DriveComboBox1Change(); }); });
    connect(DirectoryListBox1, &DirectoryListBox::directoryChanged, this,
            [this] { guarded(this, [this] { DirectoryListBox1Change(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded(this, [this] { ClSv(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded(this, [this] { Cancel(); }); });
}

void TFSave::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;
    }
    askForCaptionOnly(*this, true);
    if (!shownBefore_) {
        shownBefore_ = true;
        centreWithFrame(*this, form_.frameGeometry());
        FileListBox1->read(DirectoryListBox1->directory());
    }
    guarded(this, [this] { SAct(); });
}

// An explicit position keeps the dialog where it was left instead of centring it again.
void TFSave::hideEvent(QHideEvent* event) {
    move(pos());
    QDialog::hideEvent(event);
}

void TFSave::keyPressEvent(QKeyEvent* event) {
    if (!handledAsDialogWithoutDefault(this, Button2, event)) {
        QDialog::keyPressEvent(event);
    }
}

void TFSave::showDriveOfDirectory() {
    DriveComboBox1->setCurrentIndex(DriveComboBox1->findText(
        QFile::decodeName(driveOf(DirectoryListBox1->directory()).c_str())));
}

void TFSave::SAct() {
    SaveDir = DirectoryListBox1->directory();
}

void TFSave::DriveComboBox1Change() {
    DirectoryListBox1->setDirectory(QFile::encodeName(DriveComboBox1->currentText()).toStdString());
    // A drive that cannot be entered leaves the previous directory, and its drive.
    showDriveOfDirectory();
}

void TFSave::DirectoryListBox1Change() {
    FileListBox1->read(DirectoryListBox1->directory());
    SaveDir = DirectoryListBox1->directory();
    showDriveOfDirectory();
}

void TFSave::Cancel() {
    reject();
}

void TFSave::ClSv() {
    const std::string name = Edit1->text().toStdString();
    const std::string basePath = BasePath(SaveDir, name);
    const SaveChoice choice{CheckBox1->isChecked(), CheckBox2->isChecked()};
    switch (
        saveRun(basePath, name, choice, {form_.list1(), form_.list2(), form_.canvas().image()})) {
    case SaveOutcome::Saved:
        if (choice.data) {
            form_.resultSaved();
        }
        accept();
        break;
    case SaveOutcome::NameTooShort:
        showWarning(ShortNameWarning);
        break;
    case SaveOutcome::NothingChosen:
        showWarning(NoBoxWarning);
        break;
    }
}

} // namespace kordel
