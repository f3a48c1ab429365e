#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kordel {

class TForm1;

// The plot options dialog: the seven plot settings and the two switches of the plot.
class TFNgr : public QDialog {
    Q_OBJECT

public:
    explicit TFNgr(TForm1& form);

    // Handlers.
    void Activ();
    void Button1Click();
    void Button2Click();

    QFrame* Panel1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QLabel* Label2;
    QLineEdit* Edit2;
    QLabel* Label3;
    QLineEdit* Edit3;
    QFrame* Panel2;
    // The switches of the plot themselves, read by every drawing.
    QCheckBox* CheckBox1; // axes and their labels
    QCheckBox* CheckBox2; // grid
    QGroupBox* GroupBox1;
    QLabel* Label4;
    QLineEdit* Edit4;
    QLabel* Label5;
    QLineEdit* Edit5;
    QLabel* Label6;
    QLineEdit* Edit6;
    QLabel* Label7;
    QLineEdit* Edit7;
    QPushButton* Button1;
    QPushButton* Button2;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createDigitsPanel();
    void createSwitchesPanel();
    void createMarginsBox();
    void createButtons();
    void setTabOrder();
    void storeSettings();

    TForm1& form_;
};

} // namespace kordel
