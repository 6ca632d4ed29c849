#include "shell/ZemPathList.h"

#include "shell/PathUtils.h"
#include "shell/SpecialFolders.h"

namespace shell {

void TZemPathList::Setup() {
    SetSorted(true);
    SetDuplicates(fw::dupIgnore);
    SetCaseSensitive(false);
    SetDelimiter(L';');
    SetStrictDelimiter(true);
}

TZemPathList::TZemPathList() {
    Setup();
}

TZemPathList::TZemPathList(const fw::TStrings* Strings) {
    Setup();
    if (Strings)
        for (int i = 0; i < Strings->Count(); ++i) Add(Strings->Strings(i));
}

TZemPathList::TZemPathList(const std::wstring& Text) {
    Setup();
    SetDelimitedText(Text);
}

TZemPathList::~TZemPathList() {
    OnPathAdded = nullptr;
    OnPathRemoved = nullptr;
}

std::wstring TZemPathList::NormalizePath(const std::wstring& Path) {
    if (IsDriveRoot(Path)) return (!Path.empty() && Path.back() == L'\\') ? Path : Path + L'\\';
    if (!Path.empty() && Path.back() == L'\\') return Path.substr(0, Path.size() - 1);
    return Path;
}

bool TZemPathList::AcceptPath(const std::wstring& Path) {
    return !checkExistence_ || PathExists(Path);
}

int TZemPathList::Add(const std::wstring& S) {
    return AddObject(S, nullptr);
}

int TZemPathList::AddObject(const std::wstring& S, fw::TObject* AObject) {
    const std::wstring path = NormalizePath(S);
    if (!AcceptPath(path)) return -1;
    const int before = Count();
    const int index = fw::TStringList::AddObject(path, AObject);
    if (!hasNetworkPath_ && IsNetworkPath(path)) hasNetworkPath_ = true;
    // An equal entry already there: nothing was inserted, so nothing is announced.
    if (index >= 0 && Count() > before && OnPathAdded) OnPathAdded(path, index);
    return index;
}

void TZemPathList::Put(int Index, const std::wstring& S) {
    BeginUpdate();
    try {
        Delete(Index);
        Add(S);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TZemPathList::Delete(int Index) {
    const std::wstring old = Strings(Index);
    if (OnPathRemoved) OnPathRemoved(old, Index);
    fw::TStringList::Delete(Index);
}

void TZemPathList::InsertObject(int Index, const std::wstring& S, fw::TObject* AObject) {
    fw::TStringList::InsertObject(Index, S, AObject);
    if (OnPathAdded) OnPathAdded(S, Index);
}

void TZemPathList::Changed() {
    fw::TStringList::Changed();
    cache_.reset();
}

}  // namespace shell
