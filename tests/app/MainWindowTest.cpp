// The real main window in the test process, on a prepared folder of the scratch
// drive: the listing options, sorting, requests while a search runs, the status
// bar, the view buttons with what the list then draws, and the save, clipboard,
// preview and print commands with the columns they write. Message boxes, links
// and viewers are recorded instead of shown.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "app/PrintPreview.h"
#include "app/MainWindow.h"
#include "export/CustomExport.h"
#include "framework/Application.h"
#include "framework/Handles.h"
#include "framework/Hints.h"
#include "framework/Thread.h"
#include "tests/common/DialogAnswer.h"
#include "tests/common/TestEnv.h"
#include "tests/shell/ScratchTree.h"

namespace {

using Texts = std::vector<std::wstring>;
using Table = std::vector<Texts>;

Texts Sorted(Texts rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

const std::wstring kUnicode = L"\u0416\u0443\u043a \u2713.txt";

// The prepared folder (made once per test run), without a trailing "\".
const std::wstring& ScratchListing() {
    static const std::wstring folder = [] {
        const std::wstring root = testenv::NewScratchFolder(L"listing");
        for (const wchar_t* name : {L"sub", L"sub\\deeper", L"hiddendir", L"empty"})
            CreateDirectoryW((root + L"\\" + name).c_str(), nullptr);
        // Sizes differ; the Cyrillic name and the check mark are in no ANSI code page.
        size_t size = 1;
        for (const wchar_t* name :
             {L"alpha.txt", L"beta.dll", L"Gamma 10.txt", L"gamma 2.csv", L"secret.txt", L"sub\\delta.txt",
              L"sub\\deeper\\epsilon.txt", L"hiddendir\\phi.txt", kUnicode.c_str()})
            std::ofstream((root + L"\\" + name).c_str()) << std::string(size += 300, 'x');
        for (const wchar_t* hidden : {L"secret.txt", L"hiddendir"})
            SetFileAttributesW((root + L"\\" + hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
        return root;
    }();
    return folder;
}

// A saved document's text: UTF-8 with its mark, else the ANSI code page.
std::wstring FromFile(const std::wstring& name) {
    std::ifstream in(name.c_str(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const bool utf8 = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    std::wstring text(bytes.erase(0, utf8 ? 3 : 0).size(), L'\0');
    text.resize(size_t(MultiByteToWideChar(utf8 ? CP_UTF8 : CP_ACP, 0, bytes.data(), int(bytes.size()), text.data(),
                                           int(text.size()))));
    return text;
}

std::wstring ClipboardText() {
    if (!OpenClipboard(nullptr)) return L"<closed>";
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    const std::wstring result = text ? text : L"";
    if (text) GlobalUnlock(data);
    CloseClipboard();
    return result;
}

// Comma-separated text; quoted fields may hold commas, quotes ("") and line breaks.
Table ReadCsv(const std::wstring& text) {
    Table table;
    Texts row(1);
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'"' && !quoted && i > 0 && text[i - 1] == L'"') row.back() += c;  // a doubled quote
        if (c == L'"') quoted = !quoted;
        else if (quoted || (c != L',' && c != L'\r' && c != L'\n')) row.back() += c;
        else if (c == L',') row.emplace_back();
        else if (c == L'\n') table.push_back(std::exchange(row, Texts(1)));
    }
    return table;
}

int CALLBACK CountLines(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM param) {
    *reinterpret_cast<int*>(param) += record->iType == EMR_LINETO;
    return 1;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::TApplication::MessageBoxHook = [this](HWND, const std::wstring& text, const std::wstring&, unsigned) {
            boxes.push_back(text);
            return boxAnswer;
        };
        TForm1::ShellOpenHook = [this](HWND, const std::wstring& address) { opened.push_back(address); };
        zt::TztCustomExport::ViewerHook = [this](HWND, const std::wstring& name, const std::wstring&, int) -> intptr_t {
            viewed.push_back(name);
            return viewAnswer;
        };
        TForm1::StartFolder = ScratchListing();
        StartApplication();
        // Every end of a search, counted as the window handles it.
        Form1->ZFL->OnEndSearch = [this] {
            ++ends;
            Form1->ZFLEndSearch();
        };
        if (!ShowAtStart()) return;
        Form1->Show();
        WaitIdle();
    }
    virtual bool ShowAtStart() const { return true; }
    void TearDown() override {
        FreeApplication();
        TForm1::StartFolder = L"c:\\";
        zt::TztCustomExport::ViewerHook = nullptr;
        TForm1::ShellOpenHook = nullptr;
        fw::TApplication::MessageBoxHook = nullptr;
    }

    // Runs messages and synchronized calls until no search runs and nothing waits, within a watchdog.
    void WaitIdle() {
        const ULONGLONG deadline = GetTickCount64() + 20000;
        for (int idle = 0; idle < 2 && GetTickCount64() < deadline;) {
            fw::Application()->ProcessMessages();
            const bool ran = fw::CheckSynchronize();
            idle = ran || Form1->StopSearchButton->Enabled() ? 0 : idle + 1;
            if (!ran && !idle) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        EXPECT_FALSE(Form1->StopSearchButton->Enabled()) << "the listing did not end within the watchdog";
    }
    // The listed paths relative to the prepared folder, in list order.
    Texts Rows() const {
        Texts rows;
        for (int i = 0; i < Form1->ZFL->Items()->Count(); ++i)
            rows.push_back(Form1->ZFL->Items()->Item(i)->FullPath().substr(ScratchListing().size() + 1));
        return rows;
    }
    std::wstring Status() const { return Form1->StatusBar1->Panels()->Items(0)->Text(); }

    // What the window should write: the caption row and an empty row (with
    // headers), the listed items with their list texts, an empty last row.
    Table Expected(bool Headers = true) {
        fw::TCheckBox* const boxes[] = {Form1->cbItem, Form1->cbSize, Form1->cbType, Form1->cbDate};
        Texts captions = {Form1->ZFL->Columns()->Items(0)->Caption()};
        for (int f = 0; f < 4; ++f)
            if (boxes[f]->Checked()) captions.push_back(Form1->ZFL->Columns()->Items(f + 1)->Caption());
        if (Form1->cbFilePath->Checked()) captions.push_back(L"Full FilePath");
        Table table = Headers ? Table{captions, Texts(captions.size())} : Table{};
        for (int i = 0; i < Form1->ZFL->Items()->Count(); ++i) {
            auto* item = Form1->ZFL->Items()->Item(i);
            std::wstring name = fw::ExtractFileName(item->FullPath());
            Texts row = {L"  " + (Form1->cbExt->Checked() ? name : fw::ChangeFileExt(name, L""))};
            for (int f = 0; f < 4; ++f)
                if (boxes[f]->Checked()) row.push_back(f < item->SubItems().Count() ? item->SubItems()[f] : L"");
            if (Form1->cbFilePath->Checked()) row.push_back(item->FullPath());
            table.push_back(row);
        }
        table.push_back(Texts(captions.size()));
        return table;
    }
    // Runs a save command, its dialog answered with Name (cancelled when empty); true if it was shown.
    bool Save(void (TForm1::*Command)(fw::TObject*), const std::wstring& Name, fw::TObject* Sender = nullptr) {
        testenv::DialogAnswer answer([&](HWND d) {
            SendMessageW(testenv::DialogEdit(d, 0x47c), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Name.c_str()));
            PostMessageW(d, WM_COMMAND, Name.empty() ? IDCANCEL : IDOK, 0);
        });
        (Form1->*Command)(Sender);
        fw::Application()->ProcessMessages();
        return answer.Answered();
    }
    Table SavedCsv(const std::wstring& Name) {
        EXPECT_TRUE(Save(&TForm1::SaveasCSVClick, folder + L"\\" + Name));
        return ReadCsv(FromFile(folder + L"\\" + fw::ChangeFileExt(Name, L".CSV")));
    }
    int ends = 0, boxAnswer = IDOK;
    intptr_t viewAnswer = 42;  // the shell's answer to a preview's open call
    Texts boxes, opened, viewed;
    std::wstring folder = testenv::NewScratchFolder(L"saved");
};

TEST_F(MainWindowTest, StartUpAndEveryListingOptionListInTheChosenOrder) {
    EXPECT_EQ(Form1->ListingFolder(), ScratchListing());
    EXPECT_EQ(Sorted(Rows()),
              Sorted({L"alpha.txt", L"beta.dll", L"Gamma 10.txt", L"gamma 2.csv", kUnicode, L"sub", L"empty"}));
    EXPECT_EQ(Status(), L"Items: 7");
    // The boxes took the list's own column captions.
    EXPECT_EQ(Form1->cbSize->Caption(), Form1->ZFL->Columns()->Items(2)->Caption());
    EXPECT_EQ(Form1->ZFL->Columns()->Items(1)->Width(), 0);  // "Location" unchecked
    EXPECT_TRUE(boxes.empty());
    Form1->edMask->SetText(L"*.txt");
    Form1->SearchSubfoldes->SetChecked(true);
    Form1->cbHidden->SetChecked(true);
    WaitIdle();
    EXPECT_EQ(Sorted(Rows()), Sorted({L"alpha.txt", L"Gamma 10.txt", kUnicode, L"secret.txt", L"sub\\delta.txt",
                                      L"sub\\deeper\\epsilon.txt", L"hiddendir\\phi.txt"}));
    Form1->edMask->SetText(L"*");
    Form1->SearchSubfoldes->SetChecked(false);
    Form1->SearchFilesOnly->SetChecked(true);
    WaitIdle();
    // Sorted by name in natural order (2 before 10), in the chosen direction.
    const Texts ascending = {L"alpha.txt", L"beta.dll", L"gamma 2.csv", L"Gamma 10.txt", L"secret.txt", kUnicode};
    EXPECT_EQ(Rows(), ascending);
    EXPECT_EQ(Status(), L"Items: 6");
    Form1->btnDescend->SetChecked(true);
    WaitIdle();
    EXPECT_EQ(Rows(), Texts(ascending.rbegin(), ascending.rend()));
    // The same column sorted again after the next search stays descending.
    Form1->gpSort->SetItemIndex(0);
    Form1->RefreshFileList(Form1->gpSort);
    WaitIdle();
    EXPECT_EQ(Rows(), Texts(ascending.rbegin(), ascending.rend()));
    Form1->edMask->SetText(L"nothing*.xyz");
    WaitIdle();
    EXPECT_EQ(Status(), L"Items: 0");
    // A folder chosen in the folder box becomes the tree's folder and is listed.
    Form1->edMask->SetText(L"*");
    WaitIdle();
    Form1->ZFC->SelectPath(ScratchListing() + L"\\sub");
    WaitIdle();
    EXPECT_EQ(Form1->ListingFolder(), ScratchListing() + L"\\sub");
    EXPECT_EQ(Rows(), Texts{L"sub\\delta.txt"});
    // The published ZSCChange (no control fires it) takes the folder box's text as the print caption.
    Form1->ZSCChange(Form1->ZFC);
    EXPECT_EQ(Form1->edPrintCaption->Text(), Form1->ZFC->Text());
    EXPECT_NE(Form1->edPrintCaption->Text(), L"File List");
}

TEST_F(MainWindowTest, ARequestDuringASearchEndsWithOneSearchAndStopEndsIt) {
    // Handles only the window's own busy notice, so no search hit is handed over meanwhile.
    auto showBusy = [&] {
        MSG m;
        while (PeekMessageW(&m, Form1->Handle(), CM_SHOWLISTINGBUSY, CM_SHOWLISTINGBUSY, PM_REMOVE))
            DispatchMessageW(&m);
    };
    // A folder large enough that a search is still running when the test acts.
    static const std::wstring big = testenv::NewScratchFolder(L"big");
    for (int i = 0; i < 3000; ++i) std::ofstream((big + L"\\file" + std::to_wstring(i) + L".txt").c_str());
    Form1->SetListingFolder(big);
    showBusy();
    ASSERT_TRUE(Form1->StopSearchButton->Enabled());
    fw::CheckSynchronize();
    const int before = ends;
    Form1->edMask->SetText(L"file1*");  // the second request while the first runs
    showBusy();
    // The old search's end came first: the window is busy with the new one.
    EXPECT_TRUE(Form1->StopSearchButton->Enabled());
    EXPECT_EQ(fw::Screen()->Cursor(), fw::crAppStart);
    WaitIdle();
    EXPECT_EQ(ends - before, 2);
    EXPECT_EQ(Status(), L"Items: 1111");  // file1, file10-19, file100-199, file1000-1999
    EXPECT_EQ(fw::Screen()->Cursor(), fw::crDefault);
    // Stop ends a running search, and the window can go while one runs.
    Form1->SetListingFolder(ScratchListing());
    Form1->SetListingFolder(big);
    showBusy();
    Form1->StopSearchButton->Click();
    EXPECT_FALSE(Form1->StopSearchButton->Enabled());
    Form1->edMask->SetText(L"file2*");
    delete Form1;
    Form1 = nullptr;
    fw::CheckSynchronize();
}

// A folder row two levels below the listed folder (whose node was never opened):
// the tree opens its way down to it, selects it and scrolls it into view.
TEST_F(MainWindowTest, ADoubleClickedFolderBecomesTheTreesSelectedAndShownNode) {
    shell::TZemShellTree* tree = Form1->ZST;
    const std::wstring deeper = ScratchListing() + L"\\sub\\deeper";
    ASSERT_EQ(tree->SelectedFolder(), ScratchListing());
    fw::TTreeNode* listed = tree->Selected();
    ASSERT_NE(listed, nullptr);
    listed->Collapse(true);
    listed->DeleteChildren();
    Form1->SearchSubfoldes->SetChecked(true);
    WaitIdle();
    SendMessageW(tree->Handle(), WM_VSCROLL, SB_TOP, 0);
    Form1->ZFL->SetSelected(Form1->ZFL->FindItemByPath(deeper));
    ASSERT_NE(Form1->ZFL->Selected(), nullptr);
    Form1->ZFLDblClick(Form1->ZFL);
    WaitIdle();
    fw::TTreeNode* node = tree->Selected();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(tree->SelectedFolder(), deeper);
    EXPECT_EQ(node->Text(), L"deeper");
    ASSERT_NE(node->Parent(), nullptr);
    EXPECT_EQ(node->Parent()->Parent(), listed);
    // The window's own selection and its drawing agree with the node.
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageW(tree->Handle(), TVM_GETNEXTITEM, TVGN_CARET, 0)),
              node->ItemId());
    EXPECT_EQ(SendMessageW(tree->Handle(), TVM_GETITEMSTATE, WPARAM(node->ItemId()), TVIS_SELECTED),
              LRESULT(TVIS_SELECTED));
    const RECT row = node->DisplayRect(false);
    RECT client{};
    GetClientRect(tree->Handle(), &client);
    EXPECT_TRUE(node->IsVisible());
    EXPECT_TRUE(row.top >= client.top && row.bottom <= client.bottom) << row.top << " " << row.bottom;
    EXPECT_EQ(Sorted(Rows()), Sorted({L"sub\\deeper\\epsilon.txt"}));
}

TEST_F(MainWindowTest, DoubleClicksRequestsThatStartNoSearchAndStatusPanels) {
    Form1->ZFL->SetSelected(Form1->ZFL->FindItemByPath(ScratchListing() + L"\\alpha.txt"));
    Form1->ZFLDblClick(Form1->ZFL);
    EXPECT_EQ(Form1->ListingFolder(), ScratchListing());
    Form1->ZFL->SetSelected(Form1->ZFL->FindItemByPath(ScratchListing() + L"\\sub"));
    Form1->ZFLDblClick(Form1->ZFL);
    WaitIdle();
    EXPECT_EQ(Sorted(Rows()), Sorted({L"sub\\delta.txt", L"sub\\deeper"}));
    // Attributes that cannot be read make no folder.
    EXPECT_FALSE(IsDirectory(ScratchListing() + L"\\no such folder"));
    EXPECT_TRUE(IsDirectory(ScratchListing() + L"\\empty"));
    // A name ending in a dot is its own object, not the one without the dot.
    const std::wstring odd = testenv::NewScratchFolder(L"odd");
    for (const wchar_t* folder : {L"\\dirdot.", L"\\file.txt"})
        CreateDirectoryW((L"\\\\?\\" + odd + folder).c_str(), nullptr);
    CloseHandle(
        CreateFileW((L"\\\\?\\" + odd + L"\\file.txt.").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    EXPECT_TRUE(IsDirectory(odd + L"\\dirdot."));
    EXPECT_FALSE(IsDirectory(odd + L"\\file.txt."));
    // A name holding a colon (made on the host) goes to the output whole.
    ASSERT_TRUE(scratch::RunInHostFolder(odd, "touch 'co:lon.txt' && mkdir 'bs\\dir' && mkdir -p bs/dir"));
    Form1->SetListingFolder(odd);
    WaitIdle();
    ASSERT_NE(Form1->ZFL->FindItemByPath(odd + L"\\co:lon.txt"), nullptr);
    // A folder whose name holds a backslash has no path of its own (its path
    // names another folder): double-clicked, it lists nothing else.
    Form1->ZFL->SetSelected(Form1->ZFL->FindItemByPath(odd + L"\\bs\\dir"));
    ASSERT_NE(Form1->ZFL->Selected(), nullptr);
    Form1->ZFLDblClick(Form1->ZFL);
    WaitIdle();
    EXPECT_EQ(Form1->ListingFolder(), odd);
    Form1->SetupGrid();
    Texts names;
    for (int row = 0; row < Form1->MyGrid->RowCount(); ++row) names.push_back(Form1->MyGrid->Cells(0, row));
    EXPECT_NE(std::find(names.begin(), names.end(), L"  co:lon.txt"), names.end());
    Form1->ClearGrid();
    // No combo box entry and no text: nothing is searched, and the window is not left busy.
    Form1->ZFC->OnChange = nullptr;
    Form1->ZFC->SetItemIndex(-1);
    ASSERT_TRUE(Form1->ZFC->GetEditText().empty());
    Form1->RefreshFileList(Form1->edMask);
    EXPECT_FALSE(Form1->StopSearchButton->Enabled());
    EXPECT_EQ(fw::Screen()->Cursor(), fw::crDefault);
    EXPECT_EQ(Status(), L"Items: 0");
    // The status panels give hints and open the contact links.
    const Texts hints = {L"Items displayed", L"Double Click to Email: tabulorin@brenmoor.example",
                         L"Double Click to Open Website"};
    for (int i = 0; i < 3; ++i) {
        const POINT p = Form1->StatusBar1->ClientToScreen(POINT{i * 120 + 60, Form1->StatusBar1->Height() / 2});
        ASSERT_TRUE(fw::ActivateHint(p)) << i;
        EXPECT_EQ(fw::ShownHintText(), hints[size_t(i)]);
        SetCursorPos(p.x, p.y);
        Form1->StatusBar1DblClick(Form1->StatusBar1);
    }
    fw::CancelHint();
    EXPECT_FALSE(fw::ActivateHint(Form1->StatusBar1->ClientToScreen(POINT{400, 5})));
    // The panels as the bar draws them: the count in the bar's font, the links italic and bold.
    std::vector<fw::TFontStyles> styles(3, ~0u);
    const auto drawPanel = Form1->StatusBar1->OnDrawPanel;
    Form1->StatusBar1->OnDrawPanel = [&](fw::TStatusBar* Bar, fw::TStatusPanel* Panel, const RECT& Rect) {
        Form1->StatusBar1DrawPanel(Bar, Panel, Rect);
        styles.at(size_t(Panel->Index())) = Bar->Canvas()->Font()->Style();
    };
    RedrawWindow(Form1->StatusBar1->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Form1->StatusBar1->OnDrawPanel = drawPanel;
    EXPECT_EQ(styles, (std::vector<fw::TFontStyles>{Form1->StatusBar1->Font()->Style(), fw::fsItalic, fw::fsBold}));
    EXPECT_EQ(opened,
              (Texts{L"mailto:tabulorin@brenmoor.example?subject=Tabulorin", L"https://brenmoor.example/tabulorin"}));
}

TEST_F(MainWindowTest, SavesEveryFormatAndEmptyListingsAsksBeforeOverwritingAndReportsFailures) {
    // The written name carries the format's extension, whatever was typed.
    EXPECT_EQ(SavedCsv(L"list.foo"), Expected());
    EXPECT_EQ(Form1->DlgSave->Filter(), L"Comma-Seperated Text File|*.csv|All Files|*");
    const std::tuple<void (TForm1::*)(fw::TObject*), const wchar_t*, const wchar_t*> others[] = {
        {&TForm1::SaveasTabbedClick, L"\\tabbed.TXT", L"  alpha.txt\t"},
        {&TForm1::SaveasHTMLClick, L"\\page.HTML", L"alpha.txt"},
        {&TForm1::SaveasTextFileClick, L"\\plain.TXT", L"  alpha.txt"}};
    for (const auto& [command, name, text] : others) {
        ASSERT_TRUE(Save(command, folder + fw::ChangeFileExt(name, L".foo")));
        EXPECT_NE(FromFile(folder + name).find(text), std::wstring::npos) << name;
        EXPECT_NE(fw::UpperCase(Form1->DlgSave->Filter()).find(L"|*" + fw::ExtractFileExt(name) + L"|"),
                  std::wstring::npos)
            << name;
    }
    EXPECT_FALSE(Form1->BtnSave->Down());
    EXPECT_TRUE(boxes.empty());
    for (int r = 0; r < Form1->MyGrid->RowCount(); ++r) EXPECT_EQ(Form1->MyGrid->Cells(0, r), L"") << r;  // emptied
    // The overwrite question names the file that is really written.
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
    Form1->BtnSave->SetDown(true);
    EXPECT_TRUE(Save(&TForm1::SaveasTextFileClick, L"", Form1->BtnSave));
    EXPECT_FALSE(Form1->BtnSave->Down());
    EXPECT_EQ(boxes.size(), 2u);
    // A failed save is reported.
    ASSERT_TRUE(Save(&TForm1::SaveasCSVClick, folder + L"\\no such folder\\list"));
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_NE(boxes[2].find(L"could not be saved to " + folder + L"\\no such folder\\list.CSV"), std::wstring::npos);
    // An empty listing: the caption row and two empty rows.
    Form1->edMask->SetText(L"none*.none");
    WaitIdle();
    EXPECT_EQ(SavedCsv(L"empty"), Expected());
    // A row whose details could not be read has no texts beyond its folder: they are written empty.
    Form1->ZFL->SetCheckIfExists(false);
    Form1->ZFL->AddItem(ScratchListing() + L"\\gone.txt");
    EXPECT_EQ(SavedCsv(L"gone").at(2), (Texts{L"  gone.txt", L"", L"", L""}));
    // A name that makes the longest path the dialog takes (with the extension it adds) is saved,
    // in a folder where the save's temporary file is longer; one character more is refused.
    const size_t room = MAX_PATH - 15 - folder.size() - 2;
    const std::wstring deep =
        folder + L"\\" + std::wstring(room / 2, L'a') + L"\\" + std::wstring(room - room / 2, L'b');
    CreateDirectoryW(fw::ExtractFileDir(deep).c_str(), nullptr);
    CreateDirectoryW(deep.c_str(), nullptr);
    const std::wstring longest = deep + L"\\" + std::wstring(MAX_PATH - 1 - 4 - deep.size() - 1, L'n');
    bool openAfterLonger = false;
    {
        testenv::DialogAnswer answer([&](HWND d) {
            const HWND edit = testenv::DialogEdit(d, 0x47c);
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>((longest + L"n").c_str()));
            SendMessageW(d, WM_COMMAND, IDOK, 0);
            openAfterLonger = IsWindowVisible(d) != FALSE;
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(longest.c_str()));
            PostMessageW(d, WM_COMMAND, IDOK, 0);
        });
        Form1->SaveasCSVClick(nullptr);
        EXPECT_TRUE(answer.Answered());
    }
    EXPECT_TRUE(openAfterLonger);
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[3].rfind(L"The file name is too long.", 0), 0u);
    ASSERT_EQ(longest.size() + 4, size_t(MAX_PATH - 1));
    EXPECT_EQ(ReadCsv(FromFile(longest + L".CSV")), Expected());
}

TEST_F(MainWindowTest, WhileAnExportAsksItsQuestionTheWindowTakesNoOtherCommand) {
    // A good copy on the clipboard first.
    Form1->SavetoClipboardClick(nullptr);
    const std::wstring copy = ClipboardText();
    ASSERT_NE(copy.find(L"  alpha.txt"), std::wstring::npos);
    // Saving over a file, the user turns to the window while the question is
    // open: Print Preview (closed at once if it opens), then Save to Clipboard.
    struct Asked {
        HWND owner;
        bool windowEnabled;
    };
    std::vector<Asked> asked;
    const std::wstring target = folder + L"\\twice.CSV";
    for (fw::TObject* second :
         {static_cast<fw::TObject*>(Form1->BtnPrint), static_cast<fw::TObject*>(Form1->SavetoClipboard)}) {
        std::ofstream(target.c_str()) << "old";
        fw::TApplication::MessageBoxHook = [&](HWND Owner, const std::wstring& Text, const std::wstring&, unsigned) {
            boxes.push_back(Text);
            if (Text.find(L"already exists") == std::wstring::npos) return IDOK;
            asked.push_back({Owner, IsWindowEnabled(Form1->Handle()) != FALSE});
            PostMessageW(Printpreview->Handle(), WM_CLOSE, 0, 0);
            if (second == Form1->BtnPrint) Form1->BtnPrint->Click();
            else Form1->SavetoClipboard->Click();
            fw::Application()->ProcessMessages();
            return IDYES;
        };
        ASSERT_TRUE(Save(&TForm1::SaveasCSVClick, folder + L"\\twice"));
        EXPECT_EQ(ReadCsv(FromFile(target)), Expected()) << "the file holds the listing";
        EXPECT_TRUE(IsWindowEnabled(Form1->Handle()));
    }
    ASSERT_EQ(asked.size(), 2u);
    for (const Asked& a : asked) {
        EXPECT_EQ(a.owner, Form1->Handle()) << "the question is the window's";
        EXPECT_FALSE(a.windowEnabled);
    }
    EXPECT_EQ(ClipboardText(), copy) << "the clipboard keeps its copy";
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), L"Data was copied to clipboard!"), 1);
    EXPECT_EQ(boxes.size(), 3u);
    EXPECT_FALSE(Printpreview->Visible());
    EXPECT_FALSE(Form1->BtnPrint->Down());
    // Commands that fail with an exception (the viewer, the print layout) leave the window
    // taking every later command.
    const auto viewer = zt::TztCustomExport::ViewerHook;
    zt::TztCustomExport::ViewerHook = [](HWND, const std::wstring&, const std::wstring&, int) -> intptr_t {
        throw fw::Exception(L"no viewer");
    };
    EXPECT_ANY_THROW(Form1->PreviewAsCSVClick(nullptr));
    zt::TztCustomExport::ViewerHook = viewer;
    int cellsPrinted = 0;
    Form1->MyGrid->OnDrawCell = [](fw::TObject*, int, int, const RECT&, fw::TGridDrawState) {
        throw fw::Exception(L"no layout");
    };
    EXPECT_ANY_THROW(Form1->BtnPrintClick(nullptr));
    EXPECT_TRUE(IsWindowEnabled(Form1->Handle()));
    Form1->MyGrid->OnDrawCell = [&](fw::TObject*, int, int, const RECT&, fw::TGridDrawState) { ++cellsPrinted; };
    EXPECT_EQ(SavedCsv(L"after a failure"), Expected());
    const size_t shown = viewed.size();
    Form1->PreviewAsCSVClick(nullptr);
    EXPECT_EQ(viewed.size(), shown + 1);
    Form1->BtnPrintClick(nullptr);
    EXPECT_GT(cellsPrinted, 0);
    Form1->MyGrid->OnDrawCell = nullptr;
    Form1->SavetoClipboardClick(nullptr);
    EXPECT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes.back(), L"Data was copied to clipboard!");
}

