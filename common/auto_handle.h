// Small owners for Win32 handles, so that every path out of a function
// releases what it opened.
#pragma once
#include <windows.h>

#include <utility>

// Owns a handle of type T and releases it with Release()(handle) when it
// goes. Both null and INVALID_HANDLE_VALUE mean "nothing held", since
// CreateFile and OpenProcess differ in how they fail.
template <class T, class Release> class AutoResource {
  public:
    AutoResource() = default;
    explicit AutoResource(T handle) : handle_(handle) {}
    AutoResource(const AutoResource&) = delete;
    AutoResource& operator=(const AutoResource&) = delete;
    AutoResource(AutoResource&& o) noexcept : handle_(std::exchange(o.handle_, nullptr)) {}
    AutoResource& operator=(AutoResource&& o) noexcept {
        if (this != &o) Reset(std::exchange(o.handle_, nullptr));
        return *this;
    }
    ~AutoResource() { Reset(); }

    T Get() const { return handle_; }
    bool IsValid() const {
        return handle_ != nullptr && handle_ != reinterpret_cast<T>(INVALID_HANDLE_VALUE);
    }
    // Releases what is held and holds handle instead.
    void Reset(T handle = nullptr) {
        if (IsValid()) Release()(handle_);
        handle_ = handle;
    }
    void Close() { Reset(); }

  private:
    T handle_ = nullptr;
};

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct FindCloser {
    void operator()(HANDLE handle) const { FindClose(handle); }
};

// A kernel handle closed with CloseHandle.
using AutoCloseHandle = AutoResource<HANDLE, HandleCloser>;
// A search handle of FindFirstFile, closed with FindClose.
using AutoFindHandle = AutoResource<HANDLE, FindCloser>;

// A block of memory reserved in another process, released with VirtualFreeEx.
class AutoRemoteMemory {
  public:
    AutoRemoteMemory(HANDLE process, void* address) : process_(process), address_(address) {}
    AutoRemoteMemory(const AutoRemoteMemory&) = delete;
    AutoRemoteMemory& operator=(const AutoRemoteMemory&) = delete;
    ~AutoRemoteMemory() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }

    void* Get() const { return address_; }

  private:
    HANDLE process_;
    void* address_;
};
