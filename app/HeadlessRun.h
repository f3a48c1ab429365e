#pragma once

#include "acquisition/Clock.h"
#include "app/CommandLine.h"
#include "app/StopSignals.h"

#include <string>
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

// The last interrupted run's journal in `directory`, as --recover gives it: its pairs on `out`
// as a run without --save prints them, or with --save its three files, after which the journal
// goes. Returns the exit status: 0, or 1 after an error on `err`.
int recoverWithoutWindow(const CommandLine& line, const std::string& directory,
                         HeadlessStreams streams = {});

// The program's way for --samples and --recover: stop signals, the offscreen platform for
// the plot's fonts, the steady clock, standard output and error.
int runWithoutWindow(int& argc, char** argv, const CommandLine& line);

} // namespace kordel