TEST_F(MainWindowTest, ClipboardPreviewAndPrint) {
    Form1->SavetoClipboardClick(nullptr);
    EXPECT_EQ(boxes, (Texts{L"Data was copied to clipboard!"}));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const std::wstring clip = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data) GlobalUnlock(data);
    CloseClipboard();
    EXPECT_NE(clip.find(L"  alpha.txt"), std::wstring::npos);
    Form1->btnPreview->SetDown(true);
    for (auto command : {&TForm1::PreviewAsTextClick, &TForm1::PreviewAsCSVClick, &TForm1::PreviewAsHTMLClick,
                         &TForm1::PreviewAsTABClick})
        (Form1->*command)(Form1->btnPreview);
    ASSERT_EQ(viewed.size(), 4u);
    EXPECT_FALSE(Form1->btnPreview->Down());
    EXPECT_EQ(ReadCsv(FromFile(viewed[1])), Expected());
    EXPECT_EQ(fw::UpperCase(fw::ExtractFileExt(viewed[2])), L".HTML");
    // Right after a preview the clipboard still only takes the text.
    Form1->SavetoClipboardClick(nullptr);
    EXPECT_EQ(viewed.size(), 4u);
    // The print command lays the listing out; not from the button, it is recorded, not shown.
    // Lines between the cells come with "Print Grid" only.
    for (const bool lines : {false, true}) {
        Form1->cbPrintGrid->SetChecked(lines);
        Form1->BtnPrint->SetDown(true);
        Form1->BtnPrintClick(nullptr);
        EXPECT_GE(Printpreview->PageCount(), 1);
        EXPECT_FALSE(Printpreview->Visible());
        EXPECT_FALSE(Form1->BtnPrint->Down());
        Printpreview->EndRecording();
        int drawn = 0;
        EnumEnhMetaFile(nullptr, Printpreview->PageMetafile(1)->Handle(), CountLines, &drawn, nullptr);
        EXPECT_EQ(drawn > 0, lines) << drawn;
    }
    testenv::DialogAnswer setup([](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
    Form1->btnPrintSetup->Click();
    EXPECT_TRUE(setup.Answered());
    EXPECT_EQ(boxes.size(), 2u);  // the two copies' notices only
    // No program opens the kind of file: the message says so and names the file, which is there.
    viewAnswer = SE_ERR_NOASSOC;
    Form1->PreviewAsCSVClick(nullptr);
    ASSERT_EQ(viewed.size(), 5u);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_NE(boxes[2].find(L"No program is set to open this kind of file"), std::wstring::npos) << boxes[2];
    EXPECT_NE(boxes[2].find(viewed[4]), std::wstring::npos) << boxes[2];
    EXPECT_EQ(ReadCsv(FromFile(viewed[4])), Expected());
}

TEST_F(MainWindowTest, TheColumnBoxesHeadersAndFullPathShapeTheColumns) {
    const auto fullPathWidth = [] {
        for (int i = 0; i < Form1->ZFL->Columns()->Count(); ++i)
            if (Form1->ZFL->Columns()->Items(i)->Caption() == L"Full Path")
                return Form1->ZFL->Columns()->Items(i)->Width();
        return -1;
    };
    // A column dragged to nothing unchecks its box, after the paint that saw it hidden.
    Form1->ZFL->Columns()->Items(3)->SetWidth(0);
    RedrawWindow(Form1->ZFL->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(Form1->cbType->Checked());  // not during the paint
    WaitIdle();
    EXPECT_FALSE(Form1->cbType->Checked());
    Form1->ZFL->Columns()->Items(1)->SetWidth(40);
    RedrawWindow(Form1->ZFL->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    WaitIdle();
    EXPECT_TRUE(Form1->cbItem->Checked());
    EXPECT_EQ(Form1->ZFL->Columns()->Items(1)->Width(), 150);  // the box's own width
    Form1->cbSize->SetChecked(false);
    Form1->cbType->SetChecked(true);
    Form1->cbFilePath->SetChecked(true);
    WaitIdle();
    EXPECT_EQ(Form1->ZFL->Columns()->Items(2)->Width(), 0);
    EXPECT_GT(fullPathWidth(), 0);  // made at 120, then fitted as the listing request sets auto-size
    Table table = SavedCsv(L"columns");
    EXPECT_EQ(table.at(0).size(), 5u);  // name, folder, type, date, full path
    EXPECT_EQ(table, Expected());
    // The full path is in its own column once, also after the texts were reported again.
    for (int i = 0; i < Form1->ZFL->Items()->Count(); ++i) {
        auto* item = Form1->ZFL->Items()->Item(i);
        int found = 0;
        for (int s = 0; s < item->SubItems().Count(); ++s) found += item->SubItems()[s] == item->FullPath();
        EXPECT_EQ(found, 1);
    }
    // Without headers and extensions.
    Form1->cbHeaders->SetChecked(false);
    Form1->cbExt->SetChecked(false);
    WaitIdle();
    EXPECT_FALSE(Form1->ZFL->ShowColumnHeaders());
    for (int i = 0; i < Form1->ZFL->Items()->Count(); ++i)  // the list's captions lose theirs too
        EXPECT_EQ(Form1->ZFL->Items()->Item(i)->Caption().find(L'.'), std::wstring::npos) << i;
    table = SavedCsv(L"bare");
    EXPECT_EQ(table, Expected(false));
    ASSERT_FALSE(table.empty());
    ASSERT_FALSE(table[0].empty());
    EXPECT_EQ(table[0][0].find(L'.'), std::wstring::npos);
    // Every box off: only the names.
    for (fw::TCheckBox* box : {Form1->cbItem, Form1->cbType, Form1->cbDate, Form1->cbFilePath}) box->SetChecked(false);
    WaitIdle();
    EXPECT_EQ(SavedCsv(L"names").at(0).size(), 1u);
    EXPECT_EQ(fullPathWidth(), 0);
    Form1->cbFilePath->SetChecked(true);  // the column is there: it takes the box's width
    WaitIdle();
    EXPECT_EQ(fullPathWidth(), 120);
}

// What the list shows on screen: its client area copied out of the window.
class ListPicture {
public:
    explicit ListPicture(HWND List) {
        GetClientRect(List, &client_);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), client_.right, -client_.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        pixels_ = static_cast<const DWORD*>(bits);
        const fw::DCHandle memory(CreateCompatibleDC(nullptr));
        const HGDIOBJ old = SelectObject(memory.get(), bitmap_.get());
        BitBlt(memory.get(), 0, 0, client_.right, client_.bottom, fw::WindowDC(List).get(), 0, 0, SRCCOPY);
        SelectObject(memory.get(), old);
    }
    // How many pixels of Rect (clipped to the client area) have the colour.
    int Count(RECT Rect, COLORREF Colour) const {
        if (!pixels_ || !IntersectRect(&Rect, &Rect, &client_)) return 0;
        const DWORD wanted = DWORD(GetRValue(Colour)) << 16 | DWORD(GetGValue(Colour)) << 8 | GetBValue(Colour);
        int count = 0;
        for (LONG y = Rect.top; y < Rect.bottom; ++y)
            for (LONG x = Rect.left; x < Rect.right; ++x)
                count += (pixels_[y * client_.right + x] & 0xFFFFFF) == wanted;
        return count;
    }

private:
    RECT client_{};
    fw::BitmapHandle bitmap_;
    const DWORD* pixels_ = nullptr;
};

class ViewButtonsTest : public MainWindowTest {
protected:
    // A click on the row's text, as the mouse makes it.
    void ClickRow(int Index) {
        RECT r{};
        ASSERT_TRUE(ListView_GetItemRect(list, Index, &r, LVIR_LABEL));
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        Settle();
    }
    // Lists a new folder of 70 files: more than one column of the list view holds.
    void ListManyRows(const wchar_t* Name) {
        const std::wstring folder = testenv::NewScratchFolder(Name);
        for (int i = 0; i < 70; ++i) std::ofstream((folder + L"\\row" + std::to_wstring(i) + L".txt").c_str()) << "x";
        Form1->SetListingFolder(folder);
        WaitIdle();
        ASSERT_EQ(Form1->ZFL->Items()->Count(), 70);
        list = Form1->ZFL->Handle();
    }
    // A click on a view button, as the mouse makes it.
    void ClickButton(fw::TSpeedButton* Button) {
        Button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        Button->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        Settle();
    }
    void Press(WORD Key) {
        SendMessageW(list, WM_KEYDOWN, Key, 1);
        SendMessageW(list, WM_KEYUP, Key, 0xC0000001);
        Settle();
    }
    // The height the header takes at the top of the rows; 0 when it is hidden.
    int HeaderHeight() const {
        const HWND header = ListView_GetHeader(list);
        RECT r{};
        if (!header || !IsWindowVisible(header) || !GetClientRect(header, &r)) return 0;
        return r.bottom;
    }
    void Settle() {
        fw::Application()->ProcessMessages();
        UpdateWindow(list);
    }
    // Whether the row's text lies wholly in view and is drawn selected.
    bool ShownSelected(int Index) {
        RECT r{}, client{};
        GetClientRect(list, &client);
        if (!ListView_GetItemRect(list, Index, &r, LVIR_LABEL)) return false;
        if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom) return false;
        const int highlighted = ListPicture(list).Count(r, GetSysColor(COLOR_HIGHLIGHT));
        return highlighted * 3 > (r.right - r.left) * (r.bottom - r.top);
    }
    // The list view's own checks of one view, after a switch into it.
    void CheckList(const std::string& Where);
    void CheckReport(const std::string& Where);
    HWND list = nullptr;
    // The row selected before each switch: far enough down to be out of view at first.
    static constexpr int kFocused = 60;
};

void ViewButtonsTest::CheckReport(const std::string& Where) {
    ASSERT_GT(HeaderHeight(), 0) << Where;
    const int top = ListView_GetTopIndex(list);
    RECT first{}, second{};
    ASSERT_TRUE(ListView_GetItemRect(list, top, &first, LVIR_BOUNDS)) << Where;
    ASSERT_TRUE(ListView_GetItemRect(list, top + 1, &second, LVIR_BOUNDS)) << Where;
    EXPECT_GE(first.top, HeaderHeight()) << Where << ": the header covers no row";
    EXPECT_EQ(second.left, first.left) << Where;
    EXPECT_EQ(second.top, first.bottom) << Where;
    wchar_t text[64] = {};
    ListView_GetItemText(list, 0, 2, text, 64);
    EXPECT_NE(text[0], 0) << Where << ": the detail columns have their texts";
    EXPECT_TRUE(GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL) << Where;
}

void ViewButtonsTest::CheckList(const std::string& Where) {
    const int count = ListView_GetItemCount(list);
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), Form1->ZFL->Width() - 5) << Where;
    // The rows overflow into columns to the right, and the scroll bar reaches them.
    RECT first{}, next{};
    ListView_GetItemRect(list, 0, &first, LVIR_BOUNDS);
    int past = 1;
    while (past < count && ListView_GetItemRect(list, past, &next, LVIR_BOUNDS) && next.left == first.left) ++past;
    ASSERT_LT(past, count) << Where << ": the rows fill more than one column";
    EXPECT_GE(next.left, first.right) << Where << ": the next column stands right of the first";
    SCROLLINFO bar{sizeof(bar), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(list, SB_HORZ, &bar)) << Where;
    EXPECT_GT(bar.nMax - bar.nMin + 1, int(bar.nPage)) << Where << ": the scroll range is wider than its page";
    // Right goes one column on, End to the last row: each scrolls it into view, drawn selected.
    Press(VK_HOME);
    EXPECT_TRUE(ShownSelected(0)) << Where;
    Press(VK_RIGHT);
    EXPECT_TRUE(ShownSelected(past)) << Where << ": Right";
    Press(VK_END);
    EXPECT_TRUE(ShownSelected(count - 1)) << Where << ": End";
    Press(VK_HOME);
}

