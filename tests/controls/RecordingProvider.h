#pragma once
// A data provider of the tests' own: it records every call it receives, hands
// Changing/Changed on to the registered notify interfaces, answers its root
// item list and (optionally) its context list, and counts its references
// without freeing itself (it lives on the test's stack).
#include <string>
#include <vector>

#include "controls/VxDataContexts.h"
#include "controls/VxDataItemFeatures.h"
#include "controls/VxDataItems.h"

namespace testdp {

class RecordingProvider : public vx::IVxDataProvider {
public:
    RecordingProvider() { Restart(); }
    void Restart() {
        items = vx::Ptr<vx::IVxDataItems>(vx::New<vx::TVxDataItemsList>(this));
        vx::New<vx::TVxBaseDataItemsListManagement>(Root());
    }
    ~RecordingProvider() { Shutdown(); }
    // Drops the lists (which hold references to the provider).
    void Shutdown() {
        notifies.clear();
        selectedConsumer.reset();
        selectedContext.reset();
        items.reset();
        contexts.reset();
    }
    void AddContextList() {
        contextList = vx::New<vx::TVxDataContexts>(this, nullptr);
        contexts = vx::Ptr<vx::IVxDataContexts>(contextList);
    }
    vx::TVxDataItemsList* Root() const { return static_cast<vx::TVxDataItemsList*>(items->GetImplementer()); }
    vx::TVxDataContexts* Contexts() const { return contextList; }
    vx::Ptr<vx::IVxDataItemsManagement> RootManagement() const { return items.As<vx::IVxDataItemsManagement>(); }
    // The calls without the SelectContext/ReleaseContext pairs of every item reference.
    std::vector<std::string> Changes() const {
        std::vector<std::string> out;
        for (const std::string& c : calls)
            if (c.rfind("Chang", 0) == 0) out.push_back(c);
        return out;
    }

    std::vector<std::string> calls;
    std::vector<vx::IVxDataProviderNotify*> notifies;
    vx::Ptr<vx::IVxDataItems> items;
    vx::Ptr<vx::IVxDataContexts> contexts;
    vx::TVxDataContexts* contextList = nullptr;
    vx::TClassArray consumerClasses;
    vx::Ptr<vx::IVxDataConsumer> selectedConsumer;
    vx::Ptr<vx::IVxDataContext> selectedContext;
    // Answers for IVxDataIDSearch instead of the root list, when set (not owned).
    vx::IVxDataIDSearch* search = nullptr;
    LONG refs = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** obj) override {
        *obj = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(vx::IVxDataProvider))) {
            AddRef();
            *obj = static_cast<vx::IVxDataProvider*>(this);
            return S_OK;
        }
        if (IsEqualIID(iid, __uuidof(vx::IVxDataIDSearch)) && search) {
            search->AddRef();
            *obj = search;
            return S_OK;
        }
        if (IsEqualIID(iid, __uuidof(vx::IVxDataItems)) || IsEqualIID(iid, __uuidof(vx::IVxDataIDSearch)))
            return items ? items->QueryInterface(iid, obj) : E_NOINTERFACE;
        if (IsEqualIID(iid, __uuidof(vx::IVxDataContexts)) && contexts) return contexts->QueryInterface(iid, obj);
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return ULONG(--refs); }

    void STDMETHODCALLTYPE RegisterChangeNotify(vx::IVxDataProviderNotify* n) override {
        calls.push_back("RegisterChangeNotify");
        notifies.push_back(n);
    }
    void STDMETHODCALLTYPE UnregisterChangeNotify(vx::IVxDataProviderNotify* n) override {
        calls.push_back("UnregisterChangeNotify");
        std::erase(notifies, n);
    }
    vx::Ptr<vx::IVxDataItems> STDMETHODCALLTYPE GetItems() override { return items; }
    void STDMETHODCALLTYPE Changing(int reason, IUnknown* source) override {
        calls.push_back("Changing(" + std::to_string(reason) + ")");
        for (auto* n : std::vector<vx::IVxDataProviderNotify*>(notifies)) n->DataProviderChanging(this, reason, source);
    }
    void STDMETHODCALLTYPE Changed(int reason, IUnknown* source) override {
        calls.push_back("Changed(" + std::to_string(reason) + ")");
        for (auto* n : std::vector<vx::IVxDataProviderNotify*>(notifies)) n->DataProviderChanged(this, reason, source);
    }
    vx::TClassArray STDMETHODCALLTYPE ConsumerClasses() override {
        calls.push_back("ConsumerClasses");
        return consumerClasses;
    }
    void STDMETHODCALLTYPE SelectConsumer(vx::IVxDataConsumer* c) override {
        calls.push_back("SelectConsumer");
        selectedConsumer = vx::Ptr<vx::IVxDataConsumer>(c);
    }
    vx::Ptr<vx::IVxDataConsumer> STDMETHODCALLTYPE SelectedConsumer() override { return selectedConsumer; }
    void STDMETHODCALLTYPE ReleaseConsumer() override {
        calls.push_back("ReleaseConsumer");
        selectedConsumer.reset();
    }
    void STDMETHODCALLTYPE SelectContext(vx::IVxDataContext* c) override {
        calls.push_back("SelectContext");
        if (c) selectedContext = vx::Ptr<vx::IVxDataContext>(c);
    }
    vx::Ptr<vx::IVxDataContext> STDMETHODCALLTYPE SelectedContext() override { return selectedContext; }
    void STDMETHODCALLTYPE ReleaseContext() override { calls.push_back("ReleaseContext"); }
    HRESULT STDMETHODCALLTYPE Reserved13() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved14() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved15() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved16() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved17() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved18() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved19() override { return E_NOTIMPL; }
};

// Adds an item with ID and text to List (its management answers), returns it.
inline vx::TVxBaseDataItem* AddItem(vx::TVxBaseDataItems* List, const std::wstring& id, const std::wstring& text = {}) {
    auto* item = vx::New<vx::TVxBaseDataItem>(static_cast<vx::IVxDataItems*>(List));
    item->SetID(id);
    auto* t = vx::New<vx::TVxDataItemTextImpl>(item);
    t->SetText(text.empty() ? id : text);
    List->InternalAdd(item);
    return item;
}

// Gives Item a child list (with management) and returns it.
inline vx::TVxDataItemsList* Children(vx::TVxBaseDataItem* Item) {
    auto* list = static_cast<vx::TVxDataItemsList*>(vx::NewItemsOf<vx::TVxDataItemsList>(Item));
    vx::New<vx::TVxBaseDataItemsListManagement>(list);
    return list;
}

// Hangs a chain of Depth items (n0, n1 below it, ...) under List.
inline void AddChain(vx::TVxBaseDataItems* List, int Depth) {
    for (int level = 0; level < Depth; ++level) {
        vx::TVxBaseDataItem* item = AddItem(List, L"n" + std::to_wstring(level));
        if (level + 1 < Depth) List = Children(item);
    }
}

}  // namespace testdp
