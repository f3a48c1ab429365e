#pragma once

#include "output/OutputFiles.h"
#include "ui/FileLists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace kordel {

class TForm1;

// The save dialog: a directory and a name, under which Save writes the two value lists as
// "(1).txt" and "(2).txt" and the plot image as ".bmp".
class TFSave : public QDialog {
    Q_OBJECT

public:
    explicit TFSave(TForm1& form);

    // The directory Save writes into.
    const std::string& saveDir() const { return SaveDir; }

    // Handlers.
    void SAct();
    void DriveComboBox1Change();
    void DirectoryListBox1Change();
    void Cancel();
    void ClSv();

    QComboBox* DriveComboBox1;
    DirectoryListBox* DirectoryListBox1;
    FileListBox* FileListBox1;
    QLineEdit* Edit1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QPushButton* Button1;
    QPushButton* Button2;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createFileControls();
    void createNameAndSwitches();
    void setTabOrder();
    void connectHandlers();
    void showDriveOfDirectory();

    TForm1& form_;
    std::string SaveDir; // the system's bytes, which need not be UTF-8
    bool shownBefore_ = false;
};

} // namespace kordel