TEST_F(ViewButtonsTest, TheViewButtonsInEveryOrderKeepTheListWholeAndDrawn) {
    ASSERT_NO_FATAL_FAILURE(ListManyRows(L"views"));
    EXPECT_FALSE(Form1->ZFL->UseSystemFont());
    // Selected rows are drawn in the highlight colour while the list has the focus.
    SetFocus(list);
    fw::TSpeedButton* const buttons[] = {Form1->spIcons, Form1->spList, Form1->spReport};
    const DWORD views[] = {LVS_ICON, LVS_LIST, LVS_REPORT};
    const int orders[][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    for (const auto& order : orders) {
        for (int b : order) {
            Form1->ZFL->SetSelected(Form1->ZFL->Items()->Item(kFocused));
            ClickButton(buttons[b]);
            const std::string where = "view " + std::to_string(b) + " after " + std::to_string(order[0]);
            EXPECT_EQ(DWORD(GetWindowLongPtrW(list, GWL_STYLE)) & LVS_TYPEMASK, views[b]) << where;
            EXPECT_EQ(ListView_GetItemCount(list), 70) << where;
            EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), kFocused) << where;
            EXPECT_TRUE(ShownSelected(kFocused)) << where << ": the focused row is brought into view";
            // A click on another row in view draws that one selected, and the first no more.
            ClickRow(kFocused - 1);
            EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), kFocused - 1) << where;
            EXPECT_TRUE(ShownSelected(kFocused - 1)) << where << ": the clicked row is drawn selected";
            EXPECT_FALSE(ShownSelected(kFocused)) << where << ": and no other";
            RECT first{}, second{}, icon{};
            ASSERT_TRUE(ListView_GetItemRect(list, 0, &first, LVIR_BOUNDS)) << where;
            ASSERT_TRUE(ListView_GetItemRect(list, 1, &second, LVIR_BOUNDS)) << where;
            ListView_GetItemRect(list, 0, &icon, LVIR_ICON);
            EXPECT_GE(icon.bottom - icon.top, b == 0 ? 32 : 16) << where;
            if (b == 2) {
                CheckReport(where);
            } else {
                EXPECT_EQ(HeaderHeight(), 0) << where << ": no header in this view";
            }
            if (b == 1) {
                EXPECT_EQ(second.left, first.left) << where;
                EXPECT_GT(second.top, first.top) << where;
                CheckList(where);
            }
            if (b == 0) {
                EXPECT_GT(second.left, first.left) << where << ": icons side by side";
                EXPECT_EQ(second.top, first.top) << where;
            }
        }
    }
}

