// Owners of what the system hands the program: each handle, block or reference is given back
// exactly once, by the function that belongs to its kind, when its owner goes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <type_traits>
#include <utility>

// Owns one handle of type Handle, given back with close. The value that means "none" is an
// integer turned into a Handle when it is needed, since INVALID_HANDLE_VALUE cannot be a constant
// of a pointer type.
template <typename Handle, auto close, std::intptr_t invalidValue = 0> class Owned {
public:
    static Handle Invalid() {
        if constexpr (invalidValue == 0) {
            return nullptr;
        } else {
            return reinterpret_cast<Handle>(invalidValue);
        }
    }

    Owned() = default;
    explicit Owned(Handle handle) : handle(handle) {}
    ~Owned() { Reset(); }
    Owned(Owned&& other) noexcept : handle(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle Get() const { return handle; }
    bool IsValid() const { return handle != Invalid(); }

    // What is held is given back, and replacement is held instead.
    void Reset(Handle replacement = Invalid()) {
        if (IsValid()) {
            close(handle);
        }
        handle = replacement;
    }
    // Hands what is held to the caller, who gives it back.
    Handle Release() { return std::exchange(handle, Invalid()); }

    // For a call that hands out a handle through a pointer: what is held is given back first, so
    // the owner then holds whatever the call put there.
    Handle* Put() {
        Reset();
        return &handle;
    }

    // For owners of a structure or an interface.
    Handle operator->() const requires std::is_class_v<std::remove_pointer_t<Handle>> {
        return handle;
    }

private:
    Handle handle = Invalid();
};

// A file opened with CreateFileW.
using OwnedHandle = Owned<HANDLE, &CloseHandle, -1>;
// A kernel object such as a mutex, which is null when there is none.
using OwnedKernelObject = Owned<HANDLE, &CloseHandle>;
// A search of FindFirstFileW.
using OwnedFind = Owned<HANDLE, &FindClose, -1>;
// An open registry key.
using OwnedKey = Owned<HKEY, &RegCloseKey>;
