#pragma once
// Lists of texts with an object per line. TStrings is the abstract interface that
// controls hand out for their item lists (a combo box's items, a grid's row);
// TStringList keeps its lines in memory and can be sorted. A list is a plain object
// (no owner): make it on the stack, hold it in a std::unique_ptr or own it as a
// member. The objects it carries are not its own unless it is made with OwnsObjects, in
// which case Delete, Clear and the destructor free them.
// <windows.h> comes first: it renames GetObject (to GetObjectW), and every unit must
// see the same name for the virtual to be overridden.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Classes.h"

namespace fw {

class TStream;

class TStrings : public TPersistent {
public:
    int Count() const { return GetCount(); }
    // Line Index; EStringListError "List index out of bounds (<Index>)" outside 0..Count-1.
    std::wstring Strings(int Index) const { return Get(Index); }
    void SetStrings(int Index, const std::wstring& S) { Put(Index, S); }
    TObject* Objects(int Index) const { return GetObject(Index); }
    void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }

    virtual void Put(int Index, const std::wstring& S);
    virtual void PutObject(int Index, TObject* AObject);
    // Appends (a sorted list inserts in order) and returns the line's index.
    virtual int Add(const std::wstring& S);
    virtual int AddObject(const std::wstring& S, TObject* AObject);
    virtual void AddStrings(const TStrings* Strings);
    virtual void Insert(int Index, const std::wstring& S) = 0;
    virtual void InsertObject(int Index, const std::wstring& S, TObject* AObject);
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;
    // -1 when absent; texts compare as CompareStrings says.
    virtual int IndexOf(const std::wstring& S) const;

    // Every line followed by CR LF. Setting splits at CR LF, LF or CR; a missing last
    // line break is fine and a final line break makes no empty last line.
    virtual std::wstring Text() const;
    virtual void SetText(const std::wstring& Value);
    // Lines joined by Delimiter; a line holding the delimiter, the quote character or
    // (unless StrictDelimiter) a blank or control character is quoted with QuoteChar,
    // its quote characters doubled. Setting splits likewise; without StrictDelimiter
    // blanks separate too.
    std::wstring DelimitedText() const;
    void SetDelimitedText(const std::wstring& Value);

    wchar_t Delimiter() const { return delimiter_; }
    void SetDelimiter(wchar_t Value) { delimiter_ = Value; }
    wchar_t QuoteChar() const { return quoteChar_; }
    void SetQuoteChar(wchar_t Value) { quoteChar_ = Value; }
    bool StrictDelimiter() const { return strictDelimiter_; }
    void SetStrictDelimiter(bool Value) { strictDelimiter_ = Value; }

    virtual int Capacity() const { return Count(); }
    virtual void SetCapacity(int) {}

    // Nested brackets around a batch of changes; listeners hear of them once.
    void BeginUpdate();
    void EndUpdate();

    // Takes the lines, objects and delimiter settings of another TStrings.
    void Assign(TPersistent* Source) override;

    // The lines as Text() in the system's ANSI code page, no byte-order mark.
    virtual void SaveToStream(TStream* Stream) const;
    void SaveToFile(const std::wstring& FileName) const;

protected:
    virtual std::wstring Get(int Index) const = 0;
    virtual int GetCount() const = 0;
    virtual TObject* GetObject(int Index) const;
    // Called with true when the first BeginUpdate starts, false when the last EndUpdate ends.
    virtual void SetUpdateState(bool Updating);
    int UpdateCount() const { return updateCount_; }
    // Case-insensitive in the user's locale; TStringList may make it case-sensitive.
    virtual int CompareStrings(const std::wstring& S1, const std::wstring& S2) const;
    [[noreturn]] static void ErrorIndex(int Index);
    std::wstring ClassName() const override { return L"TStrings"; }

private:
    std::wstring DelimitedWith(wchar_t delimiter, wchar_t quote, bool strict) const;
    void SetDelimitedWith(const std::wstring& value, wchar_t delimiter, wchar_t quote, bool strict);

    int updateCount_ = 0;
    wchar_t delimiter_ = L',';
    wchar_t quoteChar_ = L'"';
    bool strictDelimiter_ = false;
};

enum TDuplicates {
    dupIgnore,
    dupAccept,
    dupError
};

class TStringList;
// Negative, zero or positive as line Index1 sorts before, with or after line Index2.
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

class TStringList : public TStrings {
public:
    explicit TStringList(bool OwnsObjects = false) : ownsObjects_(OwnsObjects) {}
    ~TStringList() override;

    int Add(const std::wstring& S) override;
    // On a sorted list: an equal line is dupIgnore: not added (its index is returned),
    // dupAccept: added after its equals, dupError: EStringListError "String list does
    // not allow duplicates".
    int AddObject(const std::wstring& S, TObject* AObject) override;
    void Insert(int Index, const std::wstring& S) override;
    // EStringListError "Operation not allowed on sorted list" on a sorted list.
    void InsertObject(int Index, const std::wstring& S, TObject* AObject) override;
    void Put(int Index, const std::wstring& S) override;
    void PutObject(int Index, TObject* AObject) override;
    void Delete(int Index) override;
    void Clear() override;
    int IndexOf(const std::wstring& S) const override;

    // Binary search of a sorted list: true when S is there, Index the first equal line
    // or the place where S would go.
    virtual bool Find(const std::wstring& S, int& Index) const;
    virtual void Sort();
    // A stable sort by Compare; the list is not marked sorted.
    virtual void CustomSort(const TStringListSortCompare& Compare);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
    // False by default: lines compare case-insensitively in the user's locale.
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool Value);

    int Capacity() const override { return int(items_.capacity()); }
    void SetCapacity(int NewCapacity) override;

    // Before and after every change, or once around a BeginUpdate/EndUpdate batch.
    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    std::wstring Get(int Index) const override;
    int GetCount() const override { return int(items_.size()); }
    TObject* GetObject(int Index) const override;
    void SetUpdateState(bool Updating) override;
    int CompareStrings(const std::wstring& S1, const std::wstring& S2) const override;
    virtual void Changed();
    virtual void Changing();
    // Puts a line in place, with no checks; the one way lines get into the list.
    virtual void InsertItem(int Index, const std::wstring& S, TObject* AObject);
    std::wstring ClassName() const override { return L"TStringList"; }

private:
    struct Item {
        std::wstring text;
        TObject* object;
    };
    void CheckIndex(int Index) const;

    std::vector<Item> items_;
    TDuplicates duplicates_ = dupIgnore;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    bool ownsObjects_;
};

}  // namespace fw