TEST_F(MainWindowTest, TheStopButtonShowsItsImage) {
    const HWND stop = Form1->StopSearchButton->Handle();
    BUTTON_IMAGELIST shown{};
    ASSERT_TRUE(SendMessageW(stop, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&shown)));
    ASSERT_NE(shown.himl, nullptr);
    EXPECT_GE(ImageList_GetImageCount(shown.himl), 1);
    // And it is drawn: the red of the stop sign, idle as during a listing.
    for (bool enabled : {false, true}) {
        Form1->StopSearchButton->SetEnabled(enabled);
        RedrawWindow(stop, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const fw::WindowDC dc(stop);
        RECT r{};
        GetClientRect(stop, &r);
        int red = 0;
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < r.right; ++x) {
                const COLORREF c = GetPixel(dc.get(), x, y);
                red += c != CLR_INVALID && GetRValue(c) > 150 && GetGValue(c) < 80 && GetBValue(c) < 80;
            }
        EXPECT_GT(red, 50) << (enabled ? "enabled" : "disabled");
    }
    Form1->StopSearchButton->SetEnabled(false);
}

TEST_F(MainWindowTest, ASpecialFolderWalkThatFailsPartWayLeavesTheEndToItsSearches) {
    // An entry without text: its special folder's objects (the drives) are searched, one search each.
    Form1->ZFC->OnChange = nullptr;
    fw::PidlPtr drives;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, drives.put()), S_OK);
    auto* entry = new shell::TZemComboItem(L"", L"", 0, -1);
    entry->SetIDList(drives.get());
    Form1->ZFC->SetItemIndex(Form1->ZFC->Items()->AddObject(L"", entry));
    ASSERT_TRUE(Form1->ZFC->GetEditText().empty());
    // The walk fails as the second search starts: the first one runs on.
    shell::TZemShellChangeNotifierList* directories = Form1->ZFL->Notifier()->Directories();
    bool firstAdded = false;
    directories->OnChange = [&](fw::TObject*) {
        if (directories->Count() == 1) firstAdded = true;
        else if (firstAdded && directories->Count() == 0) throw fw::Exception(L"walk failed");
    };
    const int before = ends;
    EXPECT_ANY_THROW(Form1->RefreshFileList(nullptr));
    directories->OnChange = nullptr;
    EXPECT_TRUE(Form1->StopSearchButton->Enabled()) << "the running search is not ended by the failure";
    EXPECT_EQ(ends, before);
    WaitIdle();
    EXPECT_EQ(ends - before, 1) << "the search ends the listing, once";
    EXPECT_GT(Form1->ZFL->Items()->Count(), 0);
    EXPECT_EQ(Status(), L"Items: " + std::to_wstring(Form1->ZFL->Items()->Count()));
}

