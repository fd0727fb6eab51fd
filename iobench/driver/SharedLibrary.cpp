#include "iobench/driver/SharedLibrary.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <utility>

namespace iobench {
namespace {

// The loader prefixes its reasons with the file name; the caller already shows that.
std::string loaderReason(const std::string& name)
{
    const char* text = ::dlerror();
    std::string reason = text ? text : "unknown reason";
    const std::string prefix = name + ": ";
    if (reason.rfind(prefix, 0) == 0)
        reason.erase(0, prefix.size());
    return reason;
}

// Why a path that exists is no library file, or nothing. The loader would open a FIFO and wait
// for a writer for ever, and read a device without end; stat looks without opening.
std::string notARegularFile(const std::string& loadName)
{
    struct stat info {};
    if (loadName.find('/') == std::string::npos || ::stat(loadName.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return {};
    const char* kind = S_ISDIR(info.st_mode)    ? "a folder"
                       : S_ISFIFO(info.st_mode) ? "a FIFO (named pipe)"
                       : S_ISCHR(info.st_mode)  ? "a character device"
                       : S_ISBLK(info.st_mode)  ? "a block device"
                       : S_ISSOCK(info.st_mode) ? "a socket"
                                                : "not a regular file";
    return std::string("it is ") + kind + ", not a library file";
}

} // namespace

SharedLibrary::~SharedLibrary() { unload(); }

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), path_(std::move(other.path_))
{
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept
{
    if (this != &other) {
        unload();
        handle_ = std::exchange(other.handle_, nullptr);
        path_ = std::move(other.path_);
    }
    return *this;
}

SharedLibrary SharedLibrary::load(const std::string& loadName, std::string& why)
{
    SharedLibrary library;
    if (std::string refusal = notARegularFile(loadName); !refusal.empty()) {
        why = std::move(refusal);
        return library;
    }
    ::dlerror();
    library.handle_ = ::dlopen(loadName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library.handle_) {
        why = loaderReason(loadName);
        return library;
    }
    library.path_ = loadName;
    link_map* map = nullptr;
    if (::dlinfo(library.handle_, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && *map->l_name)
        library.path_ = map->l_name;
    return library;
}

void* SharedLibrary::symbol(const std::string& name, std::string& why) const
{
    if (!handle_) {
        why = "library not loaded";
        return nullptr;
    }
    ::dlerror();
    void* address = ::dlsym(handle_, name.c_str());
    if (!address)
        why = loaderReason(path_);
    return address;
}

void SharedLibrary::unload()
{
    if (handle_) {
        ::dlclose(handle_);
        handle_ = nullptr;
        path_.clear();
    }
}

} // namespace iobench
