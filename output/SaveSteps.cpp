#include "output/SaveSteps.h"

#include "common/Error.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace kordel {

namespace {

// UTF-16 units, as the field holds its text: a character beyond the basic plane counts twice.
std::size_t fieldLength(std::string_view utf8) {
    std::size_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        units += (byte & 0xC0) != 0x80 ? 1 : 0; // a character starts here
        units += byte >= 0xF0 ? 1 : 0;          // four bytes: a surrogate pair
    }
    return units;
}

const char* const FileEndings[] = {"(1).txt", "(2).txt", ".bmp"};

// The reason a new file cannot be made in `directory`, or 0.
int reasonAgainstNewFile(const std::string& directory) {
    struct stat status {};
    if (::stat(directory.c_str(), &status) != 0) {
        return errno;
    }
    if (!S_ISDIR(status.st_mode)) {
        return ENOTDIR;
    }
    std::string probe = directory + "/.save-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        return errno;
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return 0;
}

bool overwritableInPlace(const std::string& basePath) {
    for (const char* ending : FileEndings) {
        struct stat status {};
        const std::string path = basePath + ending;
        if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
            ::access(path.c_str(), W_OK) != 0) {
            return false;
        }
    }
    return true;
}

} // namespace

void checkSaveTarget(const std::string& basePath) {
    std::string directory = std::filesystem::path(basePath).parent_path().native();
    const int reason = reasonAgainstNewFile(directory.empty() ? "." : directory);
    if (reason != 0 && !overwritableInPlace(basePath)) {
        throw Error("Cannot create file " + basePath + FileEndings[0] + ": " +
                    std::strerror(reason));
    }
}

bool isTooShortName(std::string_view name) {
    return fieldLength(name) < 2;
}

SaveOutcome saveRun(const std::string& basePath, std::string_view name, SaveChoice choice,
                    const RunOutput& output) {
    if (isTooShortName(name)) {
        return SaveOutcome::NameTooShort;
    }
    if (choice.data) {
        writeValueList(output.list1, basePath + "(1).txt");
        writeValueList(output.list2, basePath + "(2).txt");
    }
    if (choice.plot && !output.plot.isNull()) {
        writeBitmap(output.plot, basePath + ".bmp");
    }
    return choice.data || choice.plot ? SaveOutcome::Saved : SaveOutcome::NothingChosen;
}

} // namespace kordel
