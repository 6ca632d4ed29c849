#include "controls/VxDataProvider.h"

#include <algorithm>
#include <exception>
#include <map>

#include "framework/SysUtils.h"

namespace vx {

// --- class references and registry -----------------------------------------------------

bool TVxClass::InheritsFrom(const TVxClass* Other) const {
    for (const TVxClass* c = this; c; c = c->Parent)
        if (c == Other) return true;
    return false;
}

namespace {

struct NoCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const { return fw::CompareText(a, b) < 0; }
};

std::map<std::wstring, const TVxClass*, NoCaseLess>& Registry() {
    static std::map<std::wstring, const TVxClass*, NoCaseLess> registry;
    return registry;
}

}  // namespace

void RegisterVxClass(const TVxClass* Class) {
    Registry()[Class->Name] = Class;
}

void UnregisterVxClass(const TVxClass* Class) {
    auto it = Registry().find(Class->Name);
    if (it != Registry().end() && it->second == Class) Registry().erase(it);
}

const TVxClass* GetVxClass(const std::wstring& Name) {
    auto it = Registry().find(Name);
    return it == Registry().end() ? nullptr : it->second;
}

const TVxClass* FindVxClass(const std::wstring& Name) {
    if (const TVxClass* c = GetVxClass(Name)) return c;
    throw EClassNotFound(fw::Format(L"Class %s not found", {Name}));
}

// --- TExtensibleInterfacedPersistent ---------------------------------------------------

const TVxClass TExtensibleInterfacedPersistent::Class{L"TExtensibleInterfacedPersistent", nullptr, nullptr, nullptr,
                                                      nullptr};

TExtensibleInterfacedPersistent::TExtensibleInterfacedPersistent() {
    ++liveCount_;
}

TExtensibleInterfacedPersistent::~TExtensibleInterfacedPersistent() {
    ClearIntfImpl();
    --liveCount_;
}

void TExtensibleInterfacedPersistent::AfterConstruction() {
    InitImplementers();
    --refCount_;
}

void TExtensibleInterfacedPersistent::AbortConstruction() {
    refCount_ = 0;
    Destroy();
}

LONG TExtensibleInterfacedPersistent::IntfAddRef() {
    return ++refCount_;
}

LONG TExtensibleInterfacedPersistent::IntfRelease() {
    const LONG count = --refCount_;
    if (count == 0) Destroy();
    return count;
}

void TExtensibleInterfacedPersistent::Free() {
    if (refCount_ != 0) throw fw::EInvalidPointer(L"Invalid pointer operation");
    Destroy();
}

