#pragma once

#include "acquisition/Clock.h"
#include "app/CommandLine.h"
#include "app/StopSignals.h"

#include <unistd.h>

namespace kordel {

struct HeadlessStreams {
    int out = STDOUT_FILENO;
    int err = STDERR_FILENO;
};

// A run without windows, as the main window's Start and then the save dialog with both boxes
// checked do it: the command line's texts go through the run as the fields' texts would; each
// complete pair goes to `out` as a line "channel 1<TAB>channel 2", or with a save name the two
// value lists and the plot go to its three files. While `err` is a terminal it shows the
// progress. Errors go to `err` as "kordel: " and the error box's text.
// Returns the exit status: 0, 1 after an error, 128 + the signal after a stop.
int measureWithoutWindow(const CommandLine& line, Clock& clock, const StopRequest& stop,
                         HeadlessStreams streams = {});

// The program's way for --samples: stop signals, the offscreen platform for the plot's fonts,
// the steady clock, standard output and error.
int runWithoutWindow(int& argc, char** argv, const CommandLine& line);

} // namespace kordel
