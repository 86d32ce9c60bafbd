// The base of the handset's COM objects: a reference count that never goes below zero,
// QueryInterface for IUnknown, and a counter of the objects of its kind that are alive, so that
// tests can prove that every object handed out was given back exactly once.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace handset {

template <typename Interface> class ComObject : public Interface {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (!IsEqualIID(iid, IID_IUnknown)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        this->AddRef();
        *object = static_cast<IUnknown*>(this);
        return S_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }

    ULONG STDMETHODCALLTYPE Release() override {
        LONG current = references;
        for (;;) {
            if (current <= 0) {
                // A release too many: counted, never taken below zero.
                InterlockedIncrement(&overReleases);
                return 0;
            }
            LONG seen = InterlockedCompareExchange(&references, current - 1, current);
            if (seen == current) {
                break;
            }
            current = seen;
        }
        if (current == 1) {
            InterlockedDecrement(&live);
            Retire();
        }
        return static_cast<ULONG>(current - 1);
    }

protected:
    // live counts the objects of the kind; overReleases the releases too many of any kind.
    ComObject(volatile LONG& live, volatile LONG& overReleases)
        : live(live), overReleases(overReleases) {
        InterlockedIncrement(&live);
    }
    virtual ~ComObject() = default;

    // What becomes of the object once the last reference is gone.
    virtual void Retire() { delete this; }

private:
    volatile LONG references = 1;
    volatile LONG& live;
    volatile LONG& overReleases;
};

} // namespace handset
