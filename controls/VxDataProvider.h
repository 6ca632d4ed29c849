#pragma once
// The base of the data-provider framework: class references with a registry,
// the framework's exceptions and messages, reference-counted objects that take
// extensions (small aggregated objects that add interfaces to their owner at run
// time), and the streaming of those extensions.
// Objects are made with New<T>(...), which runs the construction epilogue.
// A TExtensibleInterfacedPersistent lives by its reference count: the last
// Release frees it; one that was never referenced is freed with Free(). An
// extension belongs to its owner, which frees it; its interfaces count on the
// owner's behalf.
#include <unknwn.h>

#include <atomic>
#include <string>
#include <vector>

#include "controls/VxDataProviderIntf.h"
#include "framework/Classes.h"
#include "framework/Exception.h"
#include "framework/Filer.h"

namespace vx {

class TExtensibleInterfacedPersistent;
class TAggregatedPersistentEx;
class TVxBaseDataItem;
class TVxBaseDataItems;

// A class reference: the class's name, its parent, and how to make one of the
// kinds the streams re-create (a null factory marks a class that cannot be made so).
struct TVxClass {
    const wchar_t* Name;
    const TVxClass* Parent;
    TAggregatedPersistentEx* (*NewExtension)(TExtensibleInterfacedPersistent* Owner);
    TVxBaseDataItem* (*NewItem)(IVxDataItems* Owner);
    TVxBaseDataItems* (*NewItems)(IVxDataItem* Parent);

    // Whether this class is Other or descends from it.
    bool InheritsFrom(const TVxClass* Other) const;
};

// The class registry, looked up by name without regard to case.
void RegisterVxClass(const TVxClass* Class);
void UnregisterVxClass(const TVxClass* Class);
const TVxClass* GetVxClass(const std::wstring& Name);
// As GetVxClass, raising EClassNotFound "Class %s not found" for an unknown name.
const TVxClass* FindVxClass(const std::wstring& Name);
// Registers the framework's streamable classes; part of the library's start-up.
void RegisterDataProviderClasses();

class EVXLException : public fw::Exception {
public:
    using fw::Exception::Exception;
};
#define VX_EXCEPTION(Name, Base) \
    class Name : public Base {   \
    public:                      \
        using Base::Base;        \
    };
VX_EXCEPTION(EVXLDataProvider, EVXLException)
VX_EXCEPTION(EVXLDataConsumer, EVXLDataProvider)
VX_EXCEPTION(EVXLDataItems, EVXLDataProvider)
VX_EXCEPTION(EVXLDataContexts, EVXLDataProvider)
#undef VX_EXCEPTION
class EClassNotFound : public fw::EReadError {
public:
    using EReadError::EReadError;
};

namespace msg {
inline constexpr wchar_t ImplementationExists[] = L"Implementation of that class already exists";
inline constexpr wchar_t ExpectedCollection[] = L"Expected collection";
inline constexpr wchar_t MissingClassName[] = L"Missing ClassName property";
inline constexpr wchar_t InvalidClassType[] = L"Invalid class type";
inline constexpr wchar_t NoItemText[] = L"(item does not support the IVxDataItemText interface)";
inline constexpr wchar_t ItemNotDeletable[] = L"Item cannot be deleted";
inline constexpr wchar_t ListIndexOutOfBounds[] = L"List index out of bounds (%d)";
inline constexpr wchar_t Unknown[] = L"Unknown";
inline constexpr wchar_t ContextNameExists[] = L"A context with that name already exists";
inline constexpr wchar_t ContextWithoutOwner[] = L"Cannot create a context without a context list owner";
inline constexpr wchar_t NoProviderForContext[] = L"You must specify a provider before setting the context";
inline constexpr wchar_t NoSuchContext[] = L"Provider has no context named \"%s\"";
inline constexpr wchar_t NoContexts[] = L"Provider does not support contexts";
inline constexpr wchar_t ContextOfOtherProvider[] = L"The specified context is not part of the same provider";
inline constexpr wchar_t NoProviderForItem[] = L"You must specify a provider before setting the item";
inline constexpr wchar_t ItemNotInContext[] = L"Item not found in the selected context";
inline constexpr wchar_t ViewListOutOfSync[] = L"ViewList out of sync";
inline constexpr wchar_t UnsafeItemID[] = L"Item ID \"%s\" holds a path separator or \"..\"";
inline constexpr wchar_t ItemInOtherList[] = L"The item already belongs to a list";
inline constexpr wchar_t UnsafeContextName[] = L"Context name \"%s\" holds a path separator or \"..\"";
}  // namespace msg

// Every class answering COM-style interfaces routes IUnknown through these
// three virtual operations of its root, declared once per class that adds an
// interface base.
#define VX_IUNKNOWN                                                             \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Obj) override { \
        return IntfQueryInterface(Iid, Obj);                                    \
    }                                                                           \
    ULONG STDMETHODCALLTYPE AddRef() override {                                 \
        return ULONG(IntfAddRef());                                             \
    }                                                                           \
    ULONG STDMETHODCALLTYPE Release() override {                                \
        return ULONG(IntfRelease());                                            \
    }

