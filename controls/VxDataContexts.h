#pragma once
// Data contexts: named views of a provider's data, kept in context lists. A
// list belongs to a provider and may belong to an ancestor context, whose
// children it then holds, so contexts form a tree. Lists hold their contexts
// by reference; a context knows its list and the list of its children without
// one. A context found by a path ("a/b") is b among a's children.
// Made with New<T>(...); lists and contexts live by their references.
#include <string>
#include <vector>

#include "controls/VxDataProvider.h"

namespace vx {

class TVxBaseDataContext;

class TVxBaseDataContexts : public TExtensibleInterfacedPersistent, public IVxDataContexts {
    VX_CLASS(TVxBaseDataContexts)
    VX_IUNKNOWN
public:
    // ManagerClass (an extension class, may be null) is made with the list as owner.
    TVxBaseDataContexts(IVxDataProvider* Provider, IVxDataContext* Ancestor, const TVxClass* ManagerClass = nullptr);

    Ptr<IVxDataProvider> STDMETHODCALLTYPE GetProvider() override { return provider_; }
    Ptr<IVxDataContext> STDMETHODCALLTYPE GetAncestor() override { return ancestor_; }
    Ptr<IVxDataContext> STDMETHODCALLTYPE GetContextByName(const TVxDataContextID& Name) override;
    int STDMETHODCALLTYPE IndexOf(IVxDataContext* Context) override;
    bool GetInterface(REFIID Iid, void** Obj) override;
    void AfterConstruction() override;

    virtual void DoAddContext(IVxDataContext* Context) = 0;
    virtual void DoDeleteContext(int Index) = 0;
    virtual void DoRemoveContext(IVxDataContext* Context);
    virtual void DoClearContexts() = 0;

protected:
    void BeforeDestruction() override;

private:
    Ptr<IVxDataProvider> provider_;
    Ptr<IVxDataContext> ancestor_;
    const TVxClass* managerClass_;
};

class TVxDataContexts : public TVxBaseDataContexts {
    VX_CLASS(TVxDataContexts)
public:
    using TVxBaseDataContexts::TVxBaseDataContexts;
    int STDMETHODCALLTYPE GetCount() override { return int(contexts_.size()); }
    Ptr<IVxDataContext> STDMETHODCALLTYPE GetContext(int Index) override;
    // EVXLDataContexts "A context with that name already exists" for another
    // context of the same name; the same context again changes nothing.
    void DoAddContext(IVxDataContext* Context) override;
    // A context that is not deletable stays, and nothing is sent.
    void DoDeleteContext(int Index) override;
    void DoClearContexts() override;

protected:
    void BeforeDestruction() override;

private:
    // A context leaving the list: the provider's items drop what they keep for
    // it, and it forgets the list (it may outlive it).
    void LetGo(const Ptr<IVxDataContext>& Context);

    std::vector<Ptr<IVxDataContext>> contexts_;
};

class TVxBaseDataContext : public TExtensibleInterfacedPersistent, public IVxDataContext {
    VX_CLASS(TVxBaseDataContext)
    VX_IUNKNOWN
public:
    // EVXLDataContexts "Cannot create a context without a context list owner" without Contexts.
    TVxBaseDataContext(TVxBaseDataContexts* Contexts, const TVxDataContextID& Name);
    void AfterConstruction() override;

    fw::TObject* STDMETHODCALLTYPE GetImplementer() override { return this; }
    Ptr<IVxDataContexts> STDMETHODCALLTYPE Contexts() override;
    bool STDMETHODCALLTYPE IsDeletable() override { return true; }
    bool IsFixed() { return !IsDeletable(); }
    // EVXLDataContexts "A context with that name already exists" when another context
    // has it; "Context name ... holds a path separator" for a name with "/" or "\"
    // or "..", which no path could find.
    virtual void SetName(const TVxDataContextID& Value);
    bool GetInterface(REFIID Iid, void** Obj) override;
    // The list that holds this context's children, or nullptr.
    TVxBaseDataContexts* ChildContexts() const { return children_; }

protected:
    friend class TVxBaseDataContexts;
    friend class TVxDataContexts;
    virtual void DoSetName(const TVxDataContextID& Value) = 0;
    // The provider's items drop what they keep for this context.
    void BeforeDestruction() override;

private:
    TVxBaseDataContexts* contexts_;
    TVxBaseDataContexts* children_ = nullptr;
    TVxDataContextID initialName_;
};

class TVxDataContext : public TVxBaseDataContext {
    VX_CLASS(TVxDataContext)
public:
    using TVxBaseDataContext::TVxBaseDataContext;
    TVxDataContextID STDMETHODCALLTYPE Name() override { return name_; }

protected:
    void DoSetName(const TVxDataContextID& Value) override { name_ = Value; }

private:
    TVxDataContextID name_;
};

class TVxManagedDataContext : public TVxDataContext, public IVxDataContextManaged {
    VX_CLASS(TVxManagedDataContext)
    VX_IUNKNOWN
public:
    using TVxDataContext::TVxDataContext;
    void STDMETHODCALLTYPE SetName(const TVxDataContextID& Value) override { TVxDataContext::SetName(Value); }
    bool GetInterface(REFIID Iid, void** Obj) override;
};

class TVxFixedDataContext : public TVxDataContext {
    VX_CLASS(TVxFixedDataContext)
public:
    using TVxDataContext::TVxDataContext;
    bool STDMETHODCALLTYPE IsDeletable() override { return false; }
};

}  // namespace vx
