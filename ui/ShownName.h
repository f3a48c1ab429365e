#pragma once

#include <QString>
#include <string_view>

namespace kordel {

// A file name's bytes as text: UTF-8 where they are, otherwise the Cyrillic 8-bit Windows code
// page that names from older laboratory machines are written in.
QString shownName(std::string_view bytes);

} // namespace kordel
