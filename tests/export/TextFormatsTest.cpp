// The padded text, CSV and TAB documents, byte by byte.
#include <gtest/gtest.h>

#include <memory>

#include "tests/export/ExportTestSource.h"
#include "tests/common/TestEnv.h"

namespace {

class TextFormats : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testenv::NewScratchFolder(L"export-text");
        e_ = std::make_unique<TTestExport>();
        e_->Names = {L"Name", L"Size"};
        e_->Rows = {{L"a.txt", L"12"}, {L"bb.doc", L"7"}};
        e_->SetExportStyle(xsFile);
        e_->SetFileName(folder_ + L"\\doc");
        e_->OnError = [this](fw::TObject*, TztExportError code) { errors_.push_back(code); };
    }
    void TearDown() override { EXPECT_TRUE(errors_.empty()); }

    // Runs the export and returns the written file's bytes.
    std::string Run(TztExportType Type) {
        e_->SetExportType(Type);
        e_->Execute();
        return ReadBytes(folder_ + L"\\doc." + e_->GetDefaultExtension());
    }
    void Without(TztExportOption o) { e_->SetOptions(e_->Options().Exclude(o)); }
    void With(TztExportOption o) { e_->SetOptions(e_->Options().Include(o)); }

    std::wstring folder_;
    std::unique_ptr<TTestExport> e_;
    std::vector<TztExportError> errors_;
};

}  // namespace

TEST_F(TextFormats, PaddedTextWithRulesAndCreatedLine) {
    const std::string text = Run(xtTXT);
    const std::string body = "Name   Size\r\n-----------\r\na.txt  12  \r\nbb.doc 7   \r\n-----------\r\n";
    ASSERT_EQ(text.substr(0, body.size()), body);
    const std::string created = text.substr(body.size());
    EXPECT_EQ(created.substr(0, 9), "Created: ");
    EXPECT_EQ(created.find("\r\n"), created.size() - 2) << "one line";
    // The created text is joined, not formatted.
    e_->Messages()->SetCreatedText(L"100% %s %d done:");
    EXPECT_NE(Run(xtTXT).find("\r\n100% %s %d done: "), std::string::npos);
}

TEST_F(TextFormats, CaptionsWiderThanCellsKeepColumnsAligned) {
    e_->Captions()->Add(L"File name");
    e_->Captions()->Add(L"Bytes");
    Without(xoShowExportDate);
    EXPECT_EQ(Run(xtTXT),
              "File name Bytes\r\n---------------\r\na.txt     12   \r\nbb.doc    7    \r\n---------------\r\n");
}

TEST_F(TextFormats, CommaSeparated) {
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\na.txt,12\r\nbb.doc,7\r\n");
    e_->Rows = {{L"say \"hi\"", L"a,b"}, {L"x\"y", L" lead"}, {L"abc", L"two\r\nlines"}};
    EXPECT_EQ(Run(xtCSV),
              "Name,Size\r\n\"say \"\"hi\"\"\",\"a,b\"\r\n\"x\"\"y\",\" lead\"\r\nabc,\"two\r\nlines\"\r\n");
}

TEST_F(TextFormats, TabSeparatedKeepsCellsUnchanged) {
    e_->Rows = {{L"a,b", L"x\"y"}};
    Without(xoShowExportDate);
    EXPECT_EQ(Run(xtTAB), "Name\tSize\r\na,b\tx\"y\r\n");
}

TEST_F(TextFormats, TruncationAndNulls) {
    e_->Rows = {{L"abcdefgh", L"abcdefgh"}};
    e_->NullCell = 1;
    e_->ColumnWidths()->Add(L"5");
    e_->ColumnWidths()->Add(L"x");  // no number: the natural width
    With(xoTruncate);
    Without(xoShowHeader);
    Without(xoShowExportDate);
    Without(xoHeaderLine);
    Without(xoFooterLine);
    // The second width is no number: the natural width (8) holds.
    EXPECT_EQ(Run(xtCSV), "ab...,\"** NU...\"\r\n");
    e_->ColumnWidths()->SetStrings(0, L"2");
    EXPECT_EQ(Run(xtTAB), "...\t** NU...\r\n");
    Without(xoTruncate);
    EXPECT_EQ(Run(xtTAB), "abcdefgh\t** NULL **\r\n");
}

TEST_F(TextFormats, SelectedRowsOnlyWithoutSelectionWritesTheCaptionRow) {
    With(xoSelectedRowsOnly);
    int seen = 0;
    e_->OnExport = [&](fw::TObject*, uint32_t, uint32_t, const TztValues&, bool&) { ++seen; };
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\n");
    EXPECT_EQ(seen, 2);
    e_->SelectedRows = {1};
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\nbb.doc,7\r\n");
}

