#include "output/DecimalSeparator.h"

#include <QLocale>

namespace kordel {

char localeDecimalSeparator() {
    // The value files are 8-bit text, so a symbol outside ASCII counts as unreadable.
    const QString symbol = QLocale().decimalPoint();
    const bool usable = symbol.size() == 1 && symbol[0].unicode() > 0 && symbol[0].unicode() < 128;
    return usable ? static_cast<char>(symbol[0].unicode()) : '.';
}

} // namespace kordel
