// The one owner of a platform handle: closes what it holds exactly once.
//
// Traits say what a handle is and how it goes:
//     using Handle = ...;            the handle's type
//     static Handle Invalid();       the value that stands for no handle
//     static void Close(Handle);     closes a handle that is not Invalid()
// platform/windows_handles.h holds the traits of the Windows handles.
#pragma once

#include <utility>

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    // Holds no handle; never throws.
    UniqueHandle() = default;
    // Takes `handle`, which may be Invalid(); never throws.
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    // Takes the other's handle and leaves it holding none; never throws.
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    // Closes its own handle, then takes the other's; never throws.
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        Reset(other.Release());
        return *this;
    }
    // Closes its handle, if it holds one; never throws.
    ~UniqueHandle() { Reset(); }

    // Returns whether it holds no handle; never throws.
    bool IsEmpty() const { return handle_ == Traits::Invalid(); }
    // Returns the handle, still owned, or Invalid(); never throws.
    Handle Get() const { return handle_; }
    // Returns the handle, no longer owned, and holds none; never throws.
    Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
    // Closes the handle it holds, if any, and takes `handle`; never throws.
    void Reset(Handle handle = Traits::Invalid())
    {
        const Handle old = std::exchange(handle_, handle);
        if (old != Traits::Invalid()) Traits::Close(old);
    }
    // Closes the handle it holds, if any, and returns where a call that opens
    // one writes it, preset to Invalid(): owned from the moment it is written.
    // Never throws.
    Handle* Receive()
    {
        Reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::Invalid();
};
