// BasePath of any directory and name: the directory, then one slash unless it ends in one,
// then the name exactly as typed.

#include "fuzz/FuzzCheck.h"
#include "output/SavePath.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kordel::fuzzing::check;
    FuzzedDataProvider input(data, size);
    const std::string directory = input.ConsumeRandomLengthString();
    const std::string name = input.ConsumeRemainingBytesAsString();

    const std::string path = kordel::BasePath(directory, name);
    check(path.starts_with(directory), "starts with the directory", path);
    check(path.ends_with(name), "ends with the name as typed", path);
    if (directory.ends_with('/')) {
        check(path.size() == directory.size() + name.size(), "no slash added", path);
    } else {
        check(path.size() == directory.size() + 1 + name.size() && path[directory.size()] == '/',
              "one slash between", path);
    }
    return 0;
}
