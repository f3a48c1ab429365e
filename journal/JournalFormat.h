#pragma once

#include "acquisition/Run.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kordel {

// A journal is a header, then records appended as the run goes on. Every part carries a
// checksum, so a record cut short by a kill or a power cut is recognised and dropped.
inline constexpr std::uint32_t JournalVersion = 1;

// What a run was started with.
struct JournalHeader {
    std::int64_t startedMs = 0; // wall-clock time the readings started, ms since 1970 UTC
    char separator = '.';
    std::string bus; // as the command line names it
    RunFields fields;
};

// A journal as read back: its header and the codes of its complete pairs in order.
struct JournalContent {
    JournalHeader header;
    std::vector<std::uint8_t> codes; // channel 1, channel 2, for each pair
    double elapsed = 0.0;            // the run's own measure once it ended, else the last record's
    bool ended = false;

    std::size_t pairs() const { return codes.size() / 2; }
};

std::string encodeHeader(const JournalHeader& header);
// A record of pairs: `codes` holds two per pair; `elapsed`, the seconds since the readings
// started, is what a journal that ends here gives as the run's time.
std::string encodePairs(std::string_view codes, double elapsed);
// The last record: the run kept `pairs` pairs and took `elapsed` seconds.
std::string encodeEnd(std::int32_t pairs, double elapsed);

// The whole journal, or Error naming `name` when it is no journal, one of a later format or
// one whose header is incomplete. Records after the first incomplete one are not read.
JournalContent decodeJournal(std::string_view bytes, const std::string& name);

} // namespace kordel
