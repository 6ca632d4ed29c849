#pragma once
// TApplicationEvents: a component through which a form hears application-wide
// events. Every instance alive is asked, in creation order; an instance is
// created with an owner (the form) and stops listening when it is freed.
#include <functional>
#include <string>

#include "framework/Classes.h"
#include "framework/Controls.h"

namespace fw {

// Before a hint appears: the handler may change its text and its information
// (position, the cursor rectangle within which it stays) or refuse it.
using TShowHintEvent = std::function<void(std::wstring& HintStr, bool& CanShow, THintInfo& HintInfo)>;

class TApplicationEvents : public TComponent {
public:
    explicit TApplicationEvents(TComponent* AOwner);
    ~TApplicationEvents() override;

    TShowHintEvent OnShowHint;

    // Asks OnShowHint of every instance (what the application's hint handling calls).
    static void DoShowHint(std::wstring& HintStr, bool& CanShow, THintInfo& HintInfo);

protected:
    std::wstring ClassName() const override { return L"TApplicationEvents"; }
};

}  // namespace fw
