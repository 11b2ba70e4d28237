#include "com_link.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace qx7300emu {

ComLink::~ComLink()
{
    Remove();
}

std::string ComLink::LinkPath(const std::string& folder, int port)
{
    std::string path = folder.empty() ? std::string(".") : folder;
    if (path.back() != '/')
        path += '/';
    return path + "COM" + std::to_string(port);
}

bool ComLink::Publish(const std::string& path, const std::string& target, std::string& error)
{
    Remove();
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        error = path + " exists and is not a link; it is left as it is";
        return false;
    }
    // Made under a temporary name and renamed over the old entry, so that a
    // reader never finds the name missing or half made.
    const std::string temporary = path + ".new" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0) {
        error = temporary + ": " + std::strerror(errno);
        return false;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    path_ = path;
    target_ = target;
    return true;
}

void ComLink::Remove()
{
    if (path_.empty())
        return;
    char buffer[4096];
    const ssize_t length = ::readlink(path_.c_str(), buffer, sizeof buffer - 1);
    if (length >= 0 && std::string(buffer, static_cast<std::size_t>(length)) == target_)
        ::unlink(path_.c_str());
    path_.clear();
    target_.clear();
}

}  // namespace qx7300emu
