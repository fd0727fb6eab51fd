#pragma once
// The adapter driver reached through the vendor's library, loaded by name the first time any
// entry point is called; each entry point is bound the first time it is called. When the library
// or an entry point cannot be found the call is not made and the result carries a DriverError
// naming it and every place looked (or, when the operator named the file, that file and why). A failed search is tried afresh at the next call, so an
// operator can put the library in place without restarting. Use from one thread.
#include <array>
#include <string>

#include "iobench/driver/AdapterDriver.h"
#include "iobench/driver/LibrarySearch.h"
#include "iobench/driver/SharedLibrary.h"

namespace iobench {

class KestrelDriver final : public AdapterDriver {
public:
    explicit KestrelDriver(LibrarySearch search = {});
    ~KestrelDriver() override;
    KestrelDriver(const KestrelDriver&) = delete;
    KestrelDriver& operator=(const KestrelDriver&) = delete;

    DriverResult Kestrel_PCIKX9_Open(int32_t& handle, int32_t boardId) override;
    DriverResult Kestrel_KX9_Open(int32_t& handle, int32_t baseAddress) override;
    DriverResult Kestrel_Close(int32_t handle) override;
    DriverResult Kestrel_Direct_Packed_Config(int32_t handle, int32_t bus, int32_t mask) override;
    DriverResult Kestrel_Direct_Packed_Update(int32_t handle, int32_t bus, int32_t value) override;
    DriverResult Kestrel_Direct_Packed_MOMO(int32_t handle, int32_t bus, int32_t mustOn,
                                            int32_t mustOff) override;
    DriverResult Kestrel_Direct_Packed_Read(int32_t handle, int32_t bus, int32_t& value) override;
    DriverResult Kestrel_Enable_Debug() override;
    DriverResult Kestrel_Disable_Debug() override;

    // Full path of the library in use; empty until a call has loaded it.
    const std::string& libraryPath() const { return library_.path(); }
    // Which place of the search order supplied the library; empty until loaded.
    const std::string& loadedFrom() const { return loadedFrom_; }
    // True while the library in use is the kit's simulator.
    bool simulated() const override { return simulated_; }
    // Unbinds every entry point and unloads the library; the next call searches afresh.
    void reset();

private:
    // The entry point's address, or nullptr with `error` filled in.
    void* bind(EntryPoint which, DriverError& error);
    bool loadLibrary(EntryPoint forCall, DriverError& error);

    template <typename Fn, typename Invoke>
    DriverResult call(EntryPoint which, Invoke&& invoke)
    {
        DriverError error;
        void* address = bind(which, error);
        if (!address)
            return DriverResult(std::move(error));
        return DriverResult(invoke(reinterpret_cast<Fn>(address)));
    }

    LibrarySearch search_;
    SharedLibrary library_;
    std::string loadedFrom_;
    bool simulated_ = false;
    std::array<void*, kEntryPointCount> bound_{};
};

} // namespace iobench
