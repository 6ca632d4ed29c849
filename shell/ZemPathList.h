#pragma once
// A sorted, duplicate-free list of normalized paths (compared without regard to
// case) with events for every path added and removed. By default only existing
// paths are taken. A plain object: hold it as a member or in a std::unique_ptr.
// Descendants may keep an object derived from the contents in Cache; the list
// owns it and drops it at every change.
#include <functional>
#include <memory>
#include <string>

#include "framework/StringList.h"

namespace shell {

using TPathEvent = std::function<void(const std::wstring& Path, int Index)>;

class TZemPathList : public fw::TStringList {
public:
    TZemPathList();
    // Then adds every line of Strings.
    explicit TZemPathList(const fw::TStrings* Strings);
    // Then adds the paths of Text, separated by ";".
    explicit TZemPathList(const std::wstring& Text);
    ~TZemPathList() override;

    // Normalizes and, when accepted, inserts the path (an equal entry is not added
    // twice: its index is returned). -1 when the path is not accepted.
    int Add(const std::wstring& S) override;
    int AddObject(const std::wstring& S, fw::TObject* AObject) override;
    // Replaces a path: the old one is deleted and the new one added in its place in order.
    void Put(int Index, const std::wstring& S) override;
    void Delete(int Index) override;
    void InsertObject(int Index, const std::wstring& S, fw::TObject* AObject) override;

    // A drive or share root keeps (gets) its trailing backslash; any other path loses it.
    virtual std::wstring NormalizePath(const std::wstring& Path);
    // True when CheckExistence is off, else whether the path exists.
    virtual bool AcceptPath(const std::wstring& Path);

    bool CheckExistence() const { return checkExistence_; }
    void SetCheckExistence(bool Value) { checkExistence_ = Value; }
    // True once a network path has been added.
    bool HasNetworkPath() const { return hasNetworkPath_; }
    fw::TObject* Cache() const { return cache_.get(); }
    void SetCache(std::unique_ptr<fw::TObject> Value) { cache_ = std::move(Value); }

    // Raised for a path really inserted, and for one deleted, with its index.
    TPathEvent OnPathAdded;
    TPathEvent OnPathRemoved;

protected:
    void Changed() override;
    std::wstring ClassName() const override { return L"TZemPathList"; }

private:
    void Setup();

    std::unique_ptr<fw::TObject> cache_;
    bool checkExistence_ = true;
    bool hasNetworkPath_ = false;
};

}  // namespace shell
