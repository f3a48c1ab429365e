#include "journal/JournalFile.h"

#include "common/WriteAll.h"
#include "journal/JournalFormat.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace kordel {

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// A quarter of a second of pairs at the fastest pace fits, so the run never waits for room.
constexpr std::size_t RingBytes = std::size_t{1} << 18;
// The writer is woken when this much is waiting, well before the ring fills.
constexpr std::uint64_t WakeBytes = 1 << 14;
constexpr milliseconds WriteInterval{250};
// Written pairs are synced at most this long after they were written.
constexpr milliseconds SyncInterval{750};

std::string systemReason() {
    return std::strerror(errno);
}

std::string timeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

std::int64_t wallClockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace

std::string journalDirectory() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        return std::string(state) + "/kordel";
    }
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] != '\0' ? std::string(home) + "/.local/state/kordel"
                                              : std::string();
}

JournalFile::JournalFile(std::string directory, std::string bus)
    : directory_(std::move(directory)), bus_(std::move(bus)) {}

JournalFile::~JournalFile() {
    stopWriting();
    closeFile();
}

void JournalFile::begin(const RunFields& fields, char separator) {
    remove();
    failure_.clear();
    failed_ = false;
    unsynced_ = false;
    std::error_code error;
    std::filesystem::create_directories(directory_, error);
    const std::string base = directory_ + "/run-" + timeStamp() + "-" + std::to_string(getpid());
    for (int attempt = 1; fd_ < 0 && attempt < 100; ++attempt) {
        path_ = base + (attempt == 1 ? "" : "-" + std::to_string(attempt)) + ".journal";
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (directory_.empty() || fd_ < 0) {
        failure_ = "Cannot create file " + path_ + ": " +
                   (directory_.empty() ? "HOME is not set" : systemReason());
        path_.clear();
        return;
    }
    ::flock(fd_, LOCK_EX | LOCK_NB);
    const JournalHeader header{wallClockMs(), separator, bus_, fields};
    if (!writeAll(fd_, encodeHeader(header))) {
        failure_ = "Cannot write " + path_ + ": " + systemReason();
        return;
    }
    startWriting();
}

void JournalFile::startWriting() {
    ring_.resize(RingBytes);
    head_ = 0;
    published_ = 0;
    tail_ = 0;
    endRecord_.reset();
    endWritten_ = false;
    stopping_ = false;
    started_ = steady_clock::now();
    writer_ = std::thread([this] { writeLoop(); });
}

void JournalFile::pairRead(std::uint8_t code1, std::uint8_t code2) {
    if (!writer_.joinable()) {
        return;
    }
    if (head_ + 2 - tail_.load(std::memory_order_acquire) > RingBytes) {
        waitForRoom();
    }
    ring_[head_ % RingBytes] = code1;
    ring_[(head_ + 1) % RingBytes] = code2;
    head_ += 2;
    published_.store(head_, std::memory_order_release);
    if (head_ % WakeBytes == 0) {
        wake();
    }
}

void JournalFile::end(std::int32_t pairs, double elapsed) {
    if (!writer_.joinable()) {
        return;
    }
    std::unique_lock lock(mutex_);
    endRecord_ = encodeEnd(pairs, elapsed);
    work_.notify_one();
    written_.wait(lock, [this] { return endWritten_; });
}

void JournalFile::remove() {
    stopWriting();
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        path_.clear();
    }
    closeFile();
}

void JournalFile::adopt(const std::string& path) {
    remove();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_EX | LOCK_NB);
        path_ = path;
    }
}

std::string JournalFile::failure() const {
    const std::lock_guard lock(mutex_);
    return failure_;
}

void JournalFile::wake() {
    { const std::lock_guard lock(mutex_); }
    work_.notify_one();
}

void JournalFile::waitForRoom() {
    wake();
    std::unique_lock lock(mutex_);
    room_.wait(lock, [this] { return head_ + 2 - tail_.load() <= RingBytes; });
}

void JournalFile::stopWriting() {
    if (!writer_.joinable()) {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    work_.notify_one();
    writer_.join();
}

void JournalFile::closeFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

// Until the run's end is written, or until told to stop: writes what is waiting at least every
// WriteInterval, syncs at most every SyncInterval, and once more at the end.
void JournalFile::writeLoop() {
    std::unique_lock lock(mutex_);
    steady_clock::time_point synced = steady_clock::now();
    for (;;) {
        work_.wait_for(lock, WriteInterval, [this] {
            return stopping_ || endRecord_ || published_.load() - tail_.load() >= WakeBytes;
        });
        const bool last = stopping_ || endRecord_;
        std::optional<std::string> endRecord = std::move(endRecord_);
        endRecord_.reset();
        lock.unlock();
        writePairs();
        if (endRecord) {
            append(*endRecord);
        }
        lock.lock();
        if (endRecord) {
            endWritten_ = true;
            written_.notify_all();
        }
        const steady_clock::time_point now = steady_clock::now();
        if (last || now - synced >= SyncInterval) {
            lock.unlock();
            sync();
            lock.lock();
            synced = now;
        }
        if (last) {
            return;
        }
    }
}

// Takes the pairs waiting in the ring and appends them as one record.
void JournalFile::writePairs() {
    const std::uint64_t tail = tail_.load();
    const std::uint64_t head = published_.load(std::memory_order_acquire);
    if (head == tail) {
        return;
    }
    std::string codes(static_cast<std::size_t>(head - tail), '\0');
    for (std::uint64_t at = tail; at < head; ++at) {
        codes[static_cast<std::size_t>(at - tail)] = static_cast<char>(ring_[at % RingBytes]);
    }
    {
        const std::lock_guard lock(mutex_);
        tail_.store(head, std::memory_order_release);
    }
    room_.notify_one();
    const double elapsed = std::chrono::duration<double>(steady_clock::now() - started_).count();
    append(encodePairs(codes, elapsed));
}

void JournalFile::append(const std::string& bytes) {
    if (failed_ || writeAll(fd_, bytes)) {
        unsynced_ = !failed_;
        return;
    }
    const std::lock_guard lock(mutex_);
    failure_ = "Cannot write " + path_ + ": " + systemReason();
    failed_ = true;
}

void JournalFile::sync() {
    if (!unsynced_) {
        return;
    }
    unsynced_ = false;
    if (::fdatasync(fd_) != 0) {
        const std::lock_guard lock(mutex_);
        failure_ = "Cannot write " + path_ + ": " + systemReason();
        failed_ = true;
    }
}

} // namespace kordel
