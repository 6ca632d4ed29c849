#include "shell/WorkItem.h"

#include "framework/Thread.h"

namespace shell {

void TBasicWorkItem::SetOnCompleted(fw::TNotifyEvent Event) {
    onCompleted_ = std::move(Event);
    if (onCompleted_) completionMethod_ = [this] { DoOnCompleted(); };
    else completionMethod_ = nullptr;
}

void TBasicWorkItem::DoOnCompleted() {
    // An aborted item's receiver may be gone: nothing is delivered.
    if (WaitWhilePaused()) return;
    if (onCompleted_) onCompleted_(this);
}

bool TBasicWorkItem::WaitWhilePaused() {
    if (fw::IsMainThread()) return aborted_;
    while (paused_ && !aborted_) Sleep(100);
    return aborted_;
}

}  // namespace shell
