// Small owners for Win32 handles, so that every path out of a function
// releases what it opened.
#pragma once
#include <windows.h>

#include <utility>

// A kernel handle closed with CloseHandle. Both null and INVALID_HANDLE_VALUE
// mean "nothing held", since CreateFile and OpenProcess differ in how they fail.
class AutoCloseHandle {
  public:
    AutoCloseHandle() = default;
    explicit AutoCloseHandle(HANDLE h) : h_(h) {}
    AutoCloseHandle(const AutoCloseHandle&) = delete;
    AutoCloseHandle& operator=(const AutoCloseHandle&) = delete;
    AutoCloseHandle(AutoCloseHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    AutoCloseHandle& operator=(AutoCloseHandle&& o) noexcept {
        if (this != &o) {
            Close();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    ~AutoCloseHandle() { Close(); }

    HANDLE Get() const { return h_; }
    bool IsValid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    void Close() {
        if (IsValid()) CloseHandle(h_);
        h_ = nullptr;
    }

  private:
    HANDLE h_ = nullptr;
};

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

// A search handle of FindFirstFile, closed with FindClose.
class AutoFindHandle {
  public:
    explicit AutoFindHandle(HANDLE h) : h_(h) {}
    AutoFindHandle(const AutoFindHandle&) = delete;
    AutoFindHandle& operator=(const AutoFindHandle&) = delete;
    ~AutoFindHandle() {
        if (IsValid()) FindClose(h_);
    }

    HANDLE Get() const { return h_; }
    bool IsValid() const { return h_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE h_;
};
