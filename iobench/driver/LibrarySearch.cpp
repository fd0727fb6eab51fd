#include "iobench/driver/LibrarySearch.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits.h>
#include <unistd.h>

namespace iobench {

std::string kitPrivateLibraryFolder() { return HOISTWISE_PRIVATE_LIBDIR; }

std::string programFolderOfThisProcess(std::string& why)
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) {
        why = std::string("cannot read /proc/self/exe: ") + std::strerror(errno);
        return {};
    }
    std::string path(buffer, static_cast<std::size_t>(length));
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        why = "/proc/self/exe names no folder: " + path;
        return {};
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::vector<LibraryPlace> LibrarySearch::places() const
{
    std::vector<LibraryPlace> result;

    if (!pathVariable.empty()) {
        const char* value = std::getenv(pathVariable.c_str());
        LibraryPlace place;
        if (value == nullptr || *value == '\0') {
            place.description = pathVariable;
            place.skipReason = "not set";
        } else {
            place.description = pathVariable + "=" + value;
            // A name without a slash would make the loader search the system path instead of
            // taking the file the operator named.
            const std::string path = value;
            place.loadName = path.find('/') == std::string::npos ? "./" + path : path;
            place.named = true;
            result.push_back(std::move(place));
            return result;
        }
        result.push_back(std::move(place));
    }

    {
        LibraryPlace place;
        std::string why;
        const std::string folder = programFolder ? *programFolder : programFolderOfThisProcess(why);
        if (folder.empty()) {
            place.description = "the program's folder";
            place.skipReason = why.empty() ? "unknown" : why;
        } else {
            place.loadName = (folder.back() == '/' ? folder : folder + "/") + fileName;
            place.description = "the program's folder: " + place.loadName;
        }
        result.push_back(std::move(place));
    }

    if (systemPath) {
        LibraryPlace place;
        place.description = "the system's library path (LD_LIBRARY_PATH, ld.so.cache, /lib, /usr/lib): "
                            + fileName;
        place.loadName = fileName;
        result.push_back(std::move(place));
    }

    if (!privateFolder.empty()) {
        LibraryPlace place;
        place.loadName = (privateFolder.back() == '/' ? privateFolder : privateFolder + "/") + fileName;
        place.description = "the kit's own library folder: " + place.loadName;
        result.push_back(std::move(place));
    }
    return result;
}

} // namespace iobench
