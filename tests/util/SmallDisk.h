#pragma once
// A small tmpfs mounted over a test folder for the life of the object, to
// make a disk fill up or turn read-only under the code. Mounting needs root on
// Linux; where it fails, error() says why and the test skips.

#include <QString>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace vardolin::testing {

class SmallDisk {
public:
    SmallDisk(const QString& folder, const char* size) : folder_(folder.toStdString())
    {
        const std::string options = std::string("size=") + size;
        if (::mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0)
            mounted_ = true;
        else
            error_ = std::strerror(errno);
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }

    // From now on nothing can be written there; false when that fails.
    bool makeReadOnly()
    {
        if (::mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0)
            return true;
        error_ = std::strerror(errno);
        return false;
    }

private:
    std::string folder_;
    bool mounted_ = false;
    std::string error_;
};

} // namespace vardolin::testing