namespace {
bool previewWasModal = false;
}  // namespace

TEST_F(MainWindowTest, ThePrintPreviewButtonShowsThePreviewModallyUntilItIsClosed) {
    previewWasModal = false;
    // While the preview shows, the main window takes no input; its Close button ends it.
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
        if (!Printpreview->Visible()) return;
        KillTimer(nullptr, id);
        previewWasModal = !IsWindowEnabled(Form1->Handle()) && Printpreview->PageCount() >= 1;
        SendMessageW(Printpreview->Button6->Handle(), BM_CLICK, 0, 0);
    });
    Form1->BtnPrint->SetDown(true);
    Form1->BtnPrintClick(Form1->BtnPrint);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(previewWasModal);
    EXPECT_FALSE(Printpreview->Visible());
    EXPECT_TRUE(IsWindowEnabled(Form1->Handle()));
    EXPECT_FALSE(Form1->BtnPrint->Down());
    EXPECT_EQ(Form1->MyGrid->Cells(0, 0), L"");  // emptied after the command
}

TEST_F(MainWindowTest, TheOutputGridTakesTheFontBoxFontAndLosesItsFixedColumnForGood) {
    // A face and height the grid does not have of its own: the form's font would not tell them apart.
    Form1->cbFont->Font()->SetName(L"Courier New");
    Form1->cbFont->Font()->SetHeight(-17);
    ASSERT_NE(Form1->MyGrid->Font()->Height(), -17);
    Form1->SetupGrid();
    EXPECT_EQ(Form1->MyGrid->Font()->Name(), L"Courier New");
    EXPECT_EQ(Form1->MyGrid->Font()->Height(), -17);
    EXPECT_EQ(Form1->MyGrid->FixedRows(), 0);
    EXPECT_EQ(Form1->MyGrid->FixedCols(), 1);
    ASSERT_EQ(Form1->MyGrid->ColCount(), 4);
    // The printed widths are the list's own: the name column's and the three boxes'.
    EXPECT_EQ(Form1->MyGrid->ColWidths(0), Form1->ZFL->Columns()->Items(0)->Width());
    const int widths[] = {70, 105, 105};
    for (int c = 1; c < 4; ++c) EXPECT_EQ(Form1->MyGrid->ColWidths(c), widths[c - 1]) << c;
    Form1->ClearGrid();
    // Every box off: one column, no fixed one; the boxes on again do not bring it back.
    for (fw::TCheckBox* box : {Form1->cbSize, Form1->cbType, Form1->cbDate}) box->SetChecked(false);
    WaitIdle();
    Form1->SetupGrid();
    EXPECT_EQ(Form1->MyGrid->ColCount(), 1);
    EXPECT_EQ(Form1->MyGrid->FixedCols(), 0);
    for (fw::TCheckBox* box : {Form1->cbSize, Form1->cbType, Form1->cbDate}) box->SetChecked(true);
    WaitIdle();
    Form1->SetupGrid();
    EXPECT_EQ(Form1->MyGrid->ColCount(), 4);
    EXPECT_EQ(Form1->MyGrid->FixedCols(), 0);
    Form1->ClearGrid();
}

