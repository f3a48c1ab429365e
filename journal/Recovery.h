#pragma once

#include "acquisition/Udata1.h"
#include "acquisition/ValueList.h"
#include "journal/JournalFormat.h"

#include <optional>
#include <string>

namespace kordel {

// The newest journal in `directory` that no running Kordel holds: the journal of a run that
// was interrupted, or whose result was not saved. Nothing when there is none.
std::optional<std::string> interruptedJournal(const std::string& directory);

// The journal at `path`. Throws Error naming it when it cannot be read or is refused.
JournalContent readJournal(const std::string& path);

// The journal's run, as its run left the state and the lists when it ended: the fields'
// conversions, the complete pairs with their values and texts, Elapsed.
void restoreRun(const JournalContent& journal, SharedState& state, ValueList& list1,
                ValueList& list2);

} // namespace kordel
