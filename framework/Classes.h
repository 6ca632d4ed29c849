#pragma once
// The object model every component stands on.
// A TComponent is created with an owner (or none) and is owned by it: the owner
// deletes its components when it is destroyed, and a component deleted first is
// taken out of its owner's list. Free notification tells every component that
// asked about a component's destruction, so no one keeps a dangling pointer.
// Components live on the heap (new), and are freed by their owner or by delete.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fw {

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TFiler;
class TReader;
class TWriter;

class TPersistent : public TObject {
public:
    // Copies Source's state into this object; raises EConvertError when neither
    // side knows how to assign the other.
    virtual void Assign(TPersistent* Source);
    // Names the stored (published) properties to a writer or reader (Filer.h);
    // overrides call the base first.
    virtual void DefineProperties(TFiler&) {}

protected:
    // Streams write and check class names.
    friend class TReader;
    friend class TWriter;
    // The other direction of Assign: Source is this object, Dest the target.
    virtual void AssignTo(TPersistent* Dest);
    virtual std::wstring ClassName() const { return L"TPersistent"; }
};

enum class TOperation {
    opInsert,
    opRemove
};

// Component state flags (a set, as bits).
enum TComponentStateFlag : unsigned {
    csLoading = 1u << 0,
    csReading = 1u << 1,
    csDestroying = 1u << 3,
    csDesigning = 1u << 4,
};
using TComponentState = unsigned;

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return int(components_.size()); }
    TComponent* Components(int Index) const;
    // The owned component of that name (case-insensitive), or nullptr.
    TComponent* FindComponent(const std::wstring& AName) const;
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);

    const std::wstring& Name() const { return name_; }
    // Raises EComponentError when the name is no identifier ("'x y' is not a valid
    // component name") or another component of the owner has it.
    virtual void SetName(const std::wstring& NewName);
    intptr_t Tag() const { return tag_; }
    void SetTag(intptr_t Value) { tag_ = Value; }

    TComponentState ComponentState() const { return state_; }
    bool HasState(TComponentStateFlag Flag) const { return (state_ & Flag) != 0; }

    // Asks to be told (through Notification) when AComponent is destroyed.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Loading brackets the setting of designed properties; Loaded runs at its end.
    void BeginLoading();
    void EndLoading();
    // The Loaded step of a component made and set up in code: Loaded runs for
    // every component it owns (theirs first) and then for itself. Whoever creates
    // and sets up a component calls it once the set-up is done; a form does it
    // for everything on it when its creator ends the construction.
    void EndSetUp();
    // Marks this component and everything it owns as being designed.
    void SetDesigning(bool Value);
    // Sets csDestroying on this component and everything it owns.
    void Destroying();

    // "Tag" when not 0.
    void DefineProperties(TFiler& Filer) override;
    // The component's own part of a stream: its properties (Filer.h).
    virtual void ReadState(TReader& Reader);
    virtual void WriteState(TWriter& Writer);

protected:
    // Called when AComponent is inserted into or removed from this owner, and for
    // the destruction of a component this one asked to be told about. The base
    // passes the call on to every owned component; overrides call it first.
    // The insertion notice comes from TComponent's constructor, when AComponent is
    // not yet more than a TComponent.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    virtual void Loaded();
    std::wstring ClassName() const override { return L"TComponent"; }
    void SetState(TComponentStateFlag Flag, bool On);
    // Tells free-notification partners and frees every owned component. Runs in
    // ~TComponent; a class whose components need it whole calls it first in its
    // own destructor (a window frees its child windows before its own handle).
    void DestroyComponents();

private:
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void AddFreeNotifier(TComponent* AComponent);
    void RemoveNotification(TComponent* AComponent);

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    std::wstring name_;
    intptr_t tag_ = 0;
    TComponentState state_ = 0;
};

}  // namespace fw