TEST_F(MainWindowTest, WithoutSortFilesByTheListingIsNotSorted) {
    Form1->btnDescend->SetChecked(true);
    WaitIdle();
    const Texts descending = Rows();
    ASSERT_GE(descending.size(), 3u);
    Form1->cbSort->SetChecked(false);
    Form1->RefreshFileList(Form1->cbSort);
    WaitIdle();
    // The rows come in the order the search found them: not turned round for the chosen direction.
    EXPECT_EQ(Sorted(Rows()), Sorted(descending));
    EXPECT_NE(Rows(), descending);
    EXPECT_EQ(Status(), L"Items: " + std::to_wstring(descending.size()));
}

TEST_F(MainWindowTest, AFolderThatIsGoneListsEmptyAndTheUserIsToldSo) {
    const std::wstring gone = testenv::NewScratchFolder(L"gone");
    std::ofstream((gone + L"\\left.txt").c_str()) << "x";
    Form1->SetListingFolder(gone);
    WaitIdle();
    ASSERT_EQ(Status(), L"Items: 1");
    ASSERT_TRUE(DeleteFileW((gone + L"\\left.txt").c_str()));
    ASSERT_TRUE(RemoveDirectoryW(gone.c_str()));
    Form1->cbHidden->SetChecked(true);  // a listing option: the same folder asked for again
    WaitIdle();
    EXPECT_EQ(Status(), L"Items: 0");
    EXPECT_EQ(boxes, Texts{L"The folder " + gone + L" could not be found."});
    // A request for a folder that is there drops the notice of one before it that was not.
    Form1->RefreshFileList(Form1->edMask);
    ASSERT_TRUE(CreateDirectoryW(gone.c_str(), nullptr));
    Form1->RefreshFileList(Form1->edMask);
    WaitIdle();
    EXPECT_EQ(boxes.size(), 1u);
}