void TExtensibleInterfacedPersistent::Destroy() {
    if (destroying_) return;
    destroying_ = true;
    // Interface use while tearing down must not free the object a second time.
    ++refCount_;
    // The parts of a tree free one another: while one object is freed, those it
    // lets go wait their turn in its loop instead of nesting, so a deep tree
    // costs no stack.
    static thread_local std::vector<TExtensibleInterfacedPersistent*>* waiting = nullptr;
    if (waiting) {
        waiting->push_back(this);
        return;
    }
    std::vector<TExtensibleInterfacedPersistent*> queue{this};
    waiting = &queue;
    std::exception_ptr failure;
    while (!queue.empty()) {
        TExtensibleInterfacedPersistent* object = queue.back();
        queue.pop_back();
        const size_t before = queue.size();
        try {
            object->BeforeDestruction();
            delete object;
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
        // Those it let go are freed in the order it let them go.
        std::reverse(queue.begin() + ptrdiff_t(before), queue.end());
    }
    waiting = nullptr;
    if (failure) std::rethrow_exception(failure);
}

void TExtensibleInterfacedPersistent::BeforeDestruction() {
    ClearIntfImpl();
}

HRESULT TExtensibleInterfacedPersistent::IntfQueryInterface(REFIID Iid, void** Obj) {
    if (!Obj) return E_POINTER;
    *Obj = nullptr;
    return GetInterface(Iid, Obj) ? S_OK : E_NOINTERFACE;
}

bool TExtensibleInterfacedPersistent::GetInterface(REFIID Iid, void** Obj) {
    if (IsEqualIID(Iid, IID_IUnknown)) {
        Unknown()->AddRef();
        *Obj = Unknown();
        return true;
    }
    for (size_t i = extensions_.size(); i-- > 0;) {
        TAggregatedPersistentEx* extension = extensions_[i];
        if (!extension || extension->IsHidden()) continue;
        if (extension->GetInterface(Iid, Obj)) return true;
    }
    return false;
}

bool TExtensibleInterfacedPersistent::IsStreamableExtension(TAggregatedPersistentEx* Extension) {
    return GetVxClass(Extension->ClassName()) != nullptr;
}

void TExtensibleInterfacedPersistent::AddIntfImpl(TAggregatedPersistentEx* Extension) {
    for (TAggregatedPersistentEx* e : extensions_)
        if (e && e->InheritsFrom(Extension->ClassType())) throw EVXLException(msg::ImplementationExists);
    extensions_.push_back(Extension);
}

void TExtensibleInterfacedPersistent::DetachIntfImpl(TAggregatedPersistentEx* Extension) {
    auto it = std::find(extensions_.begin(), extensions_.end(), Extension);
    if (it != extensions_.end()) extensions_.erase(it);
}

void TExtensibleInterfacedPersistent::RemoveIntfImpl(TAggregatedPersistentEx* Extension) {
    auto it = std::find(extensions_.begin(), extensions_.end(), Extension);
    if (it == extensions_.end()) return;
    *it = nullptr;
    delete Extension;
    it = std::find(extensions_.begin(), extensions_.end(), nullptr);
    if (it != extensions_.end()) extensions_.erase(it);
}

int TExtensibleInterfacedPersistent::IndexOfImplClass(const TVxClass* Class) const {
    for (size_t i = extensions_.size(); i-- > 0;)
        if (extensions_[i] && extensions_[i]->InheritsFrom(Class)) return int(i);
    return -1;
}

TAggregatedPersistentEx* TExtensibleInterfacedPersistent::FindExtension(const TVxClass* Class) const {
    const int index = IndexOfImplClass(Class);
    return index < 0 ? nullptr : extensions_[size_t(index)];
}

void TExtensibleInterfacedPersistent::ClearIntfImpl() {
    while (!extensions_.empty()) {
        TAggregatedPersistentEx* extension = extensions_.back();
        extensions_.back() = nullptr;
        delete extension;  // its destructor finds no entry left to detach
        auto it = std::find(extensions_.begin(), extensions_.end(), nullptr);
        if (it != extensions_.end()) extensions_.erase(it);
    }
}

void TExtensibleInterfacedPersistent::DefineProperties(fw::TFiler& Filer) {
    TVxPersistent::DefineProperties(Filer);
    const bool any = std::any_of(extensions_.begin(), extensions_.end(),
                                 [this](TAggregatedPersistentEx* e) { return e && IsStreamableExtension(e); });
    Filer.DefineProperty(
        L"Extensions", [this](fw::TReader& Reader) { ReadExtensions(Reader); },
        [this](fw::TWriter& Writer) { WriteExtensions(Writer); }, any);
}

void TExtensibleInterfacedPersistent::WriteExtensions(fw::TWriter& Writer) {
    Writer.WriteValue(fw::TValueType::vaCollection);
    const std::wstring path = Writer.PropPath();
    Writer.SetPropPath(L"");
    for (TAggregatedPersistentEx* extension : extensions_) {
        if (!extension || !IsStreamableExtension(extension)) continue;
        Writer.WriteListBegin();
        Writer.WritePropName(L"ClassName");
        Writer.WriteString(extension->ClassName());
        extension->WriteProperties(Writer);
        Writer.WriteListEnd();
    }
    Writer.WriteListEnd();
    Writer.SetPropPath(path);
}

void TExtensibleInterfacedPersistent::ReadExtensions(fw::TReader& Reader) {
    if (Reader.ReadValue() != fw::TValueType::vaCollection) throw fw::EReadError(msg::ExpectedCollection);
    HoldReference();
    try {
        while (!Reader.EndOfList()) {
            Reader.ReadListBegin();
            if (!fw::SameText(Reader.ReadStr(), L"ClassName")) throw fw::EReadError(msg::MissingClassName);
            const TVxClass* cls = FindVxClass(Reader.ReadString());
            if (!cls->InheritsFrom(&TAggregatedPersistentEx::Class) || !cls->NewExtension)
                throw fw::EReadError(msg::InvalidClassType);
            TAggregatedPersistentEx* extension = FindExtension(cls);
            const bool made = extension == nullptr;
            // An extension of another kind of owner (a consumer's named in an
            // item's stream) is refused before it acts on this one.
            if (made) try {
                    extension = cls->NewExtension(this);
                } catch (const fw::EInvalidCast&) {
                    throw fw::EReadError(msg::InvalidClassType);
                }
            try {
                extension->ReadProperties(Reader);
                Reader.ReadListEnd();
            } catch (...) {
                // A half-read extension made here does not stay behind.
                if (made) RemoveIntfImpl(extension);
                throw;
            }
        }
        Reader.ReadListEnd();
    } catch (...) {
        DropHeldReference();
        throw;
    }
    DropHeldReference();
}

// --- TAggregatedPersistent -------------------------------------------------------------

const TVxClass TAggregatedPersistent::Class{L"TAggregatedPersistent", nullptr, nullptr, nullptr, nullptr};

TAggregatedPersistent::TAggregatedPersistent(IUnknown* Controller) : controller_(Controller) {
    ++liveCount_;
}

TAggregatedPersistent::~TAggregatedPersistent() {
    --liveCount_;
}

HRESULT TAggregatedPersistent::IntfQueryInterface(REFIID Iid, void** Obj) {
    if (controller_) return controller_->QueryInterface(Iid, Obj);
    if (!Obj) return E_POINTER;
    *Obj = nullptr;
    return GetInterface(Iid, Obj) ? S_OK : E_NOINTERFACE;
}

LONG TAggregatedPersistent::IntfAddRef() {
    return controller_ ? LONG(controller_->AddRef()) : -1;
}

LONG TAggregatedPersistent::IntfRelease() {
    return controller_ ? LONG(controller_->Release()) : -1;
}

bool TAggregatedPersistent::GetInterface(REFIID, void**) {
    return false;
}

// --- TAggregatedPersistentEx -----------------------------------------------------------

const TVxClass TAggregatedPersistentEx::Class{L"TAggregatedPersistentEx", &TAggregatedPersistent::Class, nullptr,
                                              nullptr, nullptr};

TAggregatedPersistentEx::TAggregatedPersistentEx(TExtensibleInterfacedPersistent* Owner)
    : TAggregatedPersistent(Owner ? Owner->Unknown() : nullptr), owner_(Owner) {}

TAggregatedPersistentEx::~TAggregatedPersistentEx() {
    if (owner_) owner_->DetachIntfImpl(this);
}

void TAggregatedPersistentEx::AfterConstruction() {
    if (!owner_) return;
    try {
        owner_->AddIntfImpl(this);
    } catch (...) {
        owner_ = nullptr;  // never attached: nothing to leave
        throw;
    }
}

}  // namespace vx
