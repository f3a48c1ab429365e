#pragma once

#include "ui/USave.h"
#include "ui/Ungr.h"
#include "ui/Unit1.h"

namespace kordel {

// The main window and its two dialogs, tied to each other as start-up makes them.
struct MainWindows {
    MainWindows(SharedState& state, bool demo, Clock& clock);

    TForm1 Form1;
    TFSave FSave;
    TFNgr FNgr;
};

} // namespace kordel
