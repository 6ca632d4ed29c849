#pragma once
// The shell operations a control reports to its owner (the tree's and the file
// list's OnOperation): what happened, to which files, and where to.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

namespace fw {
class TObject;
class TStringList;
}  // namespace fw

namespace shell {

enum TZemShellOperation : uint8_t {
    sopCopy,
    sopMove,
    sopDrag,
    sopDrop,
    sopCut,
    sopPaste,
    sopDelete,
    sopRemove,
    sopAdd,
    sopRename
};

// A set of operations, one bit per member.
class TZemShellOperations {
public:
    constexpr TZemShellOperations() = default;
    constexpr TZemShellOperations(std::initializer_list<TZemShellOperation> Members) {
        for (TZemShellOperation m : Members) bits_ = uint16_t(bits_ | (1u << m));
    }
    constexpr bool Contains(TZemShellOperation Member) const { return (bits_ & (1u << Member)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr uint16_t Bits() const { return bits_; }
    constexpr TZemShellOperations& operator+=(TZemShellOperation Member) {
        bits_ = uint16_t(bits_ | (1u << Member));
        return *this;
    }
    friend constexpr bool operator==(TZemShellOperations A, TZemShellOperations B) { return A.bits_ == B.bits_; }

private:
    uint16_t bits_ = 0;
};

// Files: the objects concerned (never empty when called); Destination: where
// they went, empty when nowhere.
using TOnOperation = std::function<void(fw::TObject* Sender, TZemShellOperations Operation, fw::TStringList* Files,
                                        const std::wstring& Destination)>;

}  // namespace shell
