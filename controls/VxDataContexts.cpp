#include "controls/VxDataContexts.h"

#include "controls/VxDataItemFeatures.h"
#include "framework/SysUtils.h"

namespace vx {

const TVxClass TVxBaseDataContexts::Class{L"TVxBaseDataContexts", &TExtensibleInterfacedPersistent::Class, nullptr,
                                          nullptr, nullptr};
const TVxClass TVxDataContexts::Class{L"TVxDataContexts", &TVxBaseDataContexts::Class, nullptr, nullptr, nullptr};
const TVxClass TVxBaseDataContext::Class{L"TVxBaseDataContext", &TExtensibleInterfacedPersistent::Class, nullptr,
                                         nullptr, nullptr};
const TVxClass TVxDataContext::Class{L"TVxDataContext", &TVxBaseDataContext::Class, nullptr, nullptr, nullptr};
const TVxClass TVxManagedDataContext::Class{L"TVxManagedDataContext", &TVxDataContext::Class, nullptr, nullptr,
                                            nullptr};
const TVxClass TVxFixedDataContext::Class{L"TVxFixedDataContext", &TVxDataContext::Class, nullptr, nullptr, nullptr};

// --- lists -----------------------------------------------------------------------------

TVxBaseDataContexts::TVxBaseDataContexts(IVxDataProvider* Provider, IVxDataContext* Ancestor,
                                         const TVxClass* ManagerClass)
    : provider_(Provider), ancestor_(Ancestor), managerClass_(ManagerClass) {}

void TVxBaseDataContexts::AfterConstruction() {
    if (ancestor_)
        if (auto* parent = dynamic_cast<TVxBaseDataContext*>(ancestor_->GetImplementer())) parent->children_ = this;
    if (managerClass_ && managerClass_->NewExtension) managerClass_->NewExtension(this);
    TExtensibleInterfacedPersistent::AfterConstruction();
}

void TVxBaseDataContexts::BeforeDestruction() {
    if (ancestor_)
        if (auto* parent = dynamic_cast<TVxBaseDataContext*>(ancestor_->GetImplementer()))
            if (parent->children_ == this) parent->children_ = nullptr;
    ancestor_.reset();
    provider_.reset();
    TExtensibleInterfacedPersistent::BeforeDestruction();
}

bool TVxBaseDataContexts::GetInterface(REFIID Iid, void** Obj) {
    return AnswerInterface<IVxDataContexts>(this, Iid, Obj) || TExtensibleInterfacedPersistent::GetInterface(Iid, Obj);
}

int TVxBaseDataContexts::IndexOf(IVxDataContext* Context) {
    for (int i = GetCount() - 1; i >= 0; --i)
        if (GetContext(i).get() == Context) return i;
    return -1;
}

void TVxBaseDataContexts::DoRemoveContext(IVxDataContext* Context) {
    const int index = IndexOf(Context);
    if (index >= 0) DoDeleteContext(index);
}

Ptr<IVxDataContext> TVxBaseDataContexts::GetContextByName(const TVxDataContextID& Name) {
    // Segment by segment in a loop: a long path (from a stream) costs no stack.
    Ptr<IVxDataContexts> hold;  // the list walked to
    TVxBaseDataContexts* list = this;
    for (size_t start = 0;;) {
        const size_t sep = Name.find_first_of(L"/\\", start);
        const std::wstring segment = Name.substr(start, sep == std::wstring::npos ? sep : sep - start);
        Ptr<IVxDataContexts> next;
        if (segment == L"..") {
            if (!list->ancestor_) return nullptr;
            next = list->ancestor_->Contexts();
        } else if (segment.empty()) {
            if (sep == std::wstring::npos || !list->ancestor_) return nullptr;
            next = list->provider_ ? list->provider_.As<IVxDataContexts>() : nullptr;
        } else {
            Ptr<IVxDataContext> match;
            for (int i = list->GetCount() - 1; i >= 0 && !match; --i) {
                Ptr<IVxDataContext> context = list->GetContext(i);
                if (context && fw::SameText(context->Name(), segment)) match = context;
            }
            if (!match || sep == std::wstring::npos) return match;
            // More path: it names one of this context's children.
            auto* impl = dynamic_cast<TVxBaseDataContext*>(match->GetImplementer());
            TVxBaseDataContexts* children = impl ? impl->ChildContexts() : nullptr;
            if (children) next = Ptr<IVxDataContexts>(static_cast<IVxDataContexts*>(children));
        }
        if (!next) return nullptr;
        start = sep == std::wstring::npos ? Name.size() : sep + 1;
        list = dynamic_cast<TVxBaseDataContexts*>(next.get());
        if (!list) return next->GetContextByName(Name.substr(start));  // a list of another kind looks on itself
        hold = std::move(next);
    }
}

Ptr<IVxDataContext> TVxDataContexts::GetContext(int Index) {
    if (Index < 0 || Index >= int(contexts_.size())) return nullptr;
    return contexts_[size_t(Index)];
}

void TVxDataContexts::DoAddContext(IVxDataContext* Context) {
    Ptr<IVxDataContext> found = GetContextByName(Context->Name());
    if (found) {
        if (found.get() != Context) throw EVXLDataContexts(msg::ContextNameExists);
        return;
    }
    Ptr<IVxDataProvider> provider = GetProvider();
    Ptr<IVxDataContext> ancestor = GetAncestor();
    if (provider) provider->Changing(pcrContextAdd, ancestor.get());
    contexts_.emplace_back(Context);
    if (provider) provider->Changed(pcrContextAdd, Context);
}

void TVxDataContexts::DoDeleteContext(int Index) {
    Ptr<IVxDataContext> context = GetContext(Index);
    if (!context || !context->IsDeletable()) return;
    Ptr<IVxDataContexts> list = context->Contexts();
    Ptr<IVxDataContext> ancestor = list ? list->GetAncestor() : nullptr;
    Ptr<IVxDataProvider> provider = GetProvider();
    if (provider) provider->Changing(pcrContextDelete, context.get());
    contexts_.erase(contexts_.begin() + Index);
    LetGo(context);
    context.reset();
    if (provider) provider->Changed(pcrContextDelete, ancestor.get());
}

void TVxDataContexts::LetGo(const Ptr<IVxDataContext>& Context) {
    Ptr<IVxDataProvider> provider = GetProvider();
    Ptr<IVxDataItems> items = provider ? provider->GetItems() : nullptr;
    if (items) items->ContextDestroying(Context.get());
    TVxDataItemContextTextImpl::ForgetContext(Context.get());
    if (auto* impl = dynamic_cast<TVxBaseDataContext*>(Context->GetImplementer()))
        if (impl->contexts_ == this) impl->contexts_ = nullptr;
}

void TVxDataContexts::DoClearContexts() {
    std::vector<Ptr<IVxDataContext>> contexts;
    contexts.swap(contexts_);
    for (const Ptr<IVxDataContext>& context : contexts) LetGo(context);
}

void TVxDataContexts::BeforeDestruction() {
    DoClearContexts();
    TVxBaseDataContexts::BeforeDestruction();
}

// --- contexts --------------------------------------------------------------------------

TVxBaseDataContext::TVxBaseDataContext(TVxBaseDataContexts* Contexts, const TVxDataContextID& Name)
    : contexts_(Contexts), initialName_(Name) {
    if (!Contexts) throw EVXLDataContexts(msg::ContextWithoutOwner);
}

void TVxBaseDataContext::AfterConstruction() {
    SetName(initialName_);
    initialName_.clear();
    TExtensibleInterfacedPersistent::AfterConstruction();
}

Ptr<IVxDataContexts> TVxBaseDataContext::Contexts() {
    return Ptr<IVxDataContexts>(static_cast<IVxDataContexts*>(contexts_));
}

void TVxBaseDataContext::SetName(const TVxDataContextID& Value) {
    if (Value == Name()) return;
    // Names are looked up as paths: one holding a separator could never be found.
    if (Value.find_first_of(L"/\\") != TVxDataContextID::npos || Value == L"..")
        throw EVXLDataContexts(fw::Format(msg::UnsafeContextName, {Value}));
    Ptr<IVxDataContext> found = contexts_ ? contexts_->GetContextByName(Value) : nullptr;
    if (found && found.get() != static_cast<IVxDataContext*>(this)) throw EVXLDataContexts(msg::ContextNameExists);
    DoSetName(Value);
}

bool TVxBaseDataContext::GetInterface(REFIID Iid, void** Obj) {
    return AnswerInterface<IVxDataContext>(this, Iid, Obj) || TExtensibleInterfacedPersistent::GetInterface(Iid, Obj);
}

void TVxBaseDataContext::BeforeDestruction() {
    if (children_) children_->DoClearContexts();
    Ptr<IVxDataProvider> provider = contexts_ ? contexts_->GetProvider() : nullptr;
    Ptr<IVxDataItems> items = provider ? provider->GetItems() : nullptr;
    if (items) items->ContextDestroying(this);
    TVxDataItemContextTextImpl::ForgetContext(this);
    TExtensibleInterfacedPersistent::BeforeDestruction();
}

bool TVxManagedDataContext::GetInterface(REFIID Iid, void** Obj) {
    return AnswerInterface<IVxDataContextManaged>(this, Iid, Obj) || TVxDataContext::GetInterface(Iid, Obj);
}

}  // namespace vx