// The window before its first show: listing requests start no listing.
class MainWindowBeforeShowTest : public MainWindowTest {
protected:
    bool ShowAtStart() const override { return false; }
};

TEST_F(MainWindowBeforeShowTest, RequestsListNothingUntilTheFirstShow) {
    EXPECT_FALSE(Form1->FormShown);
    // The windows made, as they are before the first show: the folder box has chosen its first folder.
    Form1->ZFC->HandleNeeded();
    ASSERT_FALSE(Form1->ZFC->GetEditText().empty());
    Form1->edMask->SetText(L"*.txt");
    Form1->SetListingFolder(ScratchListing());
    Form1->RefreshFileList(Form1->edMask);
    // Time for a search to find something, had one started.
    for (int i = 0; i < 30; ++i) {
        fw::Application()->ProcessMessages();
        fw::CheckSynchronize();
        Sleep(10);
    }
    EXPECT_EQ(Form1->ZFL->Items()->Count(), 0);
    EXPECT_EQ(ends, 0) << "no search started";
    Form1->Show();
    EXPECT_TRUE(Form1->FormShown);
    WaitIdle();
    EXPECT_EQ(Sorted(Rows()), Sorted({L"alpha.txt", L"Gamma 10.txt", kUnicode}));
}

}  // namespace

