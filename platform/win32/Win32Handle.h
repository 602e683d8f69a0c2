// Owning wrappers for the handles the Windows side opens, so that every way out
// of a function closes them.
#pragma once

#include <utility>

#include "platform/win32/Win32Api.h"

namespace pivora {

template <class Traits>
class UniqueHandleT {
public:
    using Handle = typename Traits::Handle;
    UniqueHandleT() = default;
    explicit UniqueHandleT(Handle h) : h_(h) {}
    ~UniqueHandleT() { reset(); }
    UniqueHandleT(UniqueHandleT&& other) noexcept : h_(other.release()) {}
    UniqueHandleT& operator=(UniqueHandleT&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandleT(const UniqueHandleT&) = delete;
    UniqueHandleT& operator=(const UniqueHandleT&) = delete;

    Handle get() const { return h_; }
    explicit operator bool() const { return Traits::Valid(h_); }
    Handle release() { return std::exchange(h_, Traits::Invalid()); }
    void reset(Handle h = Traits::Invalid()) {
        if (Traits::Valid(h_)) Traits::Close(h_);
        h_ = h;
    }

private:
    Handle h_ = Traits::Invalid();
};

// Files and locks: INVALID_HANDLE_VALUE when absent.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
// Processes and threads: null when absent.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Invalid() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};

using UniqueFile = UniqueHandleT<FileHandleTraits>;
using UniqueKernelHandle = UniqueHandleT<KernelHandleTraits>;
using UniqueGdiObject = UniqueHandleT<GdiObjectTraits>;

}  // namespace pivora
