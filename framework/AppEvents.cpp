#include "framework/AppEvents.h"

#include <algorithm>
#include <vector>

namespace fw {

namespace {

// The instances alive, in creation order (UI thread only).
std::vector<TApplicationEvents*>& Listeners() {
    static std::vector<TApplicationEvents*> listeners;
    return listeners;
}

}  // namespace

TApplicationEvents::TApplicationEvents(TComponent* AOwner) : TComponent(AOwner) {
    Listeners().push_back(this);
}

TApplicationEvents::~TApplicationEvents() {
    auto& list = Listeners();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TApplicationEvents::DoShowHint(std::wstring& HintStr, bool& CanShow, THintInfo& HintInfo) {
    // A copy: a handler may free an instance.
    const std::vector<TApplicationEvents*> list = Listeners();
    for (TApplicationEvents* events : list) {
        const auto& all = Listeners();
        if (std::find(all.begin(), all.end(), events) == all.end()) continue;
        if (events->OnShowHint) events->OnShowHint(HintStr, CanShow, HintInfo);
    }
}

}  // namespace fw
