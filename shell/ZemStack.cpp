#include "shell/ZemStack.h"

#include "framework/Exception.h"

namespace shell {

namespace {

[[noreturn]] void EmptyStackError() {
    throw fw::EListError(L"The stack is empty");
}

}  // namespace

std::wstring TZemStack::Pop() {
    if (items_.empty()) EmptyStackError();
    std::wstring item = std::move(items_.back());
    items_.pop_back();
    return item;
}

const std::wstring& TZemStack::Peek() const {
    if (items_.empty()) EmptyStackError();
    return items_.back();
}

}  // namespace shell
