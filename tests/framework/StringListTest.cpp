// String lists: sorting and duplicates, case rules, text and delimited text, objects.
#include "framework/StringList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Exception.h"

namespace {

using fw::TStringList;
using V = std::vector<std::wstring>;

V Lines(const fw::TStrings& list) {
    V r;
    for (int i = 0; i < list.Count(); ++i) r.push_back(list.Strings(i));
    return r;
}

V TextLines(const std::wstring& Text) {
    TStringList list;
    list.SetText(Text);
    return Lines(list);
}

V DelimitedLines(const std::wstring& Text) {
    TStringList list;
    list.SetDelimitedText(Text);
    return Lines(list);
}

TEST(StringListSorted, IgnoresDuplicatesRegardlessOfCaseOrRefusesThem) {
    TStringList list;
    list.SetSorted(true);
    EXPECT_EQ(list.Duplicates(), fw::dupIgnore);
    for (const wchar_t* s : {L"pear", L"Apple", L"banana"}) list.Add(s);
    EXPECT_EQ(list.Add(L"APPLE"), 0);  // the index of the equal line already there
    EXPECT_EQ(Lines(list), (V{L"Apple", L"banana", L"pear"}));
    EXPECT_EQ(list.IndexOf(L"BANANA"), 1);
    EXPECT_EQ(list.IndexOf(L"cherry"), -1);

    list.SetDuplicates(fw::dupError);
    try {
        list.Add(L"PEAR");
        FAIL();
    } catch (const fw::EStringListError& e) {
        EXPECT_EQ(e.Message(), L"String list does not allow duplicates");
    }
    EXPECT_EQ(list.Count(), 3);
}

TEST(StringListSorted, AcceptsDuplicatesInArrivalOrder) {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(fw::dupAccept);
    fw::TObject a, b, c;
    list.AddObject(L"x", &a);
    list.AddObject(L"X", &b);
    list.AddObject(L"a", nullptr);
    list.AddObject(L"x", &c);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Objects(1), &a);
    EXPECT_EQ(list.Objects(2), &b);
    EXPECT_EQ(list.Objects(3), &c);
    int index = -1;
    EXPECT_TRUE(list.Find(L"X", index));
    EXPECT_EQ(index, 1);  // the first of the equals

    TStringList unsorted;
    unsorted.SetText(L"b\nB\na\nb");
    unsorted.SetDuplicates(fw::dupAccept);
    unsorted.SetSorted(true);  // sorting existing lines is stable
    EXPECT_EQ(Lines(unsorted), (V{L"a", L"b", L"B", L"b"}));
}

TEST(StringListSorted, CaseSensitiveKeepsBothCases) {
    TStringList list;
    list.SetCaseSensitive(true);
    list.SetSorted(true);
    for (const wchar_t* s : {L"a", L"A", L"b"}) list.Add(s);
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

TEST(StringList, IndexErrorsNameTheIndexAndIndexOfFoldsCase) {
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
    list.Insert(1, L"\u00C9T\u00C9");  // at the end is fine
    // ÉTÉ: letters beyond ASCII fold too, unless the list is case-sensitive.
    EXPECT_EQ(list.IndexOf(L"\u00E9t\u00E9"), 1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf(L"\u00E9t\u00E9"), -1);
}

TEST(StringListText, SplitsAtCrLfLfAndCrAndEveryLineEndsWithCrLf) {
    EXPECT_EQ(TextLines(L"a\r\nb\nc\rd"), (V{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(TextLines(L"a\r\n\r\nb\r\n"), (V{L"a", L"", L"b"}));
    EXPECT_EQ(TextLines(L"\r\n"), V{L""});
    EXPECT_EQ(TextLines(L""), V{});
    EXPECT_EQ(TextLines(L"one"), V{L"one"});                // no line break at all
    EXPECT_EQ(TextLines(L"x\n\ry"), (V{L"x", L"", L"y"}));  // LF then CR: two breaks

    TStringList list;
    for (const wchar_t* s : {L"a", L"", L"c", L""}) list.Add(s);
    EXPECT_EQ(list.Text(), L"a\r\n\r\nc\r\n\r\n");
    EXPECT_EQ(TextLines(list.Text()), Lines(list));
    EXPECT_EQ(TStringList().Text(), L"");
}

TEST(StringListDelimited, QuotesWhatNeedsItAndEmptyLinesSurvive) {
    TStringList list;
    for (const wchar_t* s : {L"plain", L"two words", L"a,b", L"say \"hi\"", L"", L"tab\there"}) list.Add(s);
    EXPECT_EQ(list.DelimitedText(), L"plain,\"two words\",\"a,b\",\"say \"\"hi\"\"\",,\"tab\there\"");
    EXPECT_EQ(DelimitedLines(list.DelimitedText()), Lines(list));
    list.SetText(L"\r\n");
    EXPECT_EQ(list.DelimitedText(), L"\"\"");
    EXPECT_EQ(DelimitedLines(L"\"\""), V{L""});
    EXPECT_EQ(DelimitedLines(L"a,"), (V{L"a", L""}));
    EXPECT_EQ(DelimitedLines(L","), (V{L"", L""}));
    EXPECT_EQ(DelimitedLines(L""), V{});
    EXPECT_EQ(DelimitedLines(L"\"a, b\" , \"unclosed"), (V{L"a, b", L"unclosed"}));
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
    list.SetText(L"a b\nc;d");
    EXPECT_EQ(list.DelimitedText(), L"a b;\"c;d\"");
}

TEST(StringListUpdates, ListenersHearOnceAroundABatch) {
    TStringList list;
    V log;
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
    V added;
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
    fw::TObject object;
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

}  // namespace