#define VX_CLASS(Name)                                 \
public:                                                \
    static const ::vx::TVxClass Class;                 \
    const ::vx::TVxClass* ClassType() const override { \
        return &Class;                                 \
    }

// Answers one interface of this object when Iid names it.
template <class I, class T>
bool AnswerInterface(T* Self, REFIID Iid, void** Obj) {
    if (!IsEqualIID(Iid, __uuidof(I))) return false;
    I* intf = static_cast<I*>(Self);
    intf->AddRef();
    *Obj = intf;
    return true;
}

// The persistent part common to both roots: class reference and properties.
class TVxPersistent : public fw::TPersistent {
public:
    virtual const TVxClass* ClassType() const = 0;
    std::wstring ClassName() const override { return ClassType()->Name; }
    bool InheritsFrom(const TVxClass* Class) const { return ClassType()->InheritsFrom(Class); }
    // Writes the object's stored properties (those its DefineProperties names
    // with data), each as a name and a value.
    void WriteProperties(fw::TWriter& Writer) { Writer.WriteProperties(this); }
    // Reads properties until the end of the list (EReadError for an unknown name).
    void ReadProperties(fw::TReader& Reader) { Reader.ReadProperties(this); }
};

// Makes an object and runs its construction epilogue; an object whose epilogue
// fails is destroyed again and the failure passed on.
template <class T, class... A>
T* New(A&&... Args) {
    T* object = new T(std::forward<A>(Args)...);
    try {
        object->AfterConstruction();
    } catch (...) {
        object->AbortConstruction();
        throw;
    }
    return object;
}

class TExtensibleInterfacedPersistent : public TVxPersistent, public IUnknown {
    VX_CLASS(TExtensibleInterfacedPersistent)
    VX_IUNKNOWN
public:
    TExtensibleInterfacedPersistent();
    ~TExtensibleInterfacedPersistent() override;

    virtual LONG IntfAddRef();
    virtual LONG IntfRelease();
    virtual HRESULT IntfQueryInterface(REFIID Iid, void** Obj);
    // The object's own interfaces first, then its extensions' (last attached first).
    virtual bool GetInterface(REFIID Iid, void** Obj);
    virtual bool IsStreamableExtension(TAggregatedPersistentEx* Extension);

    // EVXLException "Implementation of that class already exists" when an attached
    // extension is of Extension's class or descends from it.
    void AddIntfImpl(TAggregatedPersistentEx* Extension);
    // Detaches and frees Extension when attached.
    void RemoveIntfImpl(TAggregatedPersistentEx* Extension);
    // Last entry first: the index of an extension of Class (or a descendant), -1 if none.
    int IndexOfImplClass(const TVxClass* Class) const;
    void ClearIntfImpl();
    int ExtensionCount() const { return int(extensions_.size()); }
    TAggregatedPersistentEx* Extension(int Index) const { return extensions_[size_t(Index)]; }
    // The extension of Class (or a descendant), or nullptr.
    TAggregatedPersistentEx* FindExtension(const TVxClass* Class) const;

