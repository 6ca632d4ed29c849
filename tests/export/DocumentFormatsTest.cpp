// HTML, RTF, DIF, SYLK and spreadsheet documents written by the engine.
#include <gtest/gtest.h>

#include "framework/Graphics.h"
#include "tests/export/ExportTestSource.h"

using DocumentFormats = ExportFixture;

TEST_F(DocumentFormats, HtmlWithTheMainWindowsSettings) {
    e_->Rows[1] = {L"x <b> & \"q\"", L""};
    e_->HTML()->SetTitle(L"Tabulorin & Co");
    const std::string expected =
        "<!-- THIS FILE WAS CREATED BY ZETTEL'S EXPORT COMPONENTS -->\r\n"
        "<!-- DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 TRANSITIONAL//EN\" -->\r\n"
        "<HTML>\r\n"
        " <HEAD>\r\n"
        "  <META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">\r\n"
        "  <META NAME = \"GENERATOR\" CONTENT = \"Zettel's Export Components 2.38\">\r\n"
        "  <META NAME = \"Author\" CONTENT = \"Dovrelanz\" >\r\n"
        "  <META NAME = \"Description\" CONTENT = \"https://dovrelanz.example/\">\r\n"
        "  <TITLE>Tabulorin &amp; Co</TITLE>\r\n"
        " </HEAD>\r\n"
        " <BODY BGCOLOR=\"#FFFFFF\" LINK=\"#0000FF\" ALINK=\"#FF0000\" VLINK=\"#FFFF00\" TEXT=\"#000000\">\r\n"
        " <FONT COLOR=\"#000000\" FACE=\"Arial,Helvetica\">\r\n"
        "  <HR>\r\n"
        "  <TABLE WIDTH=\"100%\" CELLPADDING=\"4\" CELLSPACING=\"0\" BORDER=\"1\" BGCOLOR=\"#FFFFCF\">\r\n"
        "  <FONT COLOR=\"#000000\" FACE=\"Arial,Helvetica\">\r\n"
        "   <TR BGCOLOR=\"#336699\">\r\n"
        "    <TD><B><FONT COLOR=\"#FFFFFF\"><small>Name</small></FONT></B></TD>\r\n"
        "    <TD><B><FONT COLOR=\"#FFFFFF\"><small>Size</small></FONT></B></TD>\r\n"
        "   </TR>\r\n"
        "   <TR>\r\n"
        "    <TD><small>a.txt</small></TD>\r\n"
        "    <TD><small>12</small></TD>\r\n"
        "   </TR>\r\n"
        "   <TR BGCOLOR=\"#FFFFFF\">\r\n"
        "    <TD><small>x &lt;b&gt; &amp; &quot;q&quot;</small></TD>\r\n"
        "    <TD><small>&nbsp;</small></TD>\r\n"
        "   </TR>\r\n"
        "  </FONT>\r\n"
        "  </TABLE>\r\n"
        "  <HR>\r\n"
        " </FONT>\r\n"
        " </BODY>\r\n"
        "</HTML>\r\n";
    EXPECT_EQ(Run(xtHTML), expected);
}

