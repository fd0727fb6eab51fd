#pragma once
// A dynamically loaded library that is unloaded when the object goes away.
#include <string>

namespace iobench {

class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Loads `loadName` with every symbol resolved now. A path to something other than a regular
    // file (a FIFO, a folder, a device) is refused without being opened. On failure returns an
    // unloaded object and sets `why` to the reason.
    static SharedLibrary load(const std::string& loadName, std::string& why);

    bool isLoaded() const { return handle_ != nullptr; }
    // The file actually loaded (the loader's full path when found on the system path).
    const std::string& path() const { return path_; }
    // The address of `name`, or nullptr with `why` set.
    void* symbol(const std::string& name, std::string& why) const;
    void unload();

private:
    void* handle_ = nullptr;
    std::string path_;
};

} // namespace iobench
