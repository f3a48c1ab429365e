#pragma once

#include <QString>
#include <string>
#include <sys/mount.h>

namespace kordel::testing_support {

// A small file system of its own on `folder` while it lives, where this user may mount one
// (root may): a tmpfs with `options` such as "size=64k,nr_inodes=3".
class SmallDisk {
public:
    SmallDisk(const QString& folder, const std::string& options, unsigned long flags = 0)
        : folder_(folder.toLocal8Bit().toStdString()),
          mounted_(mount("kordel-test", folder_.c_str(), "tmpfs", flags, options.c_str()) == 0) {}
    ~SmallDisk() {
        if (mounted_) {
            umount2(folder_.c_str(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_;
};

} // namespace kordel::testing_support
