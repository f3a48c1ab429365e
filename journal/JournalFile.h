#pragma once

#include "acquisition/Run.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kordel {

// The journal of one front end's runs, in files of its own in `directory`. Each run replaces
// the previous run's file. A thread of its own writes the pairs out at least every quarter of
// a second and syncs them to the disk at least once a second, so the run never waits for the
// disk. While a file is this journal's, it holds a lock on it: a file nobody holds belongs to
// a run that was interrupted.
//
// A journal that cannot be written leaves the runs as they are and tells why in failure().
class JournalFile final : public RunJournal {
public:
    // `bus`: as the command line names it.
    JournalFile(std::string directory, std::string bus);
    // Finishes writing; the file stays for a later start to offer.
    ~JournalFile() override;

    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    void begin(const RunFields& fields, char separator) override;
    void pairRead(std::uint8_t code1, std::uint8_t code2) override;
    void end(std::int32_t pairs, double elapsed) override;

    // The run's result is safe elsewhere (saved, or left on purpose): its file goes.
    void remove();
    // A recovered journal at `path` becomes this one's, as if its run had just ended here.
    void adopt(const std::string& path);

    // The file of the last run; empty when there is none.
    const std::string& path() const { return path_; }
    // Why the last run's file may lack pairs; empty when it holds them all.
    std::string failure() const;

private:
    void startWriting();
    void stopWriting();
    void writeLoop();
    void writePairs();
    void append(const std::string& bytes);
    void sync();
    void waitForRoom();
    void wake();
    void closeFile();

    std::string directory_;
    std::string bus_;
    std::string path_;
    int fd_ = -1;

    // The run's thread appends codes at head_; the writer takes them from tail_.
    std::vector<std::uint8_t> ring_;
    std::uint64_t head_ = 0;
    std::atomic<std::uint64_t> published_{0};
    std::atomic<std::uint64_t> tail_{0};

    mutable std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable room_;
    std::condition_variable written_;
    std::optional<std::string> endRecord_; // to be written after the last pairs
    bool endWritten_ = false;
    bool stopping_ = false;
    std::string failure_;
    // The writer's own.
    bool failed_ = false;
    bool unsynced_ = false;
    std::chrono::steady_clock::time_point started_;
    std::thread writer_;
};

// $XDG_STATE_HOME/kordel, or ~/.local/state/kordel when it is not set.
std::string journalDirectory();

} // namespace kordel
