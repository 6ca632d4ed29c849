// The main window's output: the save commands through the save dialog, the
// clipboard, preview and print commands, and how the column boxes, the header
// option and the full-path column shape the written columns.
#include <fstream>

#include "tests/app/MainWindowFixture.h"
#include "tests/common/DialogAnswer.h"

namespace mainwin {
namespace {

using Row = std::vector<std::wstring>;
using Table = std::vector<Row>;

// A saved document's text: UTF-8 with its mark, else the ANSI code page.
std::wstring FromFile(const std::wstring& name) {
    std::ifstream in(name.c_str(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const bool utf8 = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (utf8) bytes.erase(0, 3);
    std::wstring text(bytes.size(), L'\0');
    text.resize(size_t(MultiByteToWideChar(utf8 ? CP_UTF8 : CP_ACP, 0, bytes.data(), int(bytes.size()), text.data(),
                                           int(text.size()))));
    return text;
}

// Comma-separated text; quoted fields may hold commas, quotes ("") and line breaks.
Table ReadCsv(const std::wstring& text) {
    Table table(1);
    std::wstring field;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (quoted && c == L'"' && i + 1 < text.size() && text[i + 1] == L'"') field += text[++i];
        else if (c == L'"') quoted = !quoted;
        else if (quoted || (c != L',' && c != L'\n' && c != L'\r')) field += c;
        else if (c != L'\r') {
            table.back().push_back(field);
            field.clear();
            if (c == L'\n') table.emplace_back();
        }
    }
    if (!field.empty()) table.back().push_back(field);
    if (table.back().empty()) table.pop_back();
    return table;
}

class OutputTest : public MainWindowFixture {
protected:
    // What the window should write: the caption row and an empty row (with
    // headers), the listed items with their list texts, an empty last row.
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
            Row row = {L"  " + (form->cbExt->Checked() ? name : fw::ChangeFileExt(name, L""))};
            for (int f = 0; f < 4; ++f)
                if (boxes[f]->Checked()) row.push_back(f < item->SubItems().Count() ? item->SubItems()[f] : L"");
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
    Table SavedCsv(const std::wstring& Name) {
        EXPECT_TRUE(Save(&TForm1::SaveasCSVClick, folder + L"\\" + Name));
        return ReadCsv(FromFile(folder + L"\\" + Name + L".CSV"));
    }
    std::wstring folder = testenv::NewScratchFolder(L"saved");
};

TEST_F(OutputTest, SavesInEveryFormatWithTheFormatsExtension) {
    // The written name carries the format's extension, whatever was typed.
    ASSERT_TRUE(Save(&TForm1::SaveasCSVClick, folder + L"\\list.foo"));
    EXPECT_EQ(ReadCsv(FromFile(folder + L"\\list.CSV")), Expected());
    const std::pair<void (TForm1::*)(fw::TObject*), const wchar_t*> others[] = {
        {&TForm1::SaveasTabbedClick, L"\\tabbed.TXT"},
        {&TForm1::SaveasHTMLClick, L"\\page.HTML"},
        {&TForm1::SaveasTextFileClick, L"\\plain.TXT"}};
    for (const auto& [command, name] : others) {
        ASSERT_TRUE(Save(command, folder + fw::ChangeFileExt(name, L"")));
        EXPECT_NE(FromFile(folder + name).find(L"alpha.txt"), std::wstring::npos) << name;
    }
    EXPECT_NE(FromFile(folder + L"\\tabbed.TXT").find(L"  alpha.txt\t"), std::wstring::npos);
    EXPECT_FALSE(form->BtnSave->Down());
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(form->MyGrid->Cells(0, 0), L"");  // emptied after every command
}

TEST_F(OutputTest, TheOverwriteQuestionNamesTheFileThatIsWrittenAndCancelWritesNothing) {
    const std::wstring written = folder + L"\\again.CSV";
    std::ofstream(written.c_str()) << "kept";
    boxAnswer = IDNO;
    ASSERT_TRUE(Save(&TForm1::SaveasCSVClick, folder + L"\\again.txt"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(written), std::wstring::npos);
    EXPECT_EQ(FromFile(written), L"kept");  // refused: nothing written, nothing more said
    boxAnswer = IDYES;
    EXPECT_EQ(SavedCsv(L"again"), Expected());
    // A cancelled dialog writes nothing; the text command's button comes up all the same.
    form->BtnSave->SetDown(true);
    testenv::DialogAnswer answer([](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
    form->SaveasTextFileClick(form->BtnSave);
    EXPECT_TRUE(answer.Answered());
    EXPECT_FALSE(form->BtnSave->Down());
    EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(OutputTest, ClipboardAndPreview) {
    form->SavetoClipboardClick(nullptr);
    EXPECT_EQ(boxes, (Row{L"Data was copied to clipboard!"}));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const std::wstring clip = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data) GlobalUnlock(data);
    CloseClipboard();
    EXPECT_NE(clip.find(L"  alpha.txt"), std::wstring::npos);

    form->btnPreview->SetDown(true);
    form->PreviewAsTextClick(form->btnPreview);
    form->PreviewAsCSVClick(nullptr);
    form->PreviewAsHTMLClick(nullptr);
    form->PreviewAsTABClick(nullptr);
    ASSERT_EQ(viewed.size(), 4u);
    EXPECT_FALSE(form->btnPreview->Down());
    EXPECT_EQ(ReadCsv(FromFile(viewed[1])), Expected());
    EXPECT_EQ(fw::UpperCase(fw::ExtractFileExt(viewed[2])), L".HTML");
    // Right after a preview the clipboard still only takes the text.
    form->SavetoClipboardClick(nullptr);
    EXPECT_EQ(viewed.size(), 4u);
}

TEST_F(OutputTest, TheColumnBoxesHeadersAndFullPathShapeTheColumns) {
    form->cbSize->SetChecked(false);
    form->cbItem->SetChecked(true);
    form->cbFilePath->SetChecked(true);
    WaitIdle();
    EXPECT_EQ(form->ZFL->Columns()->Items(2)->Width(), 0);
    EXPECT_EQ(form->ZFL->Columns()->Items(1)->Width(), 150);
    Table table = SavedCsv(L"columns");
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(table[0].size(), 5u);  // name, folder, type, date, full path
    EXPECT_EQ(table, Expected());
    // The full path is in its own column once, also after the texts were reported again.
    for (int i = 0; i < form->ZFL->Items()->Count(); ++i) {
        auto* item = form->ZFL->Items()->Item(i);
        int found = 0;
        for (int s = 0; s < item->SubItems().Count(); ++s) found += item->SubItems()[s] == item->FullPath();
        EXPECT_EQ(found, 1);
    }
    // Without headers and extensions.
    form->cbHeaders->SetChecked(false);
    form->cbExt->SetChecked(false);
    WaitIdle();
    EXPECT_FALSE(form->ZFL->ShowColumnHeaders());
    table = SavedCsv(L"bare");
    EXPECT_EQ(table, Expected(false));
    EXPECT_EQ(table[0][0].find(L'.'), std::wstring::npos);
    // Every box off: only the names.
    for (fw::TCheckBox* box : {form->cbItem, form->cbType, form->cbDate, form->cbFilePath}) box->SetChecked(false);
    WaitIdle();
    EXPECT_EQ(SavedCsv(L"names")[0].size(), 1u);
}

TEST_F(OutputTest, EmptyListingsAndRowsWithoutTextsAreWritten) {
    form->edMask->SetText(L"none*.none");
    WaitIdle();
    const Table empty = SavedCsv(L"empty");
    ASSERT_EQ(empty.size(), 3u);  // the caption row and two empty rows
    EXPECT_EQ(empty[1], Row(empty[0].size()));
    EXPECT_EQ(empty[2], Row(empty[0].size()));
    // A row whose details could not be read has no texts beyond its folder: they are written empty.
    form->ZFL->SetCheckIfExists(false);
    form->ZFL->AddItem(ScratchListing() + L"\\gone.txt");
    const Table table = SavedCsv(L"gone");
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[2], (Row{L"  gone.txt", L"", L"", L""}));
}

TEST_F(OutputTest, ThePrintCommandLaysTheListingOutAndThePrinterSetupAsks) {
    form->BtnPrint->SetDown(true);
    form->BtnPrintClick(nullptr);  // not from the button: recorded, not shown
    EXPECT_GE(Printpreview->PageCount(), 1);
    EXPECT_FALSE(Printpreview->Visible());
    EXPECT_FALSE(form->BtnPrint->Down());
    EXPECT_EQ(form->MyGrid->Cells(0, 0), L"");
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
