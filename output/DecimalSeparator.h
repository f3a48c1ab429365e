#pragma once

namespace kordel {

// The user's locale decimal symbol where it is one ASCII character, else a full stop.
char localeDecimalSeparator();

} // namespace kordel
