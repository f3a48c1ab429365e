#include "journal/Recovery.h"

#include "acquisition/PortBases.h"
#include "acquisition/Run.h"
#include "common/Error.h"
#include "common/NumberText.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace kordel {

namespace {

// Whether a running Kordel holds the journal, as it does until its result is saved.
bool isHeld(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return true;
    }
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

std::string contentOf(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw Error("Cannot open file " + path + ": " + std::strerror(errno));
    }
    std::string bytes;
    char chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            const int reason = errno;
            ::close(fd);
            if (got < 0) {
                throw Error("Cannot read file " + path + ": " + std::strerror(reason));
            }
            return bytes;
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
}

void restoreChannel(const JournalContent& journal, std::size_t channel, double divider,
                    std::vector<double>& series, ValueList& list) {
    const std::size_t pairs = journal.pairs();
    series.resize(pairs);
    list.reserve(pairs, pairs * 6);
    for (std::size_t k = 0; k < pairs; ++k) {
        series[k] = channelValue(journal.codes[2 * k + channel], divider);
        list.append(generalText(series[k], journal.header.separator));
    }
}

} // namespace

std::optional<std::string> interruptedJournal(const std::string& directory) {
    namespace fs = std::filesystem;
    std::optional<fs::path> newest;
    fs::file_time_type newestTime;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory, error)) {
        const fs::file_time_type time = entry.last_write_time(error);
        if (entry.path().extension() != ".journal" || error || (newest && time <= newestTime) ||
            isHeld(entry.path())) {
            continue;
        }
        newest = entry.path();
        newestTime = time;
    }
    return newest ? std::optional<std::string>(newest->native()) : std::nullopt;
}

JournalContent readJournal(const std::string& path) {
    return decodeJournal(contentOf(path), path);
}

void restoreRun(const JournalContent& journal, SharedState& state, ValueList& list1,
                ValueList& list2) {
    const RunFields& fields = journal.header.fields;
    state.Port1Base = portBase(fields.Edit5);
    state.Port2Base = portBase(fields.Edit6);
    list1.clear();
    list2.clear();
    state.DataReady = true;
    state.Divider1 = parseInteger(fields.Edit3);
    state.Divider2 = parseInteger(fields.Edit4);
    state.SampleCount = static_cast<std::int32_t>(journal.pairs());
    restoreChannel(journal, 0, state.Divider1, state.Samples1, list1);
    restoreChannel(journal, 1, state.Divider2, state.Samples2, list2);
    state.Elapsed = journal.elapsed;
}

} // namespace kordel
