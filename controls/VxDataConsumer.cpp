#include "controls/VxDataConsumer.h"

#include <algorithm>

#include "controls/VxDataConsumerExt.h"
#include "framework/Controls.h"
#include "framework/SysUtils.h"

namespace vx {

// --- TVxDataConsumerAggregatedObject ---------------------------------------------------

const TVxClass TVxDataConsumerAggregatedObject::Class{L"TVxDataConsumerAggregatedObject",
                                                      &TAggregatedPersistentEx::Class, nullptr, nullptr, nullptr};

TVxDataConsumerAggregatedObject::TVxDataConsumerAggregatedObject(TExtensibleInterfacedPersistent* Owner)
    : TAggregatedPersistentEx(OwnerOfKind<TVxDataConsumer>(Owner)) {}

TVxDataConsumer* TVxDataConsumerAggregatedObject::ConsumerImpl() const {
    return static_cast<TVxDataConsumer*>(Owner());
}

Ptr<IVxDataConsumer> TVxDataConsumerAggregatedObject::ConsumerIntf() const {
    return Ptr<IVxDataConsumer>(static_cast<IVxDataConsumer*>(ConsumerImpl()));
}

void TVxDataConsumerAggregatedObject::Changed(int Reason) {
    fixupPending_ = !ConsumerImpl()->ProviderIntf();
    ConsumerImpl()->Changed(Reason);
}

void TVxDataConsumerAggregatedObject::NotifyViewChanged() {
    ConsumerImpl()->ViewChanged(this);
}

void TVxDataConsumerAggregatedObject::NeedFixups() {
    ConsumerImpl()->SetFixupsPending();
    fixupPending_ = true;
}

// --- TVxDataConsumer -------------------------------------------------------------------

const TVxClass TVxDataConsumer::Class{L"TVxDataConsumer", &TExtensibleInterfacedPersistent::Class, nullptr, nullptr,
                                      nullptr};

TVxDataConsumer::TVxDataConsumer(fw::TComponent* Owner, std::initializer_list<int> Attributes) : owner_(Owner) {
    for (int attribute : Attributes)
        if (std::find(attributes_.begin(), attributes_.end(), attribute) == attributes_.end())
            attributes_.push_back(attribute);
}

void TVxDataConsumer::BeforeDestruction() {
    OnChanged = nullptr;
    OnAfterCreateExtension = nullptr;
    OnBeforeCreateExtension = nullptr;
    OnProviderChanging = nullptr;
    OnProviderChanged = nullptr;
    SetProviderIntf(nullptr);
    clients_.clear();
    TExtensibleInterfacedPersistent::BeforeDestruction();
}

bool TVxDataConsumer::GetInterface(REFIID Iid, void** Obj) {
    return AnswerInterface<IVxDataConsumerClientLink>(this, Iid, Obj) ||
           AnswerInterface<IVxDataConsumerProvider>(this, Iid, Obj) ||
           AnswerInterface<IVxDataProviderNotify>(this, Iid, Obj) || AnswerInterface<IVxDataConsumer>(this, Iid, Obj) ||
           TExtensibleInterfacedPersistent::GetInterface(Iid, Obj);
}

bool TVxDataConsumer::AttributeApplies(int Attr) {
    return std::find(attributes_.begin(), attributes_.end(), Attr) != attributes_.end();
}

Ptr<IVxDataConsumer> TVxDataConsumer::Consumer() {
    return Ptr<IVxDataConsumer>(static_cast<IVxDataConsumer*>(this));
}

bool TVxDataConsumer::OwnerLoading() const {
    return owner_ && owner_->HasState(fw::csLoading) && !streamRead_;
}

fw::TComponent* TVxDataConsumer::ProviderComponent() {
    if (!provider_) return nullptr;
    if (auto owner = provider_.As<IVxDataProviderComponent>())
        if (auto* component = dynamic_cast<fw::TComponent*>(owner->Component())) return component;
    return dynamic_cast<fw::TComponent*>(provider_.get());
}

void TVxDataConsumer::SetStreamedProvider(fw::TComponent* Component) {
    auto* provider = dynamic_cast<IVxDataProvider*>(Component);
    if (Component && !provider) throw fw::EReadError(msg::InvalidClassType);
    streamRead_ = true;
    try {
        SetProviderIntf(provider);
    } catch (...) {
        streamRead_ = false;
        throw;
    }
    streamRead_ = false;
}

TVxDataConsumerAggregatedObject* TVxDataConsumer::ConsumerExtension(int Index) const {
    return dynamic_cast<TVxDataConsumerAggregatedObject*>(Extension(Index));
}

TVxDataConsumerAggregatedObject* TVxDataConsumer::FindConsumerExtension(const TVxClass* Class) const {
    return dynamic_cast<TVxDataConsumerAggregatedObject*>(FindExtension(Class));
}

template <class F>
void TVxDataConsumer::ForEachExtension(F Call) {
    // A copy: a call may add or remove extensions.
    std::vector<TVxDataConsumerAggregatedObject*> extensions;
    for (int i = 0; i < ExtensionCount(); ++i)
        if (auto* e = ConsumerExtension(i)) extensions.push_back(e);
    for (auto* e : extensions)
        for (int i = 0; i < ExtensionCount(); ++i)
            if (Extension(i) == e) {
                Call(e);
                break;
            }
}

template <class F>
void TVxDataConsumer::DropExtensions(F Drop) {
    for (int i = ExtensionCount() - 1; i >= 0; --i) {
        if (i >= ExtensionCount()) continue;
        auto* e = ConsumerExtension(i);
        if (e && Drop(e)) RemoveIntfImpl(e);
    }
}

bool TVxDataConsumer::FixupsDue() {
    if (fixupsPending_ && !OwnerLoading()) return true;
    for (int i = 0; i < ExtensionCount(); ++i)
        if (auto* e = ConsumerExtension(i); e && e->FixupPending()) return true;
    return false;
}

bool TVxDataConsumer::ContextDue() {
    return !pendingContext_.empty() && !OwnerLoading();
}

void TVxDataConsumer::Changing(int Reason) {
    if (OnChanging) OnChanging(this, Reason);
}

void TVxDataConsumer::Changed(int Reason) {
    if (auto* control = dynamic_cast<fw::TControl*>(owner_)) control->Invalidate();
    if (OnChanged) OnChanged(this, Reason);
}

void TVxDataConsumer::AfterCreateExtension(TVxDataConsumerAggregatedObject* Extension) {
    if (OnAfterCreateExtension) OnAfterCreateExtension(this, Extension);
    if (auto* view = dynamic_cast<TVxCustomDataConsumerViewList*>(Extension)) view->RebuildView();
}

Ptr<IVxDataContext> TVxDataConsumer::ResolveContext(IVxDataProvider* Provider, const std::wstring& Name) {
    Ptr<IVxDataContexts> contexts = Ptr<IVxDataProvider>(Provider).As<IVxDataContexts>();
    if (!contexts) throw EVXLDataConsumer(msg::NoContexts);
    Ptr<IVxDataContext> context = contexts->GetContextByName(Name);
    if (!context) throw EVXLDataConsumer(fw::Format(msg::NoSuchContext, {Name}));
    return context;
}

void TVxDataConsumer::SetProviderIntf(IVxDataProvider* Value) {
    if (Value == provider_.get()) return;
    // A pending context name is checked before anything changes, so a name the
    // new provider lacks leaves the consumer as it was.
    Ptr<IVxDataContext> pending;
    if (Value && ContextDue()) pending = ResolveContext(Value, pendingContext_);
    const bool quiet = fixupsPending_ || !pendingContext_.empty();
    Changing(ccrProviderSelect);
    IVxDataProviderNotify* notify = this;
    if (provider_) provider_->UnregisterChangeNotify(notify);
    if (!quiet) ForEachExtension([](TVxDataConsumerAggregatedObject* e) { e->ProviderChanging(); });
    provider_ = Ptr<IVxDataProvider>(Value);
    if (provider_) provider_->RegisterChangeNotify(notify);
    const bool contextDue = ContextDue();
    if (pending) {
        pendingContext_.clear();
        SetContextIntf(pending.get());
    } else {
        Ptr<IVxDataContexts> contexts = provider_ ? provider_.As<IVxDataContexts>() : nullptr;
        Ptr<IVxDataContext> first = contexts && contexts->GetCount() > 0 ? contexts->GetContext(0) : nullptr;
        SetContextIntf(first.get());
    }
    if (!quiet) {
        DropExtensions(
            [](TVxDataConsumerAggregatedObject* e) { return !e->FixupPending() && !e->KeepOnProviderChange(); });
        ForEachExtension([](TVxDataConsumerAggregatedObject* e) { e->ProviderChanged(); });
    }
    UpdateExtensions();
    const bool fixupsDue = FixupsDue();
    if (!fixupsDue && !contextDue) {
        IVxDataConsumerClientLink* link = this;
        for (const Ptr<IUnknown>& client : std::vector<Ptr<IUnknown>>(clients_))
            if (auto c = client.As<IVxDataConsumerClient>()) c->ProviderChanged(link);
    }
    if (fixupsDue) {
        ForEachExtension([](TVxDataConsumerAggregatedObject* e) { e->RunFixup(); });
        fixupsPending_ = false;
    }
    ViewChanged();
    Changed(ccrProviderSelect);
}

std::wstring TVxDataConsumer::Context() {
    return context_ ? context_->Name() : std::wstring();
}

void TVxDataConsumer::SetContext(const std::wstring& Name) {
    if (Name == Context()) return;
    if (!provider_) {
        if (!OwnerLoading()) throw EVXLDataConsumer(msg::NoProviderForContext);
        pendingContext_ = Name;
        return;
    }
    if (Name.empty()) {
        SetContextIntf(nullptr);
        return;
    }
    Ptr<IVxDataContext> context = ResolveContext(provider_.get(), Name);
    SetContextIntf(context.get());
}

bool TVxDataConsumer::IsContextStored() {
    Ptr<IVxDataContexts> contexts = provider_ ? provider_.As<IVxDataContexts>() : nullptr;
    return contexts && contexts->GetCount() > 0 && contexts->GetContext(0) != context_;
}

std::wstring TVxDataConsumer::ContextPath() {
    std::wstring path;
    for (Ptr<IVxDataContext> context = context_; context;) {
        path = path.empty() ? context->Name() : context->Name() + L"/" + path;
        Ptr<IVxDataContexts> list = context->Contexts();
        context = list ? list->GetAncestor() : nullptr;
    }
    return path;
}

void TVxDataConsumer::DefineProperties(fw::TFiler& Filer) {
    // By name: the reader sets it once the whole form is read.
    fw::DefineComponentRef(Filer, L"Provider", ProviderComponent(),
                           [this](fw::TComponent* Component) { SetStreamedProvider(Component); });
    // By its path: a nested context is found again under its ancestors.
    fw::DefineString(
        Filer, L"Context", IsContextStored() ? ContextPath() : std::wstring(),
        [this](const std::wstring& Value) { SetContext(Value); }, IsContextStored());
    TExtensibleInterfacedPersistent::DefineProperties(Filer);
}

void TVxDataConsumer::SetContextIntf(IVxDataContext* Value) {
    if (Value == context_.get()) return;
    if (Value) {
        Ptr<IVxDataContexts> list = Value->Contexts();
        Ptr<IVxDataProvider> owner = list ? list->GetProvider() : nullptr;
        if (owner != provider_) throw EVXLDataConsumer(msg::ContextOfOtherProvider);
    }
    Changing(ccrContextChange);
    if (!fixupsPending_) ForEachExtension([](TVxDataConsumerAggregatedObject* e) { e->ContextChanging(); });
    context_ = Ptr<IVxDataContext>(Value);
    if (!fixupsPending_) {
        DropExtensions(
            [](TVxDataConsumerAggregatedObject* e) { return !e->FixupPending() && !e->KeepOnContextChange(); });
        ForEachExtension([](TVxDataConsumerAggregatedObject* e) { e->ContextChanged(); });
    }
    UpdateExtensions();
    Changed(ccrContextChange);
}

void TVxDataConsumer::CreateExtension(const TVxClass* Class) {
    if (OnBeforeCreateExtension) OnBeforeCreateExtension(this, Class);
    if (!Class || !Class->NewExtension || !Class->InheritsFrom(&TVxDataConsumerAggregatedObject::Class)) return;
    auto* extension = static_cast<TVxDataConsumerAggregatedObject*>(Class->NewExtension(this));
    AfterCreateExtension(extension);
}

void TVxDataConsumer::UpdateExtensions() {
    if (!provider_) {
        ClearIntfImpl();
        return;
    }
    Enter();
    TClassArray classes;
    try {
        classes = provider_->ConsumerClasses();
    } catch (...) {
        Leave();
        throw;
    }
    Leave();
    for (const TVxClass* cls : classes)
        if (cls && IndexOfImplClass(cls) < 0) CreateExtension(cls);
    if (AttributeApplies(3) && IndexOfImplClass(&TVxDataConsumerViewList::Class) < 0)
        CreateExtension(&TVxDataConsumerViewList::Class);
}

void TVxDataConsumer::Fixup() {
    if (!pendingContext_.empty()) {
        const std::wstring name = pendingContext_;
        pendingContext_.clear();
        SetContext(name);
    }
    if (fixupsPending_) {
        ForEachExtension([](TVxDataConsumerAggregatedObject* e) { e->RunFixup(); });
        fixupsPending_ = false;
    }
}

void TVxDataConsumer::Enter() {
    // Nested brackets (a row opened while a notice is handled) keep the outer
    // selection: the provider is asked once, and let go by the outermost Leave.
    if (entered_ > 0) {
        ++entered_;
        return;
    }
    provider_->SelectConsumer(this);
    try {
        provider_->SelectContext(context_.get());
    } catch (...) {
        provider_->ReleaseConsumer();
        throw;
    }
    entered_ = 1;
}

void TVxDataConsumer::Leave() {
    if (entered_ > 1) {
        --entered_;
        return;
    }
    entered_ = 0;
    Ptr<IVxDataConsumer> previous = provider_->SelectedConsumer();
    provider_->ReleaseConsumer();
    try {
        provider_->ReleaseContext();
    } catch (...) {
        provider_->SelectConsumer(previous.get());
        throw;
    }
}

void TVxDataConsumer::ItemSelected(IVxDataItem* Item) {
    ForEachExtension([Item](TVxDataConsumerAggregatedObject* e) { e->ItemSelected(Item); });
    if (auto notify = Ptr<IVxDataItem>(Item).As<IVxDataItemSelectNotify>()) notify->ItemSelected(owner_);
}

void TVxDataConsumer::ViewChanged(TVxDataConsumerAggregatedObject* Except) {
    ForEachExtension([Except](TVxDataConsumerAggregatedObject* e) {
        if (e != Except) e->ViewChanged(Except);
    });
    Changed(ccrViewChange);
}

Ptr<IVxDataItems> TVxDataConsumer::RootItems() {
    if (auto* select = dynamic_cast<TVxDataConsumerItemSelect*>(FindExtension(&TVxDataConsumerItemSelect::Class)))
        if (Ptr<IVxDataItem> item = select->GetItem()) {
            Ptr<IVxDataItems> children;
            if (SUCCEEDED(item->QueryInterface(__uuidof(IVxDataItems), children.put_void()))) return children;
            return nullptr;
        }
    return provider_ ? provider_.As<IVxDataItems>() : nullptr;
}

void TVxDataConsumer::DataProviderChanging(IVxDataProvider* Provider, int Reason, IUnknown* Source) {
    if (OnProviderChanging) OnProviderChanging(Provider, Reason, Source);
    ForEachExtension([&](TVxDataConsumerAggregatedObject* e) { e->DataProviderChanging(Provider, Reason, Source); });
    if (Reason == pcrDestroy) SetProviderIntf(nullptr);
}

void TVxDataConsumer::DataProviderChanged(IVxDataProvider* Provider, int Reason, IUnknown* Source) {
    if (OnProviderChanged) OnProviderChanged(Provider, Reason, Source);
    ForEachExtension([&](TVxDataConsumerAggregatedObject* e) { e->DataProviderChanged(Provider, Reason, Source); });
    if (Reason == pcrViewChanged) ViewChanged();
    else Changed(ccrProviderChanged);
}

void TVxDataConsumer::NotifyExtensions(intptr_t A, intptr_t B) {
    ForEachExtension([A, B](TVxDataConsumerAggregatedObject* e) { e->LinkNotification(A, B); });
}

void TVxDataConsumer::AddClient(IUnknown* Client) {
    if (Client) clients_.emplace_back(Client);
}

void TVxDataConsumer::RemoveClient(IUnknown* Client) {
    auto it =
        std::find_if(clients_.begin(), clients_.end(), [Client](const Ptr<IUnknown>& c) { return c.get() == Client; });
    if (it != clients_.end()) clients_.erase(it);
}

}  // namespace vx
