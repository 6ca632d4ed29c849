// The main window's output: the save commands through the save dialog in every
// format, read back; the clipboard and preview commands; and how the column
// boxes, the header option and the full-path column shape the written columns.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "tests/app/MainWindowFixture.h"
#include "tests/common/DialogAnswer.h"

namespace mainwin {
namespace {

using Row = std::vector<std::wstring>;
using Table = std::vector<Row>;

std::wstring FromFile(const std::wstring& name) {
    std::ifstream in(name.c_str(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // UTF-8 with its mark, else the ANSI code page.
    const bool utf8 = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    const std::string body = utf8 ? bytes.substr(3) : bytes;
    const UINT page = utf8 ? CP_UTF8 : CP_ACP;
    std::wstring text(body.size(), L'\0');
    text.resize(size_t(MultiByteToWideChar(page, 0, body.data(), int(body.size()), text.data(), int(text.size()))));
    return text;
}

// Comma-separated text: quoted fields may hold commas, quotes ("") and line breaks.
Table ReadCsv(const std::wstring& text) {
    Table table;
    Row row;
    std::wstring field;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (quoted) {
            if (c == L'"' && i + 1 < text.size() && text[i + 1] == L'"') field += text[++i];
            else if (c == L'"') quoted = false;
            else field += c;
        } else if (c == L'"') {
            quoted = true;
        } else if (c == L',') {
            row.push_back(field);
            field.clear();
        } else if (c == L'\n') {
            row.push_back(field);
            table.push_back(row);
            row.clear();
            field.clear();
        } else if (c != L'\r') {
            field += c;
        }
    }
    if (!field.empty() || !row.empty()) {
        row.push_back(field);
        table.push_back(row);
    }
    return table;
}

// Tab-separated text, without its rule lines and the line that dates it.
Table ReadTabbed(const std::wstring& text) {
    Table table;
    std::wistringstream in(text);
    std::wstring line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (!line.empty() && line.find_first_not_of(L'-') == std::wstring::npos) continue;
        if (line.compare(0, 8, L"Created:") == 0) continue;
        Row row;
        size_t start = 0;
        for (size_t tab; (tab = line.find(L'\t', start)) != std::wstring::npos; start = tab + 1)
            row.push_back(line.substr(start, tab - start));
        row.push_back(line.substr(start));
        table.push_back(row);
    }
    return table;
}

std::wstring Trim(const std::wstring& s) {
    const size_t a = s.find_first_not_of(L' ');
    return a == std::wstring::npos ? L"" : s.substr(a, s.find_last_not_of(L' ') - a + 1);
}

class OutputTest : public MainWindowFixture {
protected:
    // What the window should write: the caption row, an empty row, the listed
    // items with their list texts, an empty last row (with headers).
    Table Expected(bool Headers = true) {
        Table table;
        fw::TCheckBox* const boxes[] = {form->cbItem, form->cbSize, form->cbType, form->cbDate};
        if (Headers) {
            Row captions = {form->ZFL->Columns()->Items(0)->Caption()};
            for (int f = 0; f < 4; ++f)
                if (boxes[f]->Checked()) captions.push_back(form->ZFL->Columns()->Items(f + 1)->Caption());
            if (form->cbFilePath->Checked()) captions.push_back(L"Full FilePath");
            table.push_back(captions);
            table.push_back(Row(captions.size()));
        }
        for (int i = 0; i < form->ZFL->Items()->Count(); ++i) {
            auto* item = form->ZFL->Items()->Item(i);
            std::wstring name = fw::ExtractFileName(item->FullPath());
            if (!form->cbExt->Checked()) name = fw::ChangeFileExt(name, L"");
            Row row = {L"  " + name};
            for (int f = 0; f < 4; ++f)
                if (boxes[f]->Checked())
                    row.push_back(f < item->SubItems().Count() ? item->SubItems().Strings(f) : L"");
            if (form->cbFilePath->Checked()) row.push_back(item->FullPath());
            table.push_back(row);
        }
        table.push_back(Row(table.empty() ? 1 : table.front().size()));
        return table;
    }
    // Runs a save command with the dialog answered with Name; returns whether it was shown.
    bool Save(void (TForm1::*Command)(fw::TObject*), const std::wstring& Name) {
        testenv::DialogAnswer answer([&](HWND d) {
            SendMessageW(testenv::DialogEdit(d, 0x47c), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Name.c_str()));
            PostMessageW(d, WM_COMMAND, IDOK, 0);
        });
        (form->*Command)(nullptr);
        fw::Application()->ProcessMessages();
        return answer.Answered();
    }
    std::wstring folder = testenv::NewScratchFolder(L"saved");
};

TEST_F(OutputTest, SavesInEveryFormatWithTheFormatsExtension) {
    ASSERT_TRUE(Save(&TForm1::SaveasCSVClick, folder + L"\\list.foo"));
    // The written name carries the format's extension, whatever was typed.
    EXPECT_EQ(ReadCsv(FromFile(folder + L"\\list.CSV")), Expected());
    ASSERT_TRUE(Save(&TForm1::SaveasTabbedClick, folder + L"\\tabbed"));
    EXPECT_EQ(ReadTabbed(FromFile(folder + L"\\tabbed.TXT")), Expected());
    ASSERT_TRUE(Save(&TForm1::SaveasHTMLClick, folder + L"\\page"));
    const std::wstring html = FromFile(folder + L"\\page.HTML");
    for (const Row& row : Expected()) {
        for (const std::wstring& cell : row) {
            if (!Trim(cell).empty()) {
                EXPECT_NE(html.find(Trim(cell)), std::wstring::npos);
            }
        }
    }
    ASSERT_TRUE(Save(&TForm1::SaveasTextFileClick, folder + L"\\plain"));
    const std::wstring text = FromFile(folder + L"\\plain.TXT");
    for (const Row& row : Expected()) {
        for (const std::wstring& cell : row) {
            if (!Trim(cell).empty()) {
                EXPECT_NE(text.find(Trim(cell)), std::wstring::npos);
            }
        }
    }
    EXPECT_FALSE(form->BtnSave->Down());
    EXPECT_TRUE(boxes.empty());
    // The grid is emptied after every command.
    EXPECT_EQ(form->MyGrid->Cells(0, 0), L"");
}

// Saved for the host readers (readback_app.py): every sample with the cells it must hold.
TEST_F(OutputTest, SavesForTheHostReaders) {
    const std::wstring shared = testenv::ScratchRoot() + L"app-readback";
    CreateDirectoryW(shared.c_str(), nullptr);
    std::string json = "{\"samples\": [\n";
    auto sample = [&](void (TForm1::*Command)(fw::TObject*), const std::wstring& Name, const std::wstring& File,
                      const char* Format) {
        ASSERT_TRUE(Save(Command, shared + L"\\" + Name));
        std::string entry =
            "  {\"file\": " + testenv::JsonString(File) + ", \"format\": \"" + Format + "\", \"rows\": [";
        const Table expected = Expected();
        for (size_t r = 0; r < expected.size(); ++r) {
            entry += r ? ",\n    [" : "\n    [";
            for (size_t c = 0; c < expected[r].size(); ++c)
                entry += (c ? ", " : "") + testenv::JsonString(expected[r][c]);
            entry += "]";
        }
        json += (json.size() > 20 ? ",\n" : "") + entry + "]}";
    };
    form->cbFilePath->SetChecked(true);
    form->SearchSubfoldes->SetChecked(true);
    WaitIdle();
    sample(&TForm1::SaveasCSVClick, L"listing", L"listing.CSV", "csv");
    sample(&TForm1::SaveasHTMLClick, L"listing", L"listing.HTML", "html");
    json += "\n]}\n";
    FILE* f = _wfopen((shared + L"\\expected.json").c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    fwrite(json.data(), 1, json.size(), f);
    fclose(f);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(OutputTest, TheOverwriteQuestionNamesTheFileThatIsWritten) {
    ASSERT_TRUE(Save(&TForm1::SaveasCSVClick, folder + L"\\again.txt"));
    const std::wstring written = folder + L"\\again.CSV";
    ASSERT_TRUE(fw::FileExists(written));
    std::ofstream(written.c_str(), std::ios::trunc) << "kept";
    boxAnswer = IDNO;
    ASSERT_TRUE(Save(&TForm1::SaveasCSVClick, folder + L"\\again.txt"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(written), std::wstring::npos);
    EXPECT_EQ(FromFile(written), L"kept");  // refused: nothing written, nothing more said
    boxAnswer = IDYES;
    ASSERT_TRUE(Save(&TForm1::SaveasCSVClick, folder + L"\\again.txt"));
    EXPECT_EQ(ReadCsv(FromFile(written)), Expected());
}

TEST_F(OutputTest, ACancelledDialogWritesNothingAndReleasesTheButton) {
    form->BtnSave->SetDown(true);
    testenv::DialogAnswer answer([](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
    form->SaveasTextFileClick(form->BtnSave);
    EXPECT_TRUE(answer.Answered());
    EXPECT_FALSE(form->BtnSave->Down());
    EXPECT_EQ(form->DlgSave->Filter(), L"Text File|*.txt|All Files|*");
    EXPECT_EQ(form->DlgSave->DefaultExt(), L"txt");
    EXPECT_TRUE(form->DlgSave->Options() & fw::ofOverwritePrompt);  // the window asks itself, for the written name
    EXPECT_TRUE(boxes.empty());
}

TEST_F(OutputTest, ClipboardAndPreview) {
    form->SavetoClipboardClick(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], L"Data was copied to clipboard!");
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const std::wstring clip = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data) GlobalUnlock(data);
    CloseClipboard();
    EXPECT_NE(clip.find(L"  alpha.txt"), std::wstring::npos);
    EXPECT_TRUE(viewed.empty());

    form->btnPreview->SetDown(true);
    form->PreviewAsTextClick(form->btnPreview);
    form->PreviewAsCSVClick(nullptr);
    form->PreviewAsHTMLClick(nullptr);
    form->PreviewAsTABClick(nullptr);
    ASSERT_EQ(viewed.size(), 4u);
    EXPECT_FALSE(form->btnPreview->Down());
    EXPECT_EQ(fw::UpperCase(fw::ExtractFileExt(viewed[1])), L".CSV");
    EXPECT_EQ(ReadCsv(FromFile(viewed[1])), Expected());
    EXPECT_EQ(fw::UpperCase(fw::ExtractFileExt(viewed[2])), L".HTML");
    // Right after a preview the clipboard still only takes the text.
    viewed.clear();
    form->SavetoClipboardClick(nullptr);
    EXPECT_TRUE(viewed.empty());
}

TEST_F(OutputTest, TheColumnBoxesHeadersAndFullPathShapeTheColumns) {
    form->cbSize->SetChecked(false);
    WaitIdle();
    EXPECT_EQ(form->ZFL->Columns()->Items(2)->Width(), 0);
    form->cbItem->SetChecked(true);
    WaitIdle();
    EXPECT_EQ(form->ZFL->Columns()->Items(1)->Width(), 150);
    form->cbFilePath->SetChecked(true);
    WaitIdle();
    ASSERT_TRUE(Save(&TForm1::SaveasCSVClick, folder + L"\\columns"));
    Table table = ReadCsv(FromFile(folder + L"\\columns.CSV"));
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(table[0].size(), 5u);  // name, folder, type, date, full path
    EXPECT_EQ(table[0].back(), L"Full FilePath");
    EXPECT_EQ(table, Expected());
    // The full path is in its own column once, also after the texts were reported again.
    for (int i = 0; i < form->ZFL->Items()->Count(); ++i) {
        auto* item = form->ZFL->Items()->Item(i);
        int found = 0;
        for (int s = 0; s < item->SubItems().Count(); ++s) found += item->SubItems().Strings(s) == item->FullPath();
        EXPECT_EQ(found, 1);
    }

    form->cbHeaders->SetChecked(false);
    WaitIdle();
    EXPECT_FALSE(form->ZFL->ShowColumnHeaders());
    form->cbExt->SetChecked(false);
    WaitIdle();
    ASSERT_TRUE(Save(&TForm1::SaveasCSVClick, folder + L"\\bare"));
    table = ReadCsv(FromFile(folder + L"\\bare.CSV"));
    EXPECT_EQ(table, Expected(false));
    EXPECT_EQ(table[0][0].find(L'.'), std::wstring::npos);

    // Every box off: only the names.
    for (fw::TCheckBox* box : {form->cbItem, form->cbType, form->cbDate, form->cbFilePath}) box->SetChecked(false);
    WaitIdle();
    ASSERT_TRUE(Save(&TForm1::SaveasCSVClick, folder + L"\\names"));
    table = ReadCsv(FromFile(folder + L"\\names.CSV"));
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(table[0].size(), 1u);
}

TEST_F(OutputTest, AnEmptyListingWithHeadersGivesTheCaptionRowAndTwoEmptyRows) {
    form->edMask->SetText(L"none*.none");
    WaitIdle();
    ASSERT_TRUE(Save(&TForm1::SaveasCSVClick, folder + L"\\empty"));
    const Table table = ReadCsv(FromFile(folder + L"\\empty.CSV"));
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[1], Row(table[0].size()));
    EXPECT_EQ(table[2], Row(table[0].size()));
}

TEST_F(OutputTest, ThePrintCommandLaysTheListingOutAndThePrinterSetupAsks) {
    form->BtnPrint->SetDown(true);
    form->BtnPrintClick(nullptr);  // not from the button: recorded, not shown
    EXPECT_GE(Printpreview->PageCount(), 1);
    EXPECT_FALSE(Printpreview->Visible());
    EXPECT_FALSE(form->BtnPrint->Down());
    EXPECT_EQ(form->MyGrid->Cells(0, 0), L"");
    // From the button the preview is shown until the user closes it.
    PostMessageW(Printpreview->Handle(), WM_CLOSE, 0, 0);
    form->BtnPrintClick(form->BtnPrint);
    EXPECT_FALSE(Printpreview->Visible());
    // "Printer Setup" opens the system's dialog.
    testenv::DialogAnswer setup([](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
    form->btnPrintSetup->Click();
    EXPECT_TRUE(setup.Answered());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(OutputTest, AColumnDraggedToNothingUnchecksItsBox) {
    // The list is painted with the column hidden: the box follows after the paint.
    form->ZFL->Columns()->Items(3)->SetWidth(0);
    RedrawWindow(form->ZFL->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(form->cbType->Checked());  // not during the paint
    WaitIdle();
    EXPECT_FALSE(form->cbType->Checked());
    form->ZFL->Columns()->Items(1)->SetWidth(40);
    RedrawWindow(form->ZFL->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    WaitIdle();
    EXPECT_TRUE(form->cbItem->Checked());
    EXPECT_EQ(form->ZFL->Columns()->Items(1)->Width(), 150);  // the box's own width
}

TEST_F(OutputTest, AFailedSaveIsReported) {
    ASSERT_TRUE(Save(&TForm1::SaveasCSVClick, folder + L"\\no such folder\\list"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(L"could not be saved to " + folder + L"\\no such folder\\list.CSV"), std::wstring::npos);
}

}  // namespace
}  // namespace mainwin
