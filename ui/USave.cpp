#include "USave.h"

#include "Unit1.h"

namespace kordel {

TFSave::TFSave(TForm1& form) : QDialog(&form), form_(form) {
    setWindowTitle(QStringLiteral("Save"));
}

} // namespace kordel
