#pragma once
// Work items of the worker pool. An item is shared (reference-counted) by whoever
// holds it: the pool's queue, then the worker running it; it dies with the last
// reference. Execute runs on a worker thread; the completion method, when the
// item has one, runs afterwards on the main thread and delivers the result, unless
// the item has been aborted in the meantime (its owner has gone or cancelled it).
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <typeinfo>

#include "framework/Classes.h"

namespace shell {

class IWorkItem {
public:
    virtual ~IWorkItem() = default;
    // The method to run on the main thread after Execute; may be empty.
    virtual std::function<void()> GetCompletionMethod() = 0;
    virtual void* GetOwner() = 0;
    virtual intptr_t GetTag() = 0;
    virtual void Execute() = 0;
    virtual void Abort() = 0;
    virtual void SetPaused(bool Value) = 0;
    // The implementing object's class.
    virtual const std::type_info& GetClass() const = 0;
};
using IWorkItemPtr = std::shared_ptr<IWorkItem>;

// A class of work items, as the filters of cancelling use it: Includes is true
// for items of the class and of its descendants, IsExactly only for the class.
class TWorkItemClass {
public:
    template <class T>
    static const TWorkItemClass* Of() {
        static const TWorkItemClass cls(typeid(T),
                                        [](const IWorkItem& Item) { return dynamic_cast<const T*>(&Item) != nullptr; });
        return &cls;
    }
    bool Includes(const IWorkItem& Item) const { return test_(Item); }
    bool IsExactly(const IWorkItem& Item) const { return Item.GetClass() == type_; }

private:
    TWorkItemClass(const std::type_info& Type, bool (*Test)(const IWorkItem&)) : type_(Type), test_(Test) {}
    const std::type_info& type_;
    bool (*test_)(const IWorkItem&);
};

// The usual base of work items. Descendants that deliver to a viewer set the
// completion method to their own DoCompleted in their constructor; others deliver
// through OnCompleted.
class TBasicWorkItem : public fw::TObject, public IWorkItem {
public:
    TBasicWorkItem() = default;

    std::function<void()> GetCompletionMethod() override { return completionMethod_; }
    void* GetOwner() override { return owner_; }
    intptr_t GetTag() override { return tag_; }
    void Abort() override { aborted_ = true; }
    void SetPaused(bool Value) override { paused_ = Value; }
    const std::type_info& GetClass() const override { return typeid(*this); }

    bool Aborted() const { return aborted_; }
    bool Paused() const { return paused_; }
    void* Owner() const { return owner_; }
    intptr_t Tag() const { return tag_; }

    // Raised on the main thread with the item as Sender once Execute is done,
    // unless the item was aborted. Assigning it makes it the completion method.
    const fw::TNotifyEvent& OnCompleted() const { return onCompleted_; }
    void SetOnCompleted(fw::TNotifyEvent Event);

protected:
    // While paused and not aborted, sleeps in 100 ms steps (never on the main
    // thread, where it only answers); returns Aborted.
    bool WaitWhilePaused();
    void SetCompletionMethod(std::function<void()> Method) { completionMethod_ = std::move(Method); }
    void SetOwner(void* Value) { owner_ = Value; }
    void SetTag(intptr_t Value) { tag_ = Value; }

private:
    void DoOnCompleted();

    std::atomic<bool> paused_{false};
    std::atomic<bool> aborted_{false};
    std::function<void()> completionMethod_;
    fw::TNotifyEvent onCompleted_;
    void* owner_ = nullptr;
    intptr_t tag_ = 0;
};

}  // namespace shell
