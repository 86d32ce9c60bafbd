// Owners of the system's handles that the program holds: each is closed exactly once, by the
// function that belongs to its kind, when its owner goes.
#pragma once

#include <windows.h>

#include <utility>

template <typename Kind> class OwnedHandleOf {
public:
    using Handle = typename Kind::Handle;

    OwnedHandleOf() = default;
    explicit OwnedHandleOf(Handle handle) : handle(handle) {}
    ~OwnedHandleOf() { Reset(); }
    OwnedHandleOf(OwnedHandleOf&& other) noexcept : handle(other.Release()) {}
    OwnedHandleOf& operator=(OwnedHandleOf&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    OwnedHandleOf(const OwnedHandleOf&) = delete;
    OwnedHandleOf& operator=(const OwnedHandleOf&) = delete;

    Handle Get() const { return handle; }
    bool IsValid() const { return handle != Kind::Invalid(); }

    void Reset(Handle replacement = Kind::Invalid()) {
        if (IsValid()) {
            Kind::Close(handle);
        }
        handle = replacement;
    }
    Handle Release() { return std::exchange(handle, Kind::Invalid()); }

private:
    Handle handle = Kind::Invalid();
};

// A file opened with CreateFileW.
struct FileHandleKind {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
using OwnedHandle = OwnedHandleOf<FileHandleKind>;

// A kernel object such as a mutex, which is null when there is none.
struct KernelObjectKind {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
using OwnedKernelObject = OwnedHandleOf<KernelObjectKind>;

// A search of FindFirstFileW.
struct FindHandleKind {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { FindClose(handle); }
};
using OwnedFind = OwnedHandleOf<FindHandleKind>;

// An open registry key.
struct RegistryKeyKind {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { RegCloseKey(handle); }
};
using OwnedKey = OwnedHandleOf<RegistryKeyKind>;
