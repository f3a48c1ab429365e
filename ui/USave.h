#pragma once

#include <QDialog>

namespace kordel {

class TForm1;

// The save dialog.
class TFSave : public QDialog {
    Q_OBJECT

public:
    explicit TFSave(TForm1& form);

private:
    TForm1& form_;
};

} // namespace kordel