    IUnknown* Unknown() { return static_cast<IUnknown*>(this); }
    LONG RefCount() const { return refCount_; }
    // Frees an object that no interface references; EInvalidPointer "Invalid
    // pointer operation" while one does.
    void Free();
    // How many such objects exist in the process (for leak checks).
    static int LiveCount() { return liveCount_; }

    virtual void AfterConstruction();
    void AbortConstruction();
    // Raises or lowers the count without freeing (guards interface use meanwhile).
    LONG HoldReference() { return ++refCount_; }
    LONG DropHeldReference() { return --refCount_; }

    // "Extensions", when a streamable extension is attached.
    void DefineProperties(fw::TFiler& Filer) override;

protected:
    friend class TAggregatedPersistentEx;
    virtual void InitImplementers() {}
    // Runs while the whole object still exists, just before it is deleted;
    // overrides call the base last (it frees the extensions).
    virtual void BeforeDestruction();
    // Takes Extension out of the list without freeing it.
    void DetachIntfImpl(TAggregatedPersistentEx* Extension);
    void WriteExtensions(fw::TWriter& Writer);
    void ReadExtensions(fw::TReader& Reader);
    // Runs BeforeDestruction and deletes the object (once).
    void Destroy();

private:
    std::vector<TAggregatedPersistentEx*> extensions_;
    std::atomic<LONG> refCount_{1};
    bool destroying_ = false;
    static inline std::atomic<int> liveCount_{0};
};

class TAggregatedPersistent : public TVxPersistent, public IUnknown {
    VX_CLASS(TAggregatedPersistent)
    VX_IUNKNOWN
public:
    // Controller is held without a reference.
    explicit TAggregatedPersistent(IUnknown* Controller);
    ~TAggregatedPersistent() override;

    virtual HRESULT IntfQueryInterface(REFIID Iid, void** Obj);
    virtual LONG IntfAddRef();
    virtual LONG IntfRelease();
    // The object's own interfaces only.
    virtual bool GetInterface(REFIID Iid, void** Obj);
    IUnknown* Controller() const { return controller_; }

    virtual void AfterConstruction() {}
    void AbortConstruction() { delete this; }
    static int LiveCount() { return liveCount_; }

private:
    IUnknown* controller_;
    static inline std::atomic<int> liveCount_{0};
};

class TAggregatedPersistentEx : public TAggregatedPersistent {
    VX_CLASS(TAggregatedPersistentEx)
public:
    explicit TAggregatedPersistentEx(TExtensibleInterfacedPersistent* Owner);
    // Leaves the owner's list (freeing nothing else).
    ~TAggregatedPersistentEx() override;

    TExtensibleInterfacedPersistent* Owner() const { return owner_; }
    virtual bool IsHidden() { return false; }
    // Attaches itself to the owner.
    void AfterConstruction() override;

private:
    TExtensibleInterfacedPersistent* owner_;
};

// Owner when it is of the kind T that an extension family extends (or none);
// EInvalidCast for any other, before any part of the extension acts on it.
template <class T>
TExtensibleInterfacedPersistent* OwnerOfKind(TExtensibleInterfacedPersistent* Owner) {
    if (Owner && !dynamic_cast<T*>(Owner)) throw fw::EInvalidCast(L"Invalid class typecast");
    return Owner;
}

template <class T>
TAggregatedPersistentEx* NewExtensionOf(TExtensibleInterfacedPersistent* Owner) {
    return New<T>(Owner);
}

// A reference to an object's implementer as the class it is, or nullptr.
template <class T>
T* ImplementerAs(fw::TObject* Object) {
    return dynamic_cast<T*>(Object);
}

}  // namespace vx
