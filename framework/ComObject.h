#pragma once
// TComObject<Interface, Iid>: the IUnknown half of our own COM objects, written
// once. A derived class implements Interface's own methods; its first reference
// comes with construction (count 1, so `ComPtr::attach(new T)` owns it) and it
// deletes itself at its last Release. QueryInterface answers IUnknown and Iid.
// The count is atomic: OLE may release from another thread.
#include <windows.h>
#include <unknwn.h>

#include <atomic>

namespace fw {

template <class Interface, const IID& Iid>
class TComObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, Iid)) {
            *ppv = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refCount_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG count = --refCount_;
        if (count == 0) delete this;
        return count;
    }

protected:
    TComObject() = default;
    virtual ~TComObject() = default;
    TComObject(const TComObject&) = delete;
    TComObject& operator=(const TComObject&) = delete;

private:
    std::atomic<ULONG> refCount_{1};
};

}  // namespace fw
