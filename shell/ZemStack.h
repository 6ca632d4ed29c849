#pragma once
// A last-in, first-out stack of paths. The selection list owns one and walks deep
// folder trees over it instead of recursing, so a tree of any depth costs heap
// memory, never the thread's own stack. Pop and Peek on an empty stack raise
// fw::EListError.
#include <string>
#include <vector>

namespace shell {

class TZemStack {
public:
    void Push(std::wstring Item) { items_.push_back(std::move(Item)); }
    // Takes the item pushed last.
    std::wstring Pop();
    // The item pushed last, left on the stack.
    const std::wstring& Peek() const;
    int Count() const { return int(items_.size()); }
    void Clear() { items_.clear(); }

private:
    std::vector<std::wstring> items_;
};

}  // namespace shell
