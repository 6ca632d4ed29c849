#pragma once
// The data consumer: what a control uses a provider through. The control makes
// it with New<TVxDataConsumer>(Owner, {attributes}), binds its handlers and
// frees it with Free() in its own destructor; interface references do not
// count (the owner decides its life). It keeps the selected provider and
// context, registers for the provider's change notices, keeps the extensions
// the provider and the attributes ask for, takes values set while the owner
// loads, and tells the owner about every change.
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "controls/VxDataProvider.h"

namespace vx {

class TVxDataConsumer;

// Consumer change reasons passed to the changing and changed handlers.
enum TVxDataConsumerChangeReason : int {
    ccrProviderSelect = 0,
    ccrProviderChanged = 1,
    ccrViewChange = 2,
    ccrContextChange = 3,
    ccrOther = 4,
};

// The base of every extension of a consumer.
class TVxDataConsumerAggregatedObject : public TAggregatedPersistentEx {
    VX_CLASS(TVxDataConsumerAggregatedObject)
public:
    // Owner is a consumer (EInvalidCast for any other kind).
    explicit TVxDataConsumerAggregatedObject(TExtensibleInterfacedPersistent* Owner);

    virtual void DataProviderChanging(IVxDataProvider*, int, IUnknown*) {}
    virtual void DataProviderChanged(IVxDataProvider*, int, IUnknown*) {}
    virtual void Fixup() {}
    virtual bool KeepOnProviderChange() { return false; }
    virtual bool KeepOnContextChange() { return true; }
    virtual void ViewChanged(TVxDataConsumerAggregatedObject*) {}
    virtual void ItemSelected(IVxDataItem*) {}
    virtual void LinkNotification(intptr_t, intptr_t) {}
    virtual void ProviderChanging() {}
    virtual void ProviderChanged() {}
    virtual void ContextChanging() {}
    virtual void ContextChanged() {}

