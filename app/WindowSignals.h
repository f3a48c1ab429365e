#pragma once

#include "app/StopSignals.h"
#include "ui/Unit1.h"

namespace kordel {

// From now on a stop signal ends the window's run after the pair being read, and then the
// program with 128 + the signal's number, leaving the run's journal for the next start.
void endOnStopSignals(TForm1& form, StopRequest& request);

} // namespace kordel
