#include "ui/MainWindows.h"

namespace kordel {

MainWindows::MainWindows(SharedState& state, bool demo, Clock& clock)
    : Form1(state, demo, clock), FSave(Form1), FNgr(Form1) {
    Form1.setDialogs(FSave, FNgr);
}

} // namespace kordel