TEST_F(DocumentFormats, HtmlLinksRowNumbersAndCharset) {
    e_->Rows = {{L"write to mailto:a@b.c?x=1&y=2", L"\u03a9"}};
    e_->SetOptions(e_->Options().Include(xoRowNumbers).Exclude(xoShowHeader));
    e_->HTML()->SetTitle(L"Tabulorin & Co");
    e_->HTML()->SetOptions({hoAutoLink});
    e_->ColumnWidths()->Add(L"40%");
    const std::string html = Run(xtHTML);
    EXPECT_EQ(html.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(html.find("charset=utf-8\">"), std::string::npos);
    EXPECT_EQ(html.find("<TITLE>"), std::string::npos);
    EXPECT_NE(html.find("  <TABLE WIDTH=\"100%\" CELLPADDING=\"4\" CELLSPACING=\"0\" BGCOLOR=\"#FFFFCF\">\r\n"
                        "  <FONT COLOR=\"#000000\" FACE=\"Arial,Helvetica\">\r\n   <TR>\r\n"
                        "    <TD ALIGN=\"Right\">1</TD>\r\n"
                        "    <TD WIDTH=\"40%\"><small><A HREF=\"write to mailto:a@b.c?x=1&amp;y=2\">"
                        "write to mailto:a@b.c?x=1&amp;y=2</A></small></TD>\r\n"
                        "    <TD><small>\xCE\xA9</small></TD>\r\n"),
              std::string::npos)
        << html;
}

TEST_F(DocumentFormats, RtfTableRows) {
    e_->Names = {L"A", L"B", L"C"};
    e_->Rows = {{L"C:\\Users\\x\\a.txt", L"{b}", L"caf\u00e9 \u03a9"}, {L"2", L"", L"x  y"}};
    fw::TFont* table = e_->DOC_RTF()->CustomSettings()->TableFont();
    table->SetSize(8);
    table->SetStyle(fw::fsBold | fw::fsItalic);
    const std::string rtf = Run(xtRTF);
    EXPECT_EQ(rtf.substr(0, 38), "{\\rtf1\\ansi\\deff0\\deftab720\r\n{\\fonttbl");
    EXPECT_NE(rtf.find("{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;\\red0\\green0\\blue0;"
                       "\\red0\\green0\\blue128;\\red255\\green255\\blue255;\\red128\\green255\\blue0;}\r\n"
                       "\\margl461\\margr562\\margt101\\margb101\\par \\pard\\plain\\cgrid\r\n"),
              std::string::npos);
    for (const char* edge : {"\\cellx1458", "\\cellx2917", "\\cellx4375"})
        EXPECT_TRUE(fw::ScreenPixelsPerInch() != 96 || rtf.find(edge) != std::string::npos) << edge;
    EXPECT_NE(rtf.find(" {\\f2\\fs16\\b\\i\\cf2\\cgrid0 C:\\\\Users\\\\x\\\\a.txt\\cell \\{b\\}\\cell "
                       "caf\\'e9 {\\u937?}\\cell }\\pard \\nowidctlpar\\widctlpar\\intbl\\adjustright {\\row}\r\n"),
              std::string::npos)
        << rtf;
    EXPECT_NE(rtf.find("\\cell x \\'20y\\cell }"), std::string::npos) << "a run of blanks survives";
    // Caption row, then even and odd rows, shaded as the template says.
    const size_t caption = rtf.find("\\clcbpat3");
    const size_t even = rtf.find("\\clcbpat4");
    const size_t odd = rtf.find("\\clcbpat5");
    EXPECT_TRUE(caption < even && even < odd);
    EXPECT_EQ(rtf.substr(rtf.size() - 2), "}}");
    EXPECT_EQ(Run(xtWord), rtf) << "the word-processor document is the same";
    // It passed through the component's output stream.
    fw::TMemoryStream* stream = e_->OutputStream();
    EXPECT_EQ(std::string(static_cast<const char*>(stream->Memory()), size_t(stream->Size())), rtf);
    // Code-page bytes only in a font of the code page's character set (a symbol
    // font has another): in any other a reader would take them for other characters.
    table->SetName(L"Symbol");
    const std::string symbol = Run(xtRTF);
    EXPECT_NE(symbol.find("\\fcharset2 "), std::string::npos) << symbol.substr(0, 200);
    EXPECT_NE(symbol.find("\\cgrid0 C:\\\\Users\\\\x\\\\a.txt\\cell \\{b\\}\\cell caf{\\u233?} {\\u937?}\\cell "),
              std::string::npos);
}

TEST_F(DocumentFormats, TabsAndLineBreaksInsideCells) {
    e_->Rows = {{L"a\tb", L"1\r\n2"}, {L"c\rd\ne", L"3"}};
    // TAB and padded text cannot carry them: a blank each, one row per line.
    EXPECT_EQ(Run(xtTAB), "Name\tSize\r\na b\t1 2\r\nc d e\t3\r\n");
    EXPECT_EQ(Run(xtTXT), "Name  Size\r\n----------\r\na b   1 2 \r\nc d e 3   \r\n----------\r\n");
    // CSV quotes and keeps them.
    EXPECT_EQ(Run(xtCSV), "Name,Size\r\na\tb,\"1\r\n2\"\r\n\"c\rd\ne\",3\r\n");
    e_->Names = {L"A"};
    e_->Rows = {{L"1\r\n2"}, {L"3\r4"}, {L"5\n6"}, {L"7\r\n\r\n8\t9"}};
    Without(xoShowHeader);
    // RTF keeps them: each break (CR LF being one) is one \line.
    const std::string rtf = Run(xtRTF);
    for (const char* cell : {"1\\line 2\\cell", "3\\line 4\\cell", "5\\line 6\\cell", "7\\line \\line 8\\tab 9\\cell"})
        EXPECT_NE(rtf.find(cell), std::string::npos) << cell;
    // DIF and SYLK cannot carry them: one blank for each.
    const std::string dif = Run(xtDIF);
    EXPECT_NE(dif.find("\"1 2\"\r\n-1,0\r\nBOT\r\n1,0\r\n\"3 4\"\r\n-1,0\r\nBOT\r\n1,0\r\n\"5 6\""), std::string::npos);
    EXPECT_NE(dif.find("\"7  8 9\""), std::string::npos);
    EXPECT_EQ(
        Run(xtSYLK),
        "ID;PTTESTEXPORT\r\nC;X1;Y1;K\"1 2\"\r\nC;X1;Y2;K\"3 4\"\r\nC;X1;Y3;K\"5 6\"\r\nC;X1;Y4;K\"7  8 9\"\r\nE\r\n");
}

TEST_F(DocumentFormats, DifCountsWhatItWrites) {
    e_->Rows = {{L"say \"hi\"", L"a b"}, {L"007", L""}};
    e_->HiddenColumns = {1};
    EXPECT_EQ(Run(xtDIF),
              "TABLE\r\n0,1\r\n\"TTESTEXPORT\"\r\nVECTORS\r\n0,1\r\n\"\"\r\nTUPLES\r\n0,3\r\n\"\"\r\n"
              "DATA\r\n0,0\r\n\"\"\r\n"
              "-1,0\r\nBOT\r\n1,0\r\n\"Name\"\r\n"
              "-1,0\r\nBOT\r\n1,0\r\n\"say \"hi\"\"\r\n"
              "-1,0\r\nBOT\r\n1,0\r\n\"007\"\r\n"
              "-1,0\r\nEOD\r\n");
    e_->HiddenColumns.clear();
    e_->SetOptions(e_->Options().Include(xoRowNumbers).Exclude(xoShowHeader));
    const std::string dif = Run(xtDIF);
    EXPECT_NE(dif.find("VECTORS\r\n0,3\r\n\"\"\r\nTUPLES\r\n0,2\r\n"), std::string::npos);
    EXPECT_NE(dif.find("BOT\r\n1,0\r\n\"2\"\r\n1,0\r\n\"007\"\r\n1,0\r\n\"\"\r\n-1,0\r\nEOD"), std::string::npos);
}

TEST_F(DocumentFormats, SylkCells) {
    e_->Rows = {{L"say \"hi\"", L"a;b & c"}, {L"", L"\u03a9"}};
    EXPECT_EQ(Run(xtSYLK),
              "ID;PTTESTEXPORT\r\n"
              "C;X1;Y1;K\"Name\"\r\nC;X2;Y1;K\"Size\"\r\n"
              "C;X1;Y2;K\"say \"hi\"\"\r\nC;X2;Y2;K\"a;;b & c\"\r\n"
              "C;X1;Y3;K\"\"\r\nC;X2;Y3;K\"?\"\r\n"
              "E\r\n");
    With(xoRowNumbers);
    const std::string sylk = Run(xtSYLK);
    EXPECT_NE(sylk.find("C;X2;Y1;K\"Name\"\r\nC;X3;Y1;K\"Size\"\r\nC;X1;Y2;K\"1\"\r\nC;X2;Y2;K\"say"),
              std::string::npos);
    // A row without a cell leaves no line.
    Without(xoRowNumbers);
    e_->HiddenColumns = {0, 1};
    EXPECT_EQ(Run(xtSYLK), "ID;PTTESTEXPORT\r\nE\r\n");
}

TEST_F(DocumentFormats, SpreadsheetCells) {
    e_->Rows = {{L"12", L"007"}, {L"3.5", L"70000"}, {L"1e5", L"-0"}};
    With(xoRowNumbers);
    e_->EXCEL()->SetLeftMargin(0.25);
    e_->EXCEL()->SetBottomMargin(0.5);
    e_->EXCEL()->SetTopMargin(0.75);
    e_->EXCEL()->SetRightMargin(1);
    const auto records = SheetRecords(Run(xtExcel));
    ASSERT_GT(records.size(), 24u);
    std::vector<int> codes;
    for (const auto& r : records) codes.push_back(r.first);
    // Head: fonts, footer, margins left, bottom, top, right; the format record.
    const std::vector<int> head = {0x0009, 0x0042, 0x0000, 0x0031, 0x0031, 0x0031,
                                   0x0015, 0x0026, 0x0029, 0x0028, 0x0027, 0x0043};
    EXPECT_EQ(std::vector<int>(codes.begin(), codes.begin() + 12), head);
    const double margins[] = {0.25, 0.5, 0.75, 1};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(records[7 + i].second, std::string(reinterpret_cast<const char*>(&margins[i]), 8)) << i;
    // Caption row: a blank, then two labels in font 1 with all borders.
    EXPECT_EQ(codes[12], 0x0001);
    EXPECT_EQ(records[13].second.substr(4, 3), std::string("\x40\x40\x78", 3));
    // Rows: row number, then the cells; numbers only where the text comes back the same.
    const std::vector<int> cells = {0x0002, 0x0002, 0x0004,   // 1, 12, 007
                                    0x0002, 0x0003, 0x0003,   // 2, 3.5, 70000
                                    0x0002, 0x0004, 0x0004};  // 3, 1e5, -0
    EXPECT_EQ(std::vector<int>(codes.begin() + 15, codes.begin() + 24), cells);
    EXPECT_EQ(records[15].second.substr(0, 4), std::string("\x01\0\0\0", 4));  // row 2, column 1
    EXPECT_EQ(records[15].second.substr(4, 3), std::string("\x40\x80\x78", 3));
    EXPECT_EQ(codes.back(), 0x000A);
    // The options' page header, and one width for every column from 1 to 256.
    e_->EXCEL()->SetHeader(L"&A");
    e_->EXCEL()->SetColumnWidth(33);
    e_->EXCEL()->SetOptions({reSetColumnWidths});
    const auto sheet = SheetRecords(Run(xtExcel));
    ASSERT_GT(sheet.size(), 8u);
    EXPECT_EQ(sheet[6], std::make_pair(0x0014, std::string("\x02&A")));
    EXPECT_EQ(sheet[7], std::make_pair(0x0015, std::string("\x02&P")));
    EXPECT_EQ(sheet[8], std::make_pair(0x0024, std::string("\x00\xFF\x00\x21", 4))) << "columns 1 to 256, 33 x 256";
    // A row number that is no whole number is written as a text.
    e_->SetRowNumberFormat(L"%d.5");
    int numbers = 0;
    for (const auto& [code, data] : SheetRecords(Run(xtExcel)))
        if (code >= 0x0001 && code <= 0x0005 && data.substr(2, 2) == std::string(2, '\0') && data[0] != 0) {
            EXPECT_EQ(code, 0x0004);
            EXPECT_EQ(data.substr(7), "\x03" + std::to_string(++numbers) + ".5");
        }
    EXPECT_EQ(numbers, 3);
    // With xoUseAlignments each column's alignment (right 3, centre 2), general again after the cell.
    e_->Alignments = {2, 3};
    std::vector<int> captions, numberCells;
    for (const auto& [code, data] : SheetRecords(Run(xtExcel))) {
        if (code != 0x0004) continue;
        if (data[0] == 0) captions.push_back(data[6] & 7);
        else if (data.substr(2, 2) == std::string(2, '\0')) numberCells.push_back(data[6] & 7);
    }
    EXPECT_EQ(captions, (std::vector<int>{3, 2}));
    EXPECT_EQ(numberCells, (std::vector<int>{0, 0, 0}));
}

namespace {

// The (row, column) of each cell record, 0-based.
std::vector<std::pair<int, int>> CellPlaces(const std::vector<std::pair<int, std::string>>& Records) {
    std::vector<std::pair<int, int>> places;
    for (const auto& r : Records)
        if (r.first >= 0x0001 && r.first <= 0x0005)
            places.emplace_back(uint8_t(r.second[0]) | (uint8_t(r.second[1]) << 8),
                                uint8_t(r.second[2]) | (uint8_t(r.second[3]) << 8));
    return places;
}

}  // namespace

TEST_F(DocumentFormats, SpreadsheetStopsAtTheLastRowOfItsVersionAndSaysSo) {
    // The records are the first version's: its sheet ends at row 16,384.
    e_->Rows.assign(16390, {L"r", L"1"});
    Without(xoShowHeader);
    e_->OnGetFooter = [](fw::TObject*, uint32_t, std::wstring& f) { f = L"end"; };
    int exported = 0;
    e_->OnExport = [&](fw::TObject*, uint32_t, uint32_t, const TztValues&, bool&) { ++exported; };
    const auto places = CellPlaces(SheetRecords(Run(xtExcel)));
    EXPECT_EQ(exported, 16390);
    ASSERT_FALSE(places.empty());
    EXPECT_EQ(places.back(), std::make_pair(16383, 1));
    EXPECT_EQ(std::count(places.begin(), places.end(), std::make_pair(16383, 0)), 1) << "no row is written over";
    EXPECT_EQ(errors_, std::vector<TztExportError>{xeRowsLeftOut});
    errors_.clear();
    // The footer lines go down as far as the sheet goes: rows 2 to 16,381, the footer from 16,383.
    e_->Rows.resize(16380);
    e_->OnGetFooter = [](fw::TObject*, uint32_t, std::wstring& f) { f = L"f1\r\nf2\r\nf3"; };
    const auto footer = CellPlaces(SheetRecords(Run(xtExcel)));
    ASSERT_GT(footer.size(), 2u);
    const std::vector<std::pair<int, int>> last(footer.end() - 3, footer.end());
    EXPECT_EQ(last, (std::vector<std::pair<int, int>>{{16380, 1}, {16382, 0}, {16383, 0}}));
    EXPECT_EQ(errors_, std::vector<TztExportError>{xeRowsLeftOut});
    errors_.clear();
    // So does a header longer than the sheet: its lines fill the first column, nothing follows.
    With(xoShowHeader);
    e_->OnGetHeader = [](fw::TObject*, uint32_t, std::wstring& h) {
        for (int i = 0; i < 16390; ++i) h += L"h\r\n";
    };
    const auto header = CellPlaces(SheetRecords(Run(xtExcel)));
    ASSERT_EQ(header.size(), 16384u);
    EXPECT_EQ(header.back(), std::make_pair(16383, 0));
    EXPECT_EQ(errors_, std::vector<TztExportError>{xeRowsLeftOut});
    errors_.clear();
}

TEST_F(DocumentFormats, SpreadsheetColumnsPastTheSheetAreLeftOutAndRowsStayInPlace) {
    e_->Names.clear();
    for (int c = 0; c < 300; ++c) e_->Names.push_back(L"c" + std::to_wstring(c));
    e_->Rows = {std::vector<std::wstring>(300, L"x"), std::vector<std::wstring>(300, L"y")};
    With(xoRowNumbers);
    const auto places = CellPlaces(SheetRecords(Run(xtExcel)));
    std::vector<int> cellsPerRow(4, 0);
    for (const auto& [row, col] : places) {
        ASSERT_LT(col, 256);
        ASSERT_LT(row, 4);
        ++cellsPerRow[size_t(row)];
    }
    EXPECT_EQ(cellsPerRow, (std::vector<int>{256, 256, 256, 0})) << "caption row, two rows, nothing below";
    EXPECT_EQ(errors_, std::vector<TztExportError>{xeColumnsLeftOut}) << "reported once";
    errors_.clear();
}

TEST_F(DocumentFormats, SpreadsheetHeaderLinesGoDownTheFirstColumn) {
    e_->Rows[1] = {L"x <b> & \"q\"", L""};
    e_->OnGetHeader = [](fw::TObject*, uint32_t, std::wstring& h) { h = L"h1\r\nh2"; };
    e_->OnGetFooter = [](fw::TObject*, uint32_t, std::wstring& f) { f = L"f1"; };
    e_->EXCEL()->SetOptions({reCellsAsText});
    const auto records = SheetRecords(Run(xtExcel));
    std::vector<std::string> texts;
    for (const auto& r : records)
        if (r.first >= 0x0001 && r.first <= 0x0005) texts.push_back(r.first == 0x0004 ? r.second.substr(8) : "<blank>");
    EXPECT_EQ(CellPlaces(records),
              (std::vector<std::pair<int, int>>{
                  {0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {4, 0}, {4, 1}, {5, 0}, {5, 1}, {7, 0}}));
    EXPECT_EQ(texts, (std::vector<std::string>{"h1", "h2", "<blank>", "Name", "Size", "a.txt", "12", "x <b> & \"q\"",
                                               "", "f1"}));
}

TEST_F(DocumentFormats, HtmlOddRowsFollowTheSourceAlignmentsAndPlainCaptions) {
    e_->Rows = {{L"r0", L"1"}, {L"r1", L"2"}, {L"r2", L"3"}, {L"r3", L"4"}};
    e_->Alignments = {1, 3};
    // Only rows 0 and 3 are written: the second one written is still an odd row.
    e_->SelectedRows = {0, 3};
    With(xoSelectedRowsOnly);
    e_->HTML()->SetOptions({hoOddRowColoring});
    e_->HTML()->SetTemplate(ctCustom);
    e_->HTML()->CustomColors()->SetTableFontFace(L"Verdana");
    const std::string html = Run(xtHTML);
    EXPECT_NE(html.find("  <FONT COLOR=\"#000000\" FACE=\"Verdana\">\r\n   <TR BGCOLOR=\"#336699\">\r\n"
                        "    <TD ALIGN=\"Left\" ><FONT COLOR=\"#FFFFFF\"><small>Name</small></FONT></TD>\r\n"
                        "    <TD ALIGN=\"Center\" ><FONT COLOR=\"#FFFFFF\"><small>Size</small></FONT></TD>\r\n"
                        "   </TR>\r\n   <TR>\r\n    <TD ALIGN=\"Left\" ><small>r0</small></TD>\r\n"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("   <TR BGCOLOR=\"#FFFFFF\">\r\n    <TD ALIGN=\"Left\" ><small>r3</small></TD>"),
              std::string::npos)
        << html;
    EXPECT_EQ(html.find("r1"), std::string::npos);
    EXPECT_EQ(html.find("<TITLE>"), std::string::npos);
    for (const wchar_t* link : {L"http:", L"https:", L"ftp:", L"news:", L"nntp:", L"mailto:", L"see http:x"})
        EXPECT_TRUE(TztCustomExport::IsLink(link)) << link;
    for (const wchar_t* text : {L"HTTP:x", L"http", L"mail:", L"ftp :x"})
        EXPECT_FALSE(TztCustomExport::IsLink(text)) << text;
}

TEST_F(DocumentFormats, RtfAlignmentsRowNumbersParagraphsAndPlainRows) {
    e_->Alignments = {2, 3};
    With(xoRowNumbers);
    e_->OnGetHeader = [](fw::TObject*, uint32_t, std::wstring& h) { h = L"top"; };
    e_->OnGetFooter = [](fw::TObject*, uint32_t, std::wstring& f) { f = L"end"; };
    e_->DOC_RTF()->SetOptions({});
    e_->DOC_RTF()->SetTopMargin(99);
    const std::string rtf = Run(xtRTF);
    const std::string style = "\\fs" + std::to_string(e_->DOC_RTF()->CustomSettings()->DefaultFont()->Size() * 2);
    EXPECT_NE(rtf.find("\\margl461\\margr562\\margt99\\margb101\\par \\pard\\plain\\f0" + style +
                       "\\cf0 top\r\n\\par \\pard\\plain\\cgrid\r\n"),
              std::string::npos)
        << rtf;
    EXPECT_NE(rtf.find("\\cgrid0  \\cell \\qr Name\\cell \\qc Size\\cell }"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\cgrid0 1\\cell \\qr a.txt\\cell \\qc 12\\cell }"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\cgrid0 2\\cell \\qr bb.doc"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("\\clbrdrt"), std::string::npos) << "no grid lines";
    EXPECT_EQ(rtf.find("\\clcbpat5"), std::string::npos) << "no odd-row colouring";
    EXPECT_NE(rtf.find("\\clvertalc \\clcbpat4\\cltxlrtb\\cellx"), std::string::npos);
    const std::string tail =
        "\\pard\\nowidctlpar\\widctlpar\\adjustright {\r\n\\par \\pard\\plain\\f0" + style + "\\cf0 end\r\n}}";
    ASSERT_GT(rtf.size(), tail.size());
    EXPECT_EQ(rtf.substr(rtf.size() - tail.size()), tail) << rtf;
    // A DIF caption row begins with the empty cell of the number column.
    const std::string dif = Run(xtDIF);
    EXPECT_NE(
        dif.find("-1,0\r\nBOT\r\n1,0\r\n\"\"\r\n1,0\r\n\"Name\"\r\n1,0\r\n\"Size\"\r\n-1,0\r\nBOT\r\n1,0\r\n\"1\""),
        std::string::npos)
        << dif;
}
