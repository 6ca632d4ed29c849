// The padded text, CSV and TAB documents, byte by byte; the text routines where
// the documents do not reach them.
#include <gtest/gtest.h>

#include <algorithm>

#include "export/TextRoutines.h"
#include "tests/export/ExportTestSource.h"

using TextFormats = ExportFixture;

TEST_F(TextFormats, PaddedTextWithRulesAndCreatedLine) {
    With(xoShowExportDate);
    const std::string text = Run(xtTXT);
    const std::string body = "Name   Size\r\n-----------\r\na.txt  12  \r\nbb.doc 7   \r\n-----------\r\n";
    ASSERT_EQ(text.substr(0, body.size()), body);
    const std::string created = text.substr(body.size());
    EXPECT_EQ(created.substr(0, 9), "Created: ");
    EXPECT_EQ(created.find("\r\n"), created.size() - 2) << "one line";
    // The created text is joined, not formatted.
    e_->Messages()->SetCreatedText(L"100% %s %d done:");
    EXPECT_NE(Run(xtTXT).find("\r\n100% %s %d done: "), std::string::npos);
    // Captions wider than the cells widen their columns, so the rules stay aligned.
    Without(xoShowExportDate);
    e_->Captions()->Add(L"File name");
    e_->Captions()->Add(L"Bytes");
    EXPECT_EQ(Run(xtTXT),
              "File name Bytes\r\n---------------\r\na.txt     12   \r\nbb.doc    7    \r\n---------------\r\n");
}

TEST_F(TextFormats, CommaSeparatedQuotesAndTabSeparatedKeepsCells) {
    // CSV has no date, header or footer lines; TAB has.
    e_->OnGetHeader = [](fw::TObject*, uint32_t, std::wstring& h) { h = L"first\r\nsecond"; };
    e_->OnGetFooter = [](fw::TObject*, uint32_t, std::wstring& f) { f = L"bye"; };
    With(xoShowExportDate);
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\na.txt,12\r\nbb.doc,7\r\n");
    e_->Rows = {{L"say \"hi\"", L"a,b"}, {L"x\"y", L" lead"}, {L"abc", L"two\r\nlines"}};
    EXPECT_EQ(Run(xtCSV),
              "Name,Size\r\n\"say \"\"hi\"\"\",\"a,b\"\r\n\"x\"\"y\",\" lead\"\r\nabc,\"two\r\nlines\"\r\n");
    // A bare line feed or carriage return ends a record unless the field is enclosed.
    e_->Rows = {{L"bare\nlf", L"cr\ronly"}};
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\n\"bare\nlf\",\"cr\ronly\"\r\n");
    e_->Rows = {{L"say \"hi\"", L"a,b"}, {L"x\"y", L" lead"}, {L"abc", L"two\r\nlines"}};
    Without(xoShowExportDate);
    e_->Rows.pop_back();
    EXPECT_EQ(Run(xtTAB), "first\r\nsecond\r\nName\tSize\r\nsay \"hi\"\ta,b\r\nx\"y\t lead\r\nbye\r\n");
}

TEST_F(TextFormats, ColumnWidthsTruncateAndAlign) {
    e_->Rows = {{L"abcdefgh", L"abcdefgh"}};
    e_->NullCell = 1;
    e_->ColumnWidths()->Add(L"5");
    e_->ColumnWidths()->Add(L"x");  // no number: the natural width (8) holds
    e_->SetOptions({xoTruncate});
    EXPECT_EQ(Run(xtCSV), "ab...,\"** NU...\"\r\n");
    // A text exactly as wide as its column is kept whole.
    e_->Rows = {{L"abcde", L"abcdefgh"}};
    EXPECT_EQ(Run(xtCSV), "abcde,\"** NU...\"\r\n");
    EXPECT_EQ(TruncateText(L"abcde", 5, L"..."), L"abcde");
    e_->Rows = {{L"abcdefgh", L"abcdefgh"}};
    e_->ColumnWidths()->SetStrings(0, L"2");
    EXPECT_EQ(Run(xtTAB), "...\t** NU...\r\n");
    Without(xoTruncate);
    EXPECT_EQ(Run(xtTAB), "abcdefgh\t** NULL **\r\n");
    // Alignments pad the cells to their widths.
    e_->NullCell = -1;
    e_->Rows = {{L"a", L"123"}};
    e_->Alignments = {2, 3};
    e_->ColumnWidths()->SetStrings(0, L"4");
    e_->ColumnWidths()->SetStrings(1, L"6");
    e_->SetOptions({xoUseAlignments});
    EXPECT_EQ(Run(xtTXT), "   a  123  \r\n");
    // A centred text wider than its width stays as it is.
    e_->ColumnWidths()->SetStrings(1, L"1");
    EXPECT_EQ(Run(xtTXT), "   a 123\r\n");
    Without(xoUseAlignments);
    e_->ColumnWidths()->SetStrings(1, L"6");
    EXPECT_EQ(Run(xtTXT), "a    123   \r\n");
}

