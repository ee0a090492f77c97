// Owners of Windows handles. Each kind knows its own "empty" value, so an
// owner can never mistake a failed CreateFile (INVALID_HANDLE_VALUE) or a
// failed CreateThread (null) for a handle to close. Not copyable; movable.
#pragma once

#include <windows.h>

#include <utility>

namespace tarnwick {

template <class Traits>
class UniqueHandle {
  public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : handle_(handle) {}
    ~UniqueHandle() { Close(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    // Takes ownership of `handle`, closing what was held before.
    void Reset(Type handle = Traits::Empty()) {
        Close();
        handle_ = handle;
    }
    // A second close does nothing.
    void Close() {
        if (IsValid()) Traits::Close(handle_);
        handle_ = Traits::Empty();
    }
    Type Release() {
        Type handle = handle_;
        handle_ = Traits::Empty();
        return handle;
    }

    Type Get() const { return handle_; }
    bool IsValid() const { return handle_ != Traits::Empty(); }
    // For APIs that fill a handle through a pointer.
    Type* Receive() {
        Close();
        return &handle_;
    }

  private:
    Type handle_ = Traits::Empty();
};

// Files and pipe ends: empty is INVALID_HANDLE_VALUE, as CreateFile reports
// failure; a null handle is held (and closed) like any other.
struct FileHandleTraits {
    using Type = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};

// Processes, threads and other kernel objects whose creators report failure
// with null.
struct KernelHandleTraits {
    using Type = HANDLE;
    static HANDLE Empty() { return nullptr; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};

using ScopedHandle = UniqueHandle<FileHandleTraits>;
using ScopedKernelHandle = UniqueHandle<KernelHandleTraits>;

}  // namespace tarnwick
