// String lists: sorting and duplicates, case rules, text and delimited text, objects.
#include "framework/StringList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Exception.h"
#include "framework/Streams.h"
#include "tests/common/TestEnv.h"

namespace {

using fw::TStringList;

std::vector<std::wstring> Lines(const fw::TStrings& list) {
    std::vector<std::wstring> r;
    for (int i = 0; i < list.Count(); ++i) r.push_back(list.Strings(i));
    return r;
}

using V = std::vector<std::wstring>;

// An object that counts its own destruction.
struct TCounted : fw::TObject {
    explicit TCounted(int* freed) : freed_(freed) {}
    ~TCounted() override { ++*freed_; }
    int* freed_;
};

TEST(StringListSorted, IgnoresDuplicatesRegardlessOfCase) {
    TStringList list;
    list.SetSorted(true);
    EXPECT_EQ(list.Duplicates(), fw::dupIgnore);
    list.Add(L"pear");
    list.Add(L"Apple");
    list.Add(L"banana");
    const int again = list.Add(L"APPLE");
    EXPECT_EQ(again, 0);  // the index of the equal line already there
    EXPECT_EQ(Lines(list), (V{L"Apple", L"banana", L"pear"}));
    EXPECT_EQ(list.IndexOf(L"BANANA"), 1);
    EXPECT_EQ(list.IndexOf(L"cherry"), -1);
}

TEST(StringListSorted, AcceptsDuplicatesInArrivalOrder) {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(fw::dupAccept);
    int a = 0, b = 0, c = 0;  // only their addresses matter
    list.AddObject(L"x", reinterpret_cast<fw::TObject*>(&a));
    list.AddObject(L"X", reinterpret_cast<fw::TObject*>(&b));
    list.AddObject(L"a", nullptr);
    list.AddObject(L"x", reinterpret_cast<fw::TObject*>(&c));
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Objects(1), reinterpret_cast<fw::TObject*>(&a));
    EXPECT_EQ(list.Objects(2), reinterpret_cast<fw::TObject*>(&b));
    EXPECT_EQ(list.Objects(3), reinterpret_cast<fw::TObject*>(&c));
    int index = -1;
    EXPECT_TRUE(list.Find(L"X", index));
    EXPECT_EQ(index, 1);  // the first of the equals
}

TEST(StringListSorted, DuplicateErrorLeavesListUnchanged) {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(fw::dupError);
    list.Add(L"one");
    try {
        list.Add(L"ONE");
        FAIL();
    } catch (const fw::EStringListError& e) {
        EXPECT_EQ(e.Message(), L"String list does not allow duplicates");
    }
    EXPECT_EQ(list.Count(), 1);
}

TEST(StringListSorted, CaseSensitiveKeepsBothCases) {
    TStringList list;
    list.SetCaseSensitive(true);
    list.SetSorted(true);
    list.Add(L"a");
    list.Add(L"A");
    list.Add(L"b");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_NE(list.IndexOf(L"A"), list.IndexOf(L"a"));
    EXPECT_EQ(list.IndexOf(L"B"), -1);
    // Back to case-insensitive: the list is sorted again, the equal pair kept.
    list.SetCaseSensitive(false);
    EXPECT_EQ(list.IndexOf(L"B"), 2);
}