TEST_F(TextFormats, SelectedRowsAndHiddenColumns) {
    With(xoSelectedRowsOnly);
    int seen = 0;
    e_->OnExport = [&](fw::TObject*, uint32_t, uint32_t, const TztValues&, bool&) { ++seen; };
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\n") << "no selection: only the caption row";
    EXPECT_EQ(seen, 2);
    e_->SelectedRows = {1};
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\nbb.doc,7\r\n");
    Without(xoSelectedRowsOnly);
    e_->HiddenColumns = {0};
    EXPECT_EQ(Run(xtCSV), "Size\r\n12\r\n7\r\n");
    With(xoExportInvisibles);
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\na.txt,12\r\nbb.doc,7\r\n");
}

TEST_F(TextFormats, RowNumbers) {
    e_->Rows.clear();
    for (int i = 1; i <= 120; ++i) e_->Rows.push_back({L"f" + std::to_wstring(i), L"1"});
    With(xoRowNumbers);
    const std::string text = Run(xtTXT);
    EXPECT_EQ(text.substr(0, 17), "    Name Size\r\n--");
    EXPECT_NE(text.find("\r\n  1 f1   1   \r\n  2 f2   1   \r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n120 f120 1   \r\n"), std::string::npos);
    EXPECT_EQ(Run(xtCSV).substr(0, 26), ",Name,Size\r\n1,f1,1\r\n2,f2,1");
    // Every number cell, and the caption row's lead-in, is as wide as the last number formatted.
    e_->SetRowNumberFormat(L"#%d");
    const std::string marked = Run(xtTXT);
    EXPECT_EQ(marked.substr(0, 14), "     Name Size");
    EXPECT_NE(marked.find("\r\n  #1 f1   1   \r\n"), std::string::npos);
    EXPECT_NE(marked.find("\r\n#120 f120 1   \r\n"), std::string::npos);
    e_->SetRowNumberFormat(L"#%d%s");
    EXPECT_EQ(Run(xtTAB).substr(0, 26), "\tName\tSize\r\n#1%s\tf1\t1\r\n#2%");
}

TEST_F(TextFormats, EmptyGridWithAndWithoutCaptionRow) {
    e_->Rows.clear();
    EXPECT_EQ(Run(xtTXT), "Name Size\r\n---------\r\n---------\r\n");
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\n");
    Without(xoShowHeader);
    EXPECT_EQ(Run(xtTXT), "-\r\n-\r\n");
    EXPECT_EQ(Run(xtCSV), "");
    EXPECT_TRUE(FileThere(folder_ + L"\\doc.CSV"));
}

TEST_F(TextFormats, CharacterSets) {
    e_->Rows = {{L"caf\u00e9", L"\u20ac"}};
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\ncaf\xe9,\x80\r\n");
    e_->Rows = {{L"\u03a9mega", L"1"}};
    EXPECT_EQ(Run(xtCSV), "\xEF\xBB\xBFName,Size\r\n\xCE\xA9mega,1\r\n");
    EXPECT_EQ(Run(xtTAB), "\xEF\xBB\xBFName\tSize\r\n\xCE\xA9mega\t1\r\n");
    // U+0101 (a with macron) has a best fit "a" in 1252; it must not be taken.
    std::string bytes;
    EXPECT_FALSE(ztTryAnsi(L"\u0101", bytes));
    EXPECT_EQ(ztToAnsi(L"x\u0101y\U0001F600z"), "x?y?z");
    bool utf8 = false;
    EXPECT_EQ(ztDocumentBytes(L"\u0101", false, &utf8), "?");
    EXPECT_FALSE(utf8);
    // Plain ASCII is copied as it is, sixteen characters a step and the rest one by one.
    std::string out = "x";
    const std::wstring ascii = L"0123456789abcdefghijklmnopqrstuvwxyz~";
    ASSERT_TRUE(AsciiInto(ascii.data(), ascii.size(), out));
    EXPECT_EQ(out, "x0123456789abcdefghijklmnopqrstuvwxyz~");
    for (const std::wstring other : {L"abc\u00e9efghijklmnopq", L"abcdefghijklmnop\u0100qrstuvwxyz012345", L"\u0080"})
        EXPECT_FALSE(AsciiInto(other.data(), other.size(), out)) << Utf8(other);
    EXPECT_EQ(out.size(), 1 + ascii.size()) << "nothing is left behind";
}

