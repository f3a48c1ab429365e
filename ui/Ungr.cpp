#include "Ungr.h"

#include "Unit1.h"

namespace kordel {

TFNgr::TFNgr(TForm1& form)
    : QDialog(&form), CheckBox1(new QCheckBox(QStringLiteral("Оси координат"), this)),
      CheckBox2(new QCheckBox(QStringLiteral("Координатная сетка"), this)), form_(form) {
    setWindowTitle(QStringLiteral("Опции"));
    CheckBox1->setChecked(true);
    CheckBox2->setChecked(true);
}

} // namespace kordel
