// Serves the program: owners of what the handset's code opens or allocates, one type per kind,
// each freed exactly once by the function that belongs to its kind.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <memory>
#include <type_traits>

namespace handset {

template <auto Free> struct FreeWith {
    template <typename T> void operator()(T handle) const { Free(handle); }
};

// A registry key.
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, FreeWith<RegCloseKey>>;
// A kernel handle, such as a process or a thread; null when there is none.
using UniqueHandle = std::unique_ptr<void, FreeWith<CloseHandle>>;
// A search of FindFirstFileW; its failure value, INVALID_HANDLE_VALUE, must not be owned.
using UniqueFind = std::unique_ptr<void, FreeWith<FindClose>>;
// A device context of CreateDCW.
using UniqueDc = std::unique_ptr<std::remove_pointer_t<HDC>, FreeWith<DeleteDC>>;
// A menu, and everything it holds.
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, FreeWith<DestroyMenu>>;
// A GDI object of its own type: UniqueGdi<HBRUSH>, UniqueGdi<HFONT>.
template <typename Handle>
using UniqueGdi = std::unique_ptr<std::remove_pointer_t<Handle>, FreeWith<DeleteObject>>;
// A BSTR of the system's allocator.
using UniqueBstr = std::unique_ptr<OLECHAR, FreeWith<SysFreeString>>;

// COM for the life of the owner, on a thread that may or may not have it already; a thread
// already in another apartment can still use COM as it is.
struct ScopedCom {
    const HRESULT status = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ScopedCom() = default;
    ScopedCom(const ScopedCom&) = delete;
    ~ScopedCom() {
        if (SUCCEEDED(status)) {
            CoUninitialize();
        }
    }
    bool Usable() const { return SUCCEEDED(status) || status == RPC_E_CHANGED_MODE; }
};

// A VARIANT, cleared when its owner goes.
class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&value); }
    ~ScopedVariant() { VariantClear(&value); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;

    VARIANT* operator&() { return &value; }
    const VARIANT& operator*() const { return value; }
    const VARIANT* operator->() const { return &value; }

private:
    VARIANT value;
};

} // namespace handset