TEST_F(TextFormats, PaddedWidthsCountCharactersNotUnits) {
    // Outside the basic plane a character takes two UTF-16 units.
    e_->Rows = {{L"\U0001F600\U0001F600", L"1"}, {L"ab", L"\U00020000"}};
    e_->ColumnWidths()->Add(L"4");
    e_->ColumnWidths()->Add(L"4");
    e_->Alignments = {3, 2};
    // Every line is as long as the rule: 9 characters.
    EXPECT_EQ(Run(xtTXT), "\xEF\xBB\xBF" + Utf8(L"Name Size\r\n---------\r\n \U0001F600\U0001F600     1\r\n"
                                                L" ab     \U00020000\r\n---------\r\n"));
    const std::wstring two = L"\U0001F600\U0001F600";
    EXPECT_EQ(PadLeft(L"7", L' ', 3), L"  7");
    EXPECT_EQ(PadRight(two, L'.', 3), two + L".");
    EXPECT_EQ(PadLeft(L"long", L' ', 2), L"long");
    EXPECT_EQ(Centre(L"abc", 6), L" abc  ");  // half the width less half the text after it
    EXPECT_EQ(Centre(L"abcdef", 3), L"abcdef");
    EXPECT_EQ(RepeatChar(L'-', -2), L"");
    EXPECT_EQ(TruncateText(two + two, 3, L"~"), two + L"~") << "no pair is cut";
    EXPECT_EQ(TruncateText(L"abcdefgh", 0, L"..."), L"...");
    EXPECT_EQ(CsvQuote(L"", true), L"\"\"");
    EXPECT_EQ(CsvQuote(L"semi;colon", false), L"semi;colon");
}

namespace {

// Where two documents first differ (npos when they are the same): a failure
// names a place rather than printing megabytes.
size_t Differ(const std::string& A, const std::string& B) {
    const auto d = std::mismatch(A.begin(), A.end(), B.begin(), B.end());
    return d.first == A.end() && d.second == B.end() ? std::string::npos : size_t(d.first - A.begin());
}

}  // namespace

TEST_F(TextFormats, LargeDocumentsKeepEveryRowInOrderWhateverTheirCharacters) {
    // Documents past a megabyte (the pieces they are written in): every line once, in order.
    e_->Rows.clear();
    std::vector<std::string> names;
    size_t width = 4;
    for (int i = 0; i < 40000; ++i) {
        names.push_back("row" + std::to_string(i) + " of a listing long enough to pass a megabyte");
        e_->Rows.push_back({std::wstring(names.back().begin(), names.back().end()), L"x"});
        width = std::max(width, names.back().size());
    }
    std::string csv = "Name,Size\r\n", txt = "Name" + std::string(width - 4, ' ') + " Size\r\n";
    const std::string rule(width + 5, '-');
    txt += rule + "\r\n";
    for (const std::string& name : names) {
        csv += "\"" + name + "\",x\r\n";
        txt += name + std::string(width - name.size(), ' ') + " x   \r\n";
    }
    txt += rule + "\r\n";
    EXPECT_EQ(Differ(Run(xtCSV), csv), std::string::npos);
    EXPECT_EQ(Differ(Run(xtTXT), txt), std::string::npos);
    // The clipboard holds the same lines as Unicode text.
    MessageBoxRecorder boxes;
    auto clipboard = [this] {
        e_->SetExportType(xtClipboard);
        e_->Execute();
        return Utf8(ClipboardText());
    };
    EXPECT_EQ(Differ(clipboard(), txt), std::string::npos);
    // Then one row the code page lacks: the whole file turns to UTF-8.
    e_->Rows.push_back({L"\u03a9", L"y"});
    EXPECT_EQ(Differ(Run(xtCSV), "\xEF\xBB\xBF" + csv + "\xCE\xA9,y\r\n"), std::string::npos);
    const std::string rtf = Run(xtRTF);
    size_t rows = 0;
    for (size_t at = rtf.find("{\\row}"); at != std::string::npos; at = rtf.find("{\\row}", at + 1)) ++rows;
    EXPECT_EQ(rows, e_->Rows.size() + 1);
    EXPECT_NE(rtf.find(names.back() + "\\cell x\\cell }"), std::string::npos);
    e_->Rows.back() = {L"\U0001F600", L"y"};
    const std::string padded = Run(xtTXT);
    ASSERT_GT(padded.size(), 3u);
    EXPECT_EQ(Differ(clipboard(), padded.substr(3)), std::string::npos) << "as the padded text";
}
