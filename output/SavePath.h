#pragma once

#include <string>
#include <string_view>

namespace kordel {

// The path the output files are named after: the directory, a slash unless the directory
// already ends with one, then the name exactly as typed (its extension, if any, is kept).
inline std::string BasePath(std::string_view saveDir, std::string_view name) {
    std::string path;
    path.reserve(saveDir.size() + 1 + name.size());
    path.append(saveDir);
    if (!path.ends_with('/')) {
        path.push_back('/');
    }
    path.append(name);
    return path;
}

} // namespace kordel
