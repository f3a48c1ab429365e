#include "ui/ShownName.h"

#include <QStringDecoder>

namespace kordel {

QString shownName(std::string_view bytes) {
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(view);
    if (!utf8.hasError()) {
        return text;
    }
    // Any byte has a letter there; without the code page the lossy UTF-8 text has to do.
    QStringDecoder legacy("windows-1251");
    return legacy.isValid() ? legacy(view) : text;
}

} // namespace kordel