TEST_F(TextFormats, RowNumbers) {
    e_->Rows.clear();
    for (int i = 1; i <= 120; ++i) e_->Rows.push_back({L"f" + std::to_wstring(i), L"1"});
    With(xoRowNumbers);
    Without(xoShowExportDate);
    const std::string text = Run(xtTXT);
    EXPECT_EQ(text.substr(0, 17), "    Name Size\r\n--");
    EXPECT_NE(text.find("\r\n  1 f1   1   \r\n  2 f2   1   \r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n120 f120 1   \r\n"), std::string::npos);
    const std::string csv = Run(xtCSV);
    EXPECT_EQ(csv.substr(0, 26), ",Name,Size\r\n1,f1,1\r\n2,f2,1");
    e_->SetRowNumberFormat(L"#%d%s");
    EXPECT_EQ(Run(xtTAB).substr(0, 26), "\tName\tSize\r\n#1%s\tf1\t1\r\n#2%");
}

TEST_F(TextFormats, AlignmentsPadTheCells) {
    e_->Rows = {{L"a", L"123"}};
    e_->Alignments = {2, 3};
    e_->ColumnWidths()->Add(L"4");
    e_->ColumnWidths()->Add(L"6");
    Without(xoShowExportDate);
    Without(xoShowHeader);
    Without(xoHeaderLine);
    Without(xoFooterLine);
    EXPECT_EQ(Run(xtTXT), "   a  123  \r\n");
    // A centred text wider than its width stays as it is.
    e_->ColumnWidths()->SetStrings(1, L"1");
    EXPECT_EQ(Run(xtTXT), "   a 123\r\n");
    Without(xoUseAlignments);
    e_->ColumnWidths()->SetStrings(1, L"6");
    EXPECT_EQ(Run(xtTXT), "a    123   \r\n");
}

TEST_F(TextFormats, HiddenColumnsAreLeftOut) {
    e_->HiddenColumns = {0};
    EXPECT_EQ(Run(xtCSV), "Size\r\n12\r\n7\r\n");
    With(xoExportInvisibles);
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\na.txt,12\r\nbb.doc,7\r\n");
}

TEST_F(TextFormats, HeaderAndFooterTexts) {
    e_->OnGetHeader = [](fw::TObject*, uint32_t, std::wstring& h) { h = L"first\r\nsecond"; };
    e_->OnGetFooter = [](fw::TObject*, uint32_t, std::wstring& f) { f = L"bye"; };
    Without(xoShowExportDate);
    EXPECT_EQ(Run(xtTAB), "first\r\nsecond\r\nName\tSize\r\na.txt\t12\r\nbb.doc\t7\r\nbye\r\n");
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\na.txt,12\r\nbb.doc,7\r\n");
}

TEST_F(TextFormats, EmptyGridWithAndWithoutCaptionRow) {
    e_->Rows.clear();
    Without(xoShowExportDate);
    EXPECT_EQ(Run(xtTXT), "Name Size\r\n---------\r\n---------\r\n");
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\n");
    Without(xoShowHeader);
    EXPECT_EQ(Run(xtTXT), "-\r\n-\r\n");
    EXPECT_EQ(Run(xtCSV), "");
    EXPECT_TRUE(FileThere(folder_ + L"\\doc.CSV"));
}

TEST_F(TextFormats, CharacterSets) {
    e_->Rows = {{L"caf\u00e9", L"\u20ac"}};
    Without(xoShowExportDate);
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\ncaf\xe9,\x80\r\n");
    e_->Rows = {{L"\u03a9mega", L"1"}};
    EXPECT_EQ(Run(xtCSV), "\xEF\xBB\xBFName,Size\r\n\xCE\xA9mega,1\r\n");
    EXPECT_EQ(Run(xtTAB), "\xEF\xBB\xBFName\tSize\r\n\xCE\xA9mega\t1\r\n");
}

TEST_F(TextFormats, TabsAndLineBreaksInsideCellsBecomeBlanks) {
    e_->Rows = {{L"a\tb", L"1\r\n2"}, {L"c\rd\ne", L"3"}};
    Without(xoShowExportDate);
    // One row per line, the columns where they belong.
    EXPECT_EQ(Run(xtTAB), "Name\tSize\r\na b\t1 2\r\nc d e\t3\r\n");
    EXPECT_EQ(Run(xtTXT), "Name  Size\r\n----------\r\na b   1 2 \r\nc d e 3   \r\n----------\r\n");
    // The spreadsheet-like formats that quote keep them.
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\na\tb,\"1\r\n2\"\r\n\"c\rd\ne\",3\r\n");
}

TEST_F(TextFormats, PaddedWidthsCountCharactersNotUnits) {
    // Outside the basic plane a character takes two UTF-16 units.
    e_->Rows = {{L"\U0001F600\U0001F600", L"1"}, {L"ab", L"\U00020000"}};
    e_->ColumnWidths()->Add(L"4");
    e_->ColumnWidths()->Add(L"4");
    e_->Alignments = {3, 2};
    Without(xoShowExportDate);
    // Every line is as long as the rule: 9 characters.
    EXPECT_EQ(Run(xtTXT), "\xEF\xBB\xBF" + Utf8(L"Name Size\r\n---------\r\n \U0001F600\U0001F600     1\r\n"
                                                L" ab     \U00020000\r\n---------\r\n"));
}
