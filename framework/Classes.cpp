#include "framework/Classes.h"

#include <algorithm>
#include <cwctype>

#include "framework/Exception.h"
#include "framework/Filer.h"

namespace fw {

namespace {

bool SameNameNoCase(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towupper(x) == std::towupper(y);
           });
}

// A letter or "_" first, then letters, digits and "_" (ASCII), as identifiers are.
bool IsValidIdent(const std::wstring& s) {
    auto alpha = [](wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_'; };
    if (s.empty() || !alpha(s[0])) return false;
    return std::all_of(s.begin() + 1, s.end(), [&](wchar_t c) { return alpha(c) || (c >= L'0' && c <= L'9'); });
}

void Erase(std::vector<TComponent*>& list, TComponent* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

void TPersistent::Assign(TPersistent* Source) {
    if (!Source) throw EConvertError(L"Cannot assign a nil to a " + ClassName());
    Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) {
    throw EConvertError(L"Cannot assign a " + ClassName() + L" to a " + Dest->ClassName());
}

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
    Destroying();
    // Everyone who asked is told before this object is gone; each answer may
    // remove itself from the list, so walk from the end and re-check the size.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        other->RemoveNotification(this);
        other->Notification(this, TOperation::opRemove);
    }
    // Owned components go first, last-created first.
    while (!components_.empty()) {
        TComponent* child = components_.back();
        RemoveComponent(child);
        delete child;
    }
}

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= ComponentCount())
        throw EListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
    return components_[size_t(Index)];
}

TComponent* TComponent::FindComponent(const std::wstring& AName) const {
    if (AName.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameNameNoCase(c->name_, AName)) return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->owner_ == this) return;
    if (!AComponent->name_.empty() && FindComponent(AComponent->name_))
        throw EComponentError(L"A component named " + AComponent->name_ + L" already exists");
    if (AComponent->owner_) AComponent->owner_->RemoveComponent(AComponent);
    Insert(AComponent);
    if (HasState(csDesigning)) AComponent->SetDesigning(true);
    Notification(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->owner_ != this) return;
    Notification(AComponent, TOperation::opRemove);
    Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
    components_.push_back(AComponent);
    AComponent->owner_ = this;
}

void TComponent::Remove(TComponent* AComponent) {
    Erase(components_, AComponent);
    AComponent->owner_ = nullptr;
}

void TComponent::SetName(const std::wstring& NewName) {
    if (NewName == name_) return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError(L"'" + NewName + L"' is not a valid component name");
    if (owner_ && !NewName.empty()) {
        TComponent* other = owner_->FindComponent(NewName);
        if (other && other != this) throw EComponentError(L"A component named " + NewName + L" already exists");
    }
    name_ = NewName;
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    // Both sides keep the other, so whichever goes first tells the survivor.
    AddFreeNotifier(AComponent);
    AComponent->AddFreeNotifier(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    RemoveNotification(AComponent);
    AComponent->RemoveNotification(this);
}

void TComponent::AddFreeNotifier(TComponent* AComponent) {
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) == freeNotifies_.end())
        freeNotifies_.push_back(AComponent);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
    Erase(freeNotifies_, AComponent);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    // Owned components hear what their owner hears, so siblings learn of each other.
    // By index from the end: a listener may take itself out of the list meanwhile.
    for (size_t i = components_.size(); i-- > 0;)
        if (i < components_.size()) components_[i]->Notification(AComponent, Operation);
}

void TComponent::Loaded() {
    SetState(csLoading, false);
}

void TComponent::BeginLoading() {
    SetState(csLoading, true);
    for (TComponent* c : components_) c->BeginLoading();
}

void TComponent::EndLoading() {
    // Owned components finish first, so the owner's Loaded sees them ready.
    for (TComponent* c : components_) c->EndLoading();
    if (HasState(csLoading)) Loaded();
}

void TComponent::DefineProperties(TFiler& Filer) {
    TPersistent::DefineProperties(Filer);
    DefineInteger(
        Filer, L"Tag", int32_t(tag_), [this](int32_t Value) { tag_ = Value; }, tag_ != 0);
}

void TComponent::ReadState(TReader& Reader) {
    SetState(csReading, true);
    try {
        Reader.ReadProperties(this);
    } catch (...) {
        SetState(csReading, false);
        throw;
    }
    SetState(csReading, false);
}

void TComponent::WriteState(TWriter& Writer) {
    Writer.WriteProperties(this);
}

void TComponent::EndSetUp() {
    // A Loaded step may make components of its own: those are set up already.
    const std::vector<TComponent*> owned = components_;
    for (TComponent* c : owned)
        if (std::find(components_.begin(), components_.end(), c) != components_.end()) c->EndSetUp();
    Loaded();
}

void TComponent::SetDesigning(bool Value) {
    SetState(csDesigning, Value);
    for (TComponent* c : components_) c->SetDesigning(Value);
}

void TComponent::Destroying() {
    if (HasState(csDestroying)) return;
    SetState(csDestroying, true);
    for (TComponent* c : components_) c->Destroying();
}

void TComponent::SetState(TComponentStateFlag Flag, bool On) {
    state_ = On ? (state_ | Flag) : (state_ & ~unsigned(Flag));
}

}  // namespace fw