TEST_F(ViewButtonsTest, WithNoFocusedRowTheRowsInViewStayInView) {
    ASSERT_NO_FATAL_FAILURE(ListManyRows(L"unfocused"));
    ASSERT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), -1);
    RECT client{}, row{};
    for (fw::TSpeedButton* from : {Form1->spReport, Form1->spList}) {
        ClickButton(from);
        // Scrolled to the end.
        if (from == Form1->spReport) ListView_Scroll(list, 0, 2000);
        else ListView_Scroll(list, 2000, 0);
        Settle();
        const int top = ListView_GetTopIndex(list);
        ASSERT_GT(top, 20);
        ClickButton(Form1->spIcons);
        GetClientRect(list, &client);
        ASSERT_TRUE(ListView_GetItemRect(list, top, &row, LVIR_BOUNDS));
        EXPECT_TRUE(row.top >= 0 && row.bottom <= client.bottom) << "the row that was first in view is in view";
    }
    // From icons scrolled down, the report starts at its first row.
    ListView_Scroll(list, 0, 2000);
    ClickButton(Form1->spReport);
    EXPECT_EQ(ListView_GetTopIndex(list), 0);
}

TEST_F(ViewButtonsTest, ColumnsChosenInTheIconAndListViewsAreShownInTheReport) {
    list = Form1->ZFL->Handle();
    const auto click = [&](fw::TSpeedButton* Button) {
        ClickButton(Button);
        WaitIdle();
        Settle();
    };
    fw::TCheckBox* const boxes[] = {Form1->cbItem, Form1->cbSize};
    for (fw::TSpeedButton* view : {Form1->spIcons, Form1->spList}) {
        for (fw::TCheckBox* box : boxes) {
            const std::string where =
                "view " + std::to_string(view->Tag()) + (box == Form1->cbItem ? " folder" : " size");
            const bool chosen = !box->Checked();
            click(view);
            box->SetChecked(chosen);
            WaitIdle();
            Settle();
            if (view == Form1->spList) {
                EXPECT_EQ(ListView_GetColumnWidth(list, 0), Form1->ZFL->Width() - 5) << where << ": the rows' width";
            }
            click(Form1->spReport);
            EXPECT_EQ(box->Checked(), chosen) << where;
            const int column = box == Form1->cbItem ? 1 : 2;
            EXPECT_EQ(ListView_GetColumnWidth(list, column) > 0, chosen) << where;
        }
    }
}
