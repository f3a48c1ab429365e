#pragma once

#include <string>

namespace kordel {

class TForm1;

// At start-up: offers the last interrupted run of the journals in `directory`, with its pairs,
// date and time. Restored, it is in the window as if it had just ended, and its journal becomes
// the window's until it is saved; declined, it waits for a later start; deleted, it goes.
void offerInterruptedRun(TForm1& form, const std::string& directory);

// "1 пара", "3 пары", "5 пар".
std::string pairsText(std::size_t pairs);

} // namespace kordel