    TVxDataConsumer* ConsumerImpl() const;
    Ptr<IVxDataConsumer> ConsumerIntf() const;
    bool FixupPending() const { return fixupPending_; }
    // Runs Fixup once; the extension's own fix-up is then done.
    void RunFixup() {
        fixupPending_ = false;
        Fixup();
    }

protected:
    void Changed(int Reason);
    // Every other extension's ViewChanged, then the consumer's Changed(2).
    void NotifyViewChanged();
    void NeedFixups();

private:
    bool fixupPending_ = false;
};

class TVxDataConsumer : public TExtensibleInterfacedPersistent,
                        public IVxDataConsumerClientLink,
                        public IVxDataConsumerProvider,
                        public IVxDataProviderNotify,
                        public IVxDataConsumer {
    VX_CLASS(TVxDataConsumer)
    VX_IUNKNOWN
public:
    TVxDataConsumer(fw::TComponent* Owner, std::initializer_list<int> Attributes);

    using TChangeEvent = std::function<void(TVxDataConsumer* Sender, int Reason)>;
    using TAfterCreateEvent = std::function<void(TVxDataConsumer* Sender, TVxDataConsumerAggregatedObject* Extension)>;
    using TBeforeCreateEvent = std::function<void(TVxDataConsumer* Sender, const TVxClass*& ExtensionClass)>;
    using TProviderEvent = std::function<void(IVxDataProvider* Provider, int Reason, IUnknown* Source)>;
    TAfterCreateEvent OnAfterCreateExtension;
    TBeforeCreateEvent OnBeforeCreateExtension;
    TChangeEvent OnChanging;
    TChangeEvent OnChanged;
    TProviderEvent OnProviderChanging;
    TProviderEvent OnProviderChanged;

    LONG IntfAddRef() override { return -1; }
    LONG IntfRelease() override { return -1; }
    bool GetInterface(REFIID Iid, void** Obj) override;

    fw::TComponent* Owner() const { return owner_; }
    const std::vector<int>& Attributes() const { return attributes_; }

    // Provider (published): setting it runs the whole selection sequence.
    Ptr<IVxDataProvider> STDMETHODCALLTYPE ProviderIntf() override { return provider_; }
    virtual void SetProviderIntf(IVxDataProvider* Value);
    // Context (published) by name; the messages of EVXLDataConsumer on failure.
    std::wstring Context();
    void SetContext(const std::wstring& Name);
    virtual Ptr<IVxDataContext> ContextIntf() { return context_; }
    virtual void SetContextIntf(IVxDataContext* Value);
    // Whether Context differs from the provider's first context (and so is stored).
    bool IsContextStored();
    // The context's name below its ancestors' ("x/y"), as SetContext finds it again.
    std::wstring ContextPath();

    virtual void Changing(int Reason);
    virtual void Changed(int Reason);
    virtual void AfterCreateExtension(TVxDataConsumerAggregatedObject* Extension);
    virtual void UpdateExtensions();
    virtual void Fixup();
    // Bracket every use of the provider's items (only with a provider set); they
    // nest, the outermost pair alone selecting and releasing at the provider.
    void Enter();
    void Leave();
    // The user picked Item.
    void ItemSelected(IVxDataItem* Item);
    // Every extension's view change, then Changed(2); Except is left out.
    void ViewChanged(TVxDataConsumerAggregatedObject* Except = nullptr);
    int ExtensionsCount() const { return ExtensionCount(); }
    TVxDataConsumerAggregatedObject* ConsumerExtension(int Index) const;
    // The extension of Class (or a descendant), or nullptr.
    TVxDataConsumerAggregatedObject* FindConsumerExtension(const TVxClass* Class) const;
    // The root items: the selected item's children, else the provider's items.
    Ptr<IVxDataItems> RootItems();
    bool FixupsPending() const { return fixupsPending_; }
    void SetFixupsPending() { fixupsPending_ = true; }
    // Whether the owner is being loaded from its stream (and its values are not
    // all read yet).
    bool OwnerLoading() const;
    // The component the provider is (found by its name in a stream), or nullptr.
    fw::TComponent* ProviderComponent();

    // "Provider" (the name of the component it is, when it has one), "Context"
    // (by its path, see ContextPath) when stored, then the extensions.
    void DefineProperties(fw::TFiler& Filer) override;

    // IVxDataConsumer
    fw::TComponent* STDMETHODCALLTYPE FrameworkComponent() override { return owner_; }
    bool STDMETHODCALLTYPE AttributeApplies(int Attr) override;
    // IVxDataProviderNotify
    void STDMETHODCALLTYPE DataProviderChanging(IVxDataProvider* Provider, int Reason, IUnknown* Source) override;
    void STDMETHODCALLTYPE DataProviderChanged(IVxDataProvider* Provider, int Reason, IUnknown* Source) override;
    Ptr<IVxDataConsumer> STDMETHODCALLTYPE Consumer() override;
    // IVxDataConsumerClientLink
    void STDMETHODCALLTYPE NotifyExtensions(intptr_t A, intptr_t B) override;
    void STDMETHODCALLTYPE AddClient(IUnknown* Client) override;
    void STDMETHODCALLTYPE RemoveClient(IUnknown* Client) override;

protected:
    void BeforeDestruction() override;

private:
    // The provider a stream names, set once the reader has read every value:
    // the pending context and selection are then applied with it.
    void SetStreamedProvider(fw::TComponent* Component);
    bool FixupsDue();
    bool ContextDue();
    // The context a pending name names in Provider; EVXLDataConsumer when none.
    Ptr<IVxDataContext> ResolveContext(IVxDataProvider* Provider, const std::wstring& Name);
    // Removes and frees each extension that Drop selects.
    template <class F>
    void DropExtensions(F Drop);
    template <class F>
    void ForEachExtension(F Call);
    void CreateExtension(const TVxClass* Class);

    fw::TComponent* owner_;
    std::vector<int> attributes_;
    Ptr<IVxDataProvider> provider_;
    Ptr<IVxDataContext> context_;
    bool fixupsPending_ = false;
    std::wstring pendingContext_;
    std::vector<Ptr<IUnknown>> clients_;
    int entered_ = 0;          // depth of Enter brackets
    bool streamRead_ = false;  // the reader sets the provider after the last value
};

}  // namespace vx
