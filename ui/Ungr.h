#pragma once

#include <QCheckBox>
#include <QDialog>

namespace kordel {

class TForm1;

// The plot options dialog.
class TFNgr : public QDialog {
    Q_OBJECT

public:
    explicit TFNgr(TForm1& form);

    // The switches of the plot themselves, read by every drawing.
    QCheckBox* CheckBox1; // axes and their labels
    QCheckBox* CheckBox2; // grid

private:
    TForm1& form_;
};

} // namespace kordel
