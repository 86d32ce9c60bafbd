// Serves the program: the one base of the messaging API's COM objects, with the live count that
// the tests of the program read to prove every object handed out came back.
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
        *object = IsEqualIID(iid, IID_IUnknown) ? static_cast<IUnknown*>(this) : nullptr;
        if (*object == nullptr) {
            return E_NOINTERFACE;
        }
        this->AddRef();
        return S_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }

    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

protected:
    // live counts the objects of the kind that are alive.
    explicit ComObject(volatile LONG& live) : live(live) { InterlockedIncrement(&live); }
    virtual ~ComObject() { InterlockedDecrement(&live); }

private:
    volatile LONG references = 1;
    volatile LONG& live;
};

} // namespace handset
