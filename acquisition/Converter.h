#pragma once

#include "acquisition/Clock.h"
#include "acquisition/Udata1.h"

namespace kordel {

// The converter routines act on the port at state.CurrentBase.

// Line set-up: DTR on, 100 ms, break on, 500 ms.
void InitConverter(const SharedState& state, Clock& clock);
void SelectConverter(const SharedState& state);
// One 8-bit reading, most significant bit first, in volts on a 5 V scale (cut to millivolts).
double ReadConverter(const SharedState& state);
// The same reading as its 8-bit code.
int ReadConverterCode(const SharedState& state);

// Volts of an 8-bit code: Int(1000 * 5 * code / 255) / 1000.
double codeToVolts(int code);

} // namespace kordel