TEST(StringListSorted, FindGivesThePlaceOfAMissingLineAndRefusesPositions) {
    TStringList list;
    list.SetSorted(true);
    list.SetDelimitedText(L"d,b,f");
    int index = -1;
    EXPECT_FALSE(list.Find(L"e", index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(list.Find(L"z", index));
    EXPECT_EQ(index, 3);
    EXPECT_THROW(list.Insert(0, L"c"), fw::EStringListError);
    EXPECT_THROW(list.Put(0, L"c"), fw::EStringListError);
    EXPECT_EQ(Lines(list), (V{L"b", L"d", L"f"}));
}

TEST(StringListSorted, SortingExistingLinesIsStable) {
    TStringList list;
    list.SetText(L"b\nB\na\nb");
    list.SetDuplicates(fw::dupAccept);
    list.SetSorted(true);
    EXPECT_EQ(Lines(list), (V{L"a", L"b", L"B", L"b"}));
}

TEST(StringList, CustomSortSeesTheLinesAndIsStable) {
    TStringList list;
    list.SetDelimitedText(L"ccc,a,bb,d,ee");
    list.CustomSort([](TStringList* l, int i, int j) { return int(l->Strings(i).size()) - int(l->Strings(j).size()); });
    EXPECT_EQ(Lines(list), (V{L"a", L"d", L"bb", L"ee", L"ccc"}));
    // A sorted list keeps its order: Find depends on it.
    list.SetSorted(true);
    list.CustomSort([](TStringList*, int i, int j) { return j - i; });
    EXPECT_EQ(list.Strings(0), L"a");
}

TEST(StringList, IndexErrorsNameTheIndex) {
    TStringList list;
    list.Add(L"x");
    try {
        list.Strings(5);
        FAIL();
    } catch (const fw::EStringListError& e) {
        EXPECT_EQ(e.Message(), L"List index out of bounds (5)");
    }
    EXPECT_THROW(list.Delete(-1), fw::EListError);
    EXPECT_THROW(list.Insert(2, L"y"), fw::EStringListError);
    list.Insert(1, L"y");  // at the end is fine
    EXPECT_THROW(list.SetCapacity(1), fw::EStringListError);
}

TEST(StringList, UnsortedIndexOfIsCaseInsensitiveByDefault) {
    TStringList list;
    list.Add(L"x");
    list.Add(L"\u00C9T\u00C9");  // ÉTÉ: letters beyond ASCII fold too
    EXPECT_EQ(list.IndexOf(L"\u00E9t\u00E9"), 1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf(L"\u00E9t\u00E9"), -1);
}

TEST(StringListText, SplitsAtCrLfLfAndCr) {
    TStringList list;
    list.SetText(L"a\r\nb\nc\rd");
    EXPECT_EQ(Lines(list), (V{L"a", L"b", L"c", L"d"}));
    list.SetText(L"a\r\n\r\nb\r\n");
    EXPECT_EQ(Lines(list), (V{L"a", L"", L"b"}));
    list.SetText(L"\r\n");
    EXPECT_EQ(Lines(list), (V{L""}));
    list.SetText(L"");
    EXPECT_EQ(list.Count(), 0);
    list.SetText(L"one");  // no line break at all
    EXPECT_EQ(Lines(list), (V{L"one"}));
    list.SetText(L"x\n\ry");  // LF then CR: two breaks
    EXPECT_EQ(Lines(list), (V{L"x", L"", L"y"}));
}

TEST(StringListText, EveryLineEndsWithCrLfAndRoundTrips) {
    TStringList list;
    list.Add(L"a");
    list.Add(L"");
    list.Add(L"c");
    list.Add(L"");
    EXPECT_EQ(list.Text(), L"a\r\n\r\nc\r\n\r\n");
    TStringList copy;
    copy.SetText(list.Text());
    EXPECT_EQ(Lines(copy), Lines(list));
    TStringList empty;
    EXPECT_EQ(empty.Text(), L"");
}

TEST(StringListDelimited, QuotesWhatNeedsIt) {
    TStringList list;
    list.Add(L"plain");
    list.Add(L"two words");
    list.Add(L"a,b");
    list.Add(L"say \"hi\"");
    list.Add(L"");
    list.Add(L"tab\there");
    EXPECT_EQ(list.DelimitedText(), L"plain,\"two words\",\"a,b\",\"say \"\"hi\"\"\",,\"tab\there\"");
    TStringList back;
    back.SetDelimitedText(list.DelimitedText());
    EXPECT_EQ(Lines(back), Lines(list));
}

TEST(StringListDelimited, EmptyLinesSurvive) {
    TStringList list;
    list.Add(L"");
    EXPECT_EQ(list.DelimitedText(), L"\"\"");
    TStringList back;
    back.SetDelimitedText(L"\"\"");
    EXPECT_EQ(Lines(back), V{L""});
    back.SetDelimitedText(L"a,");
    EXPECT_EQ(Lines(back), (V{L"a", L""}));
    back.SetDelimitedText(L",");
    EXPECT_EQ(Lines(back), (V{L"", L""}));
    back.SetDelimitedText(L"");
    EXPECT_EQ(back.Count(), 0);
}

TEST(StringListDelimited, BlanksSeparateUnlessStrict) {
    TStringList list;
    list.SetDelimiter(L';');
    list.SetDelimitedText(L"  C:\\Program Files ; D:\\x");
    EXPECT_EQ(Lines(list), (V{L"C:\\Program", L"Files", L"D:\\x"}));
    list.SetStrictDelimiter(true);
    list.SetDelimitedText(L"C:\\Program Files;D:\\x;");
    EXPECT_EQ(Lines(list), (V{L"C:\\Program Files", L"D:\\x", L""}));
    // Strict output quotes only the delimiter and the quote character.
    list.Clear();
    list.Add(L"a b");
    list.Add(L"c;d");
    EXPECT_EQ(list.DelimitedText(), L"a b;\"c;d\"");
}

TEST(StringListDelimited, QuotedPartsAndOddQuotes) {
    TStringList list;
    list.SetDelimitedText(L"\"a, b\" , \"unclosed");
    EXPECT_EQ(Lines(list), (V{L"a, b", L"unclosed"}));
    list.SetQuoteChar(L'\'');
    list.SetDelimitedText(L"'it''s',x");
    EXPECT_EQ(Lines(list), (V{L"it's", L"x"}));
}

TEST(StringListObjects, OwnedObjectsAreFreedOnDeleteClearAndDestruction) {
    int freed = 0;
    {
        TStringList list(true);
        list.AddObject(L"a", new TCounted(&freed));
        list.AddObject(L"b", new TCounted(&freed));
        list.AddObject(L"c", new TCounted(&freed));
        list.AddObject(L"d", new TCounted(&freed));
        list.Delete(0);
        EXPECT_EQ(freed, 1);
        EXPECT_EQ(Lines(list), (V{L"b", L"c", L"d"}));
        list.Delete(2);
        EXPECT_EQ(freed, 2);
    }
    EXPECT_EQ(freed, 4);
    TStringList notOwning;
    TCounted kept(&freed);
    notOwning.AddObject(L"k", &kept);
    notOwning.Clear();
    EXPECT_EQ(freed, 4);
}

TEST(StringListUpdates, ListenersHearOnceAroundABatch) {
    TStringList list;
    std::vector<std::wstring> log;
    list.OnChanging = [&](fw::TObject* sender) {
        EXPECT_EQ(sender, &list);
        log.push_back(L"changing");
    };
    list.OnChange = [&](fw::TObject*) { log.push_back(L"change " + std::to_wstring(list.Count())); };
    list.Add(L"a");
    EXPECT_EQ(log, (V{L"changing", L"change 1"}));
    log.clear();
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add(L"b");
    list.SetText(L"x\ny\nz");
    list.EndUpdate();
    EXPECT_EQ(log, V{L"changing"});
    list.EndUpdate();
    EXPECT_EQ(log, (V{L"changing", L"change 3"}));
    log.clear();
    list.EndUpdate();  // unbalanced: ignored
    list.SetText(L"p\nq");
    EXPECT_EQ(log, (V{L"changing", L"change 2"}));
}

// A list in the manner of a path list: its own Add and InsertObject report what
// they add; the base must route lines so that each is reported exactly once.
class TReportingList : public TStringList {
public:
    std::vector<std::wstring> added;
    int Add(const std::wstring& S) override {
        const int i = TStringList::Add(S + L"!");
        added.push_back(L"add " + S);
        return i;
    }
    void InsertObject(int Index, const std::wstring& S, fw::TObject* O) override {
        TStringList::InsertObject(Index, S, O);
        added.push_back(L"insert " + S);
    }
};

TEST(StringListDerived, OverridesSeeEveryLineOnce) {
    TReportingList list;
    list.SetDelimitedText(L"a,b");
    list.SetText(L"c\nd");
    EXPECT_EQ(list.added, (V{L"add a", L"add b", L"add c", L"add d"}));
    EXPECT_EQ(Lines(list), (V{L"c!", L"d!"}));
    list.added.clear();
    list.Insert(0, L"e");
    EXPECT_EQ(list.added, V{L"insert e"});
}

TEST(StringListAssign, CopiesLinesObjectsAndDelimiters) {
    TStringList source;
    int freed = 0;
    TCounted object(&freed);
    source.AddObject(L"z", &object);
    source.Add(L"a");
    source.SetDelimiter(L';');
    source.SetStrictDelimiter(true);
    TStringList target;
    target.SetSorted(true);
    target.Add(L"old");
    target.Assign(&source);
    EXPECT_EQ(Lines(target), (V{L"a", L"z"}));  // the target's own sorting holds
    EXPECT_EQ(target.Objects(1), &object);
    EXPECT_EQ(target.Delimiter(), L';');
    EXPECT_TRUE(target.StrictDelimiter());
    EXPECT_THROW(target.Assign(nullptr), fw::EConvertError);
    fw::TComponent component(nullptr);
    EXPECT_THROW(target.Assign(&component), fw::EConvertError);
    // Adding a list to itself doubles it.
    source.AddStrings(&source);
    EXPECT_EQ(Lines(source), (V{L"z", L"a", L"z", L"a"}));
}

TEST(StringListFile, SavesAnsiWithCrLfAfterEveryLine) {
    TStringList list;
    list.Add(L"abc");
    list.Add(L"caf\u00E9");  // é is one byte in the ANSI code page 1252
    const std::wstring file = testenv::NewScratchFolder(L"strings") + L"\\lines.txt";
    list.SaveToFile(file);
    fw::TFileStream stream(file, fw::fmOpenRead);
    std::string bytes(size_t(stream.Size()), '\0');
    stream.ReadBuffer(bytes.data(), int64_t(bytes.size()));
    const UINT acp = GetACP();
    if (acp == 1252) EXPECT_EQ(bytes, std::string("abc\r\ncaf\xE9\r\n"));
    else EXPECT_EQ(bytes.substr(0, 5), std::string("abc\r\n"));
    EXPECT_EQ(bytes.substr(bytes.size() - 2), std::string("\r\n"));
}

}  // namespace
