// The run of an export: target names, failures, events, viewer and clipboard.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "export/ExportProgress.h"
#include "framework/Label.h"
#include "framework/ProgressBar.h"
#include "framework/SysUtils.h"
#include "tests/common/PlacedForm.h"
#include "tests/common/FillingDisk.h"
#include "tests/export/ExportTestSource.h"

namespace {

// Counts the paints of a window it is put on.
int barPaints = 0;
WNDPROC barProc = nullptr;
LRESULT CALLBACK CountPaints(HWND Window, UINT Message, WPARAM W, LPARAM L) {
    if (Message == WM_PAINT) ++barPaints;
    return CallWindowProcW(barProc, Window, Message, W, L);
}

}  // namespace

using ExportRun = ExportFixture;

TEST_F(ExportRun, TargetTakesTheFormatsExtensionOrTheOneAsked) {
    Run(xtTXT);
    EXPECT_TRUE(FileThere(folder_ + L"\\doc.TXT"));
    e_->SetFileName(folder_ + L"\\Tab.txt");
    Run(xtTAB);
    EXPECT_TRUE(FileThere(folder_ + L"\\Tab.TXT"));
    Run(xtHTML);
    EXPECT_TRUE(FileThere(folder_ + L"\\Tab.HTML"));
    e_->HTML()->SetExtension(exHTM);
    e_->Execute();
    EXPECT_TRUE(FileThere(folder_ + L"\\Tab.HTM"));
    EXPECT_EQ(e_->FileName(), folder_ + L"\\Tab.txt");
    // The spreadsheet file follows the extension asked too, in both styles.
    e_->SetFileName(folder_ + L"\\doc");
    ViewerRecorder viewer;
    e_->OnGetExtension = [](fw::TObject*, std::wstring& ext) { ext = L"dat"; };
    { fw::TFileStream old(folder_ + L"\\doc.dat", fw::fmCreate); }
    std::vector<std::wstring> asked;
    e_->OnFileExist = [&](fw::TObject*, const std::wstring& name, bool&) { asked.push_back(name); };
    Run(xtExcel);
    EXPECT_EQ(asked, std::vector<std::wstring>{folder_ + L"\\doc.dat"});
    EXPECT_EQ(ReadBytes(folder_ + L"\\doc.dat").substr(0, 2), std::string("\x09\x00", 2)) << "written where asked";
    EXPECT_FALSE(FileThere(folder_ + L"\\doc.XLS"));
    // In view style the file opened is the file written.
    e_->SetExportStyle(xsView);
    e_->SetTempDir(folder_);
    e_->Execute();
    ASSERT_EQ(viewer.Files.size(), 1u);
    EXPECT_EQ(viewer.Files[0], folder_ + L"\\Tbr0001.dat");
    EXPECT_TRUE(FileThere(viewer.Files[0]));
}

TEST_F(ExportRun, ClipboardNeedsNoFileNameAndOpensNothing) {
    MessageBoxRecorder boxes;
    ViewerRecorder viewer;
    With(xoClipboardMessage);
    e_->SetFileName(L"");
    e_->SetExportType(xtClipboard);
    e_->Execute();
    EXPECT_EQ(ClipboardText(), L"Name   Size\r\n-----------\r\na.txt  12  \r\nbb.doc 7   \r\n-----------\r\n");
    EXPECT_EQ(boxes.Texts, std::vector<std::wstring>{L"Data was copied to clipboard!"});
    e_->SetExportStyle(xsView);
    e_->Rows[0][0] = L"\u03a9 \u0436";  // the clipboard keeps every character
    e_->Execute();
    EXPECT_TRUE(viewer.Files.empty());
    EXPECT_NE(ClipboardText().find(L"\u03a9 \u0436"), std::wstring::npos);
    EXPECT_EQ(boxes.Texts.size(), 2u);
}

TEST_F(ExportRun, ViewWritesAFreshTemporaryFileAndOpensIt) {
    ViewerRecorder viewer;
    e_->SetExportStyle(xsView);
    e_->SetFileName(L"");  // no file name is needed to view
    e_->SetTempDir(folder_);
    e_->SetExportType(xtCSV);
    // The first name is taken: the next number is tried.
    const std::wstring first = folder_ + L"\\Tbr0001.CSV";
    { fw::TFileStream taken(first, fw::fmCreate); }
    e_->Execute();
    ASSERT_EQ(viewer.Files.size(), 1u);
    EXPECT_EQ(viewer.Files[0], folder_ + L"\\Tbr0002.CSV");
    EXPECT_EQ(viewer.Folders[0], folder_ + L"\\") << "opened in its own folder";
    EXPECT_EQ(viewer.Shows[0], SW_SHOWNOACTIVATE);
    EXPECT_EQ(ReadBytes(viewer.Files[0]), "Name,Size\r\na.txt,12\r\nbb.doc,7\r\n");
    EXPECT_EQ(ReadBytes(first), "");
    // An empty folder is the system's temporary folder.
    e_->SetTempDir(L"");
    e_->Execute();
    ASSERT_EQ(viewer.Files.size(), 2u);
    wchar_t temp[MAX_PATH + 1];
    EXPECT_EQ(fw::ExtractFilePath(viewer.Files[1]), std::wstring(temp, GetTempPathW(MAX_PATH + 1, temp)));
    EXPECT_EQ(ReadBytes(viewer.Files[1]), "Name,Size\r\na.txt,12\r\nbb.doc,7\r\n");
    DeleteFileW(viewer.Files[1].c_str());
    // A viewer that fails ("no association") is reported, with the file that was written.
    ViewerRecorder failing(31);
    e_->SetTempDir(folder_);
    e_->Execute();
    ASSERT_EQ(failing.Files.size(), 1u);
    EXPECT_EQ(errors_, std::vector<TztExportError>{xeViewFailed});
    EXPECT_EQ(e_->ViewedFileName(), failing.Files[0]);
    EXPECT_EQ(e_->ViewResult(), 31);
    EXPECT_EQ(ReadBytes(failing.Files[0]), "Name,Size\r\na.txt,12\r\nbb.doc,7\r\n") << "the file is there";
    errors_.clear();
    // A document that could not be written is not opened.
    e_->SetTempDir(folder_ + L"\\no-such-folder\\");
    e_->Execute();
    EXPECT_EQ(failing.Files.size(), 1u);
    EXPECT_EQ(errors_, std::vector<TztExportError>{xeGeneralExportError});
    errors_.clear();
}

TEST_F(ExportRun, EventsOfARunInOrderAndARefusedOverwrite) {
    With(xoShowExportDate);
    std::vector<std::wstring> events;
    bool overwrite = true;
    e_->OnGetExtension = [&](fw::TObject*, std::wstring& ext) {
        events.push_back(L"GetExtension " + ext);
        ext = L"log";
    };
    e_->OnBeginExport = [&](fw::TObject*) { events.push_back(L"BeginExport"); };
    e_->OnFileExist = [&](fw::TObject*, const std::wstring& name, bool& can) {
        events.push_back(L"FileExist " + fw::ExtractFileName(name));
        can = overwrite;
    };
    e_->OnGetHeader = [&](fw::TObject*, uint32_t count, std::wstring& header) {
        events.push_back(L"GetHeader " + std::to_wstring(count));
        header = L"100% sure";
    };
    e_->OnExport = [&](fw::TObject*, uint32_t current, uint32_t total, const TztValues& values, bool&) {
        events.push_back(L"Export " + std::to_wstring(current) + L"/" + std::to_wstring(total) + L" " +
                         values[0].AsString());
    };
    e_->OnGetFooter = [&](fw::TObject*, uint32_t, std::wstring& footer) {
        events.push_back(L"GetFooter");
        footer = L"end";
    };
    e_->OnEndExport = [&](fw::TObject*) { events.push_back(L"EndExport"); };
    e_->OnError = [&](fw::TObject*, TztExportError code) { events.push_back(L"Error " + std::to_wstring(code)); };
    { fw::TFileStream existing(folder_ + L"\\doc.log", fw::fmCreate); }
    Run(xtTXT);
    EXPECT_EQ(events,
              (std::vector<std::wstring>{L"GetExtension TXT", L"BeginExport", L"FileExist doc.log", L"GetHeader 2",
                                         L"Export 0/2 a.txt", L"Export 1/2 bb.doc", L"GetFooter", L"EndExport"}));
    const std::string text = ReadBytes(folder_ + L"\\doc.log");
    EXPECT_EQ(text.substr(0, 11), "100% sure\r\n");
    EXPECT_NE(text.find("end\r\nCreated: "), std::string::npos);
    ASSERT_FALSE(e_->Calls.empty());
    EXPECT_EQ(e_->Calls.front(), L"BeforeExport");
    EXPECT_EQ(e_->Calls.back(), L"AfterExport");
    // A refused overwrite writes nothing and says so.
    overwrite = false;
    events.clear();
    e_->Rows.pop_back();  // were it written, the file would change
    Run(xtTXT);
    EXPECT_EQ(events, (std::vector<std::wstring>{L"GetExtension TXT", L"BeginExport", L"FileExist doc.log", L"Error 1",
                                                 L"Error 3", L"EndExport"}));
    EXPECT_EQ(ReadBytes(folder_ + L"\\doc.log"), text);
}

TEST_F(ExportRun, FailuresEndConsistently) {
    e_->Assigned = false;
    e_->Execute();
    EXPECT_EQ(errors_, std::vector<TztExportError>{xeComponentIsNull});
    EXPECT_TRUE(e_->Calls.empty()) << "no hook runs without a source";
    e_->Assigned = true;
    e_->SetFileName(L"");
    Run(xtCSV);
    ASSERT_FALSE(errors_.empty());
    EXPECT_EQ(errors_.back(), xeInvalidFileName);
    EXPECT_EQ(e_->Calls, (std::vector<std::wstring>{L"BeforeExport", L"AfterExport"}));
    errors_.clear();
    // No columns: the run begins and ends, and writes nothing.
    e_->SetFileName(folder_ + L"\\doc");
    e_->Names.clear();
    e_->Rows = {{}, {}};
    int begins = 0, ends = 0;
    e_->OnBeginExport = [&](fw::TObject*) { ++begins; };
    e_->OnEndExport = [&](fw::TObject*) { ++ends; };
    Run(xtTXT);
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(FileThere(folder_ + L"\\doc.TXT"));
    EXPECT_TRUE(errors_.empty());
    // A target that cannot be made is a general error; the run still ends.
    e_->Names = {L"Name"};
    e_->SetFileName(testenv::ScratchRoot() + L"no-such-folder\\x");
    Run(xtRTF);
    EXPECT_EQ(errors_, std::vector<TztExportError>{xeGeneralExportError});
    EXPECT_EQ(ends, 2);
    errors_.clear();
}

TEST_F(ExportRun, ARunKeepsItsSettingsAndItsFormTakesNoInputUntilItEnds) {
    // A run of a component on a form, whose overwrite question lets a second
    // command in: it changes the type and the name, and runs again.
    std::unique_ptr<fw::TForm> form(testenv::NewPlacedForm(40, 40, 300, 200));
    form->Show();
    auto* e = new TTestExport(form.get());
    e->Names = e_->Names;
    e->Rows = e_->Rows;
    e->SetExportStyle(xsFile);
    e->SetFileName(folder_ + L"\\doc");
    e->SetOptions(e->Options().Exclude(xoShowExportDate).Include(xoClipboardMessage));
    std::vector<HWND> owners;
    ScopedHook<decltype(fw::TApplication::MessageBoxHook)> boxes(
        fw::TApplication::MessageBoxHook, [&](HWND Owner, const std::wstring&, const std::wstring&, unsigned) {
            owners.push_back(Owner);
            return IDOK;
        });
    std::vector<bool> enabledWhileAsked;
    e->OnFileExist = [&](fw::TObject*, const std::wstring&, bool& Can) {
        enabledWhileAsked.push_back(IsWindowEnabled(form->Handle()) != FALSE);
        e->SetExportType(xtClipboard);
        e->SetFileName(folder_ + L"\\other");
        e->Execute();
        Can = true;
    };
    { fw::TFileStream old(folder_ + L"\\doc.CSV", fw::fmCreate); }
    e->SetExportType(xtCSV);
    e->Execute();
    EXPECT_EQ(enabledWhileAsked, std::vector<bool>{false});
    EXPECT_TRUE(IsWindowEnabled(form->Handle())) << "the form takes input again";
    EXPECT_TRUE(owners.empty()) << "the second run was not started";
    EXPECT_EQ(ReadBytes(folder_ + L"\\doc.CSV"), "Name,Size\r\na.txt,12\r\nbb.doc,7\r\n");
    EXPECT_FALSE(FileThere(folder_ + L"\\other.CSV"));
    EXPECT_FALSE(e->Running());
    // A box of the run belongs to the form, not to the progress window.
    e->OnFileExist = nullptr;
    e->SetOptions(e->Options().Include(xoShowProgress));
    e->Execute();
    ASSERT_EQ(owners.size(), 1u);
    EXPECT_EQ(owners[0], form->Handle());
    // A handler that changes the settings during a run changes the next run only.
    owners.clear();
    DeleteFileW((folder_ + L"\\doc.CSV").c_str());
    e->SetExportType(xtCSV);
    e->SetFileName(folder_ + L"\\doc");
    e->OnGetExtension = [&](fw::TObject*, std::wstring&) {
        e->SetExportType(xtClipboard);
        e->SetOptions(e->Options().Exclude(xoShowHeader));
    };
    e->Execute();
    EXPECT_EQ(ReadBytes(folder_ + L"\\doc.CSV"), "Name,Size\r\na.txt,12\r\nbb.doc,7\r\n");
    EXPECT_TRUE(owners.empty()) << "nothing went to the clipboard";
    EXPECT_EQ(e->ExportType(), xtClipboard);
}

TEST_F(ExportRun, AnOverwriteThatFailsPartWayLeavesTheOldFile) {
    for (int i = 0; i < 2000; ++i) e_->Rows.push_back({L"row", std::to_wstring(i)});
    const TztExportType types[] = {xtTXT, xtCSV, xtTAB, xtHTML, xtRTF, xtWord, xtExcel, xtDIF, xtSYLK};
    for (const bool ascii : {true, false}) {
        // A character beyond ASCII takes the documents another way to their bytes.
        e_->Rows[0][0] = ascii ? L"a.txt" : L"\u00e9t\u00e9 \u03a9.txt";
        for (const TztExportType type : types) {
            e_->SetExportType(type);
            const std::wstring target = folder_ + L"\\doc." + e_->GetDefaultExtension();
            {
                fw::TFileStream old(target, fw::fmCreate);
                old.WriteBuffer("old", 3);
            }
            const std::set<std::wstring> before = testenv::NamesIn(folder_);
            {
                testenv::FillingDisk disk(200);
                e_->Execute();
            }
            EXPECT_EQ(errors_, std::vector<TztExportError>{xeGeneralExportError}) << type;
            errors_.clear();
            EXPECT_EQ(ReadBytes(target), "old") << type << " " << ascii;
            EXPECT_EQ(testenv::NamesIn(folder_), before) << "no partial file of " << type;
            // With room on the disk the same run replaces the file.
            e_->Execute();
            EXPECT_GT(ReadBytes(target).size(), 2000u) << type;
        }
    }
}

TEST_F(ExportRun, ProgressWindowFollowsTheMessages) {
    for (int i = 0; i < 70000; ++i) e_->Rows.push_back({L"r", std::to_wstring(i)});
    With(xoShowProgress);
    e_->Messages()->SetWidth(300);
    e_->Messages()->SetHeight(80);
    int maxSeen = -1;
    bool shownAndDrawn = false, designed = false, centred = false;
    HWND bar = nullptr;
    barPaints = 0;
    e_->OnExport = [&](fw::TObject*, uint32_t Row, uint32_t, const TztValues&, bool&) {
        const Tfrm_ProgressForm* p = e_->ProgressForm();
        maxSeen = p->BarMax();
        if (Row != 0) return;
        // Shown and drawn at once: nothing of it waits for a paint, though no message has been handled.
        const HWND form = p->Handle();
        bar = p->ProgressBar && p->ProgressBar->HandleAllocated() ? p->ProgressBar->Handle() : nullptr;
        shownAndDrawn = form && bar && IsWindowVisible(form) && !GetUpdateRect(form, nullptr, FALSE) &&
                        !GetUpdateRect(bar, nullptr, FALSE);
        // A tool window on top of the others, without border icons, in the middle of the screen.
        RECT r{};
        if (!form || !GetWindowRect(form, &r)) return;
        const LONG_PTR ex = GetWindowLongPtrW(form, GWL_EXSTYLE);
        designed =
            (ex & WS_EX_TOPMOST) && (ex & WS_EX_TOOLWINDOW) && !(GetWindowLongPtrW(form, GWL_STYLE) & WS_SYSMENU);
        centred = std::abs(r.left + r.right - GetSystemMetrics(SM_CXSCREEN)) <= 1 &&
                  std::abs(r.top + r.bottom - GetSystemMetrics(SM_CYSCREEN)) <= 1;
        if (bar) barProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(bar, GWLP_WNDPROC, LONG_PTR(CountPaints)));
    };
    // Every row on a line of its own, however the document holds them.
    const unsigned long long start = GetTickCount64();
    const std::string csv = Run(xtCSV);
    const unsigned long long elapsed = GetTickCount64() - start;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 70003);
    EXPECT_NE(csv.find("\r\nr,34999\r\nr,35000\r\n"), std::string::npos);
    EXPECT_EQ(csv.substr(csv.size() - 11), "\r\nr,69999\r\n");
    const Tfrm_ProgressForm* p = e_->ProgressForm();
    EXPECT_EQ(maxSeen, 70002) << "a 32-bit range";
    EXPECT_EQ(p->BarPosition(), 70001);
    // Drawn anew no more often than ten times a second, however many rows pass.
    EXPECT_LE(p->Repaints(), int(elapsed / 100) + 1);
    EXPECT_LE(barPaints, int(elapsed / 100) + 2);
    if (bar) SetWindowLongPtrW(bar, GWLP_WNDPROC, LONG_PTR(barProc));
    EXPECT_EQ(p->BarLeft(), 8);
    // Below the label: the frame, then the rest of the client area halved.
    ASSERT_TRUE(p->ProgressLabel && p->ProgressBar);
    EXPECT_EQ(p->ProgressLabel->Left(), 8);
    EXPECT_EQ(p->BarTop(),
              (p->Height() - p->ClientHeight()) + (p->ClientHeight() - p->ProgressLabel->Height() - 16 - 16) / 2);
    EXPECT_EQ(p->ProgressBar->Top(), p->BarTop());
    EXPECT_EQ(p->BarWidth(), p->ClientWidth() - 16);
    EXPECT_EQ(p->Width(), 300);
    EXPECT_EQ(p->Caption(), L"Export");
    EXPECT_EQ(p->LabelText(), L"Processing...");
    EXPECT_TRUE(shownAndDrawn);
    EXPECT_TRUE(designed);
    EXPECT_TRUE(centred);
    EXPECT_FALSE(p->Showing()) << "closed at the end";
    // Without a text the label is hidden and the bar stands halfway down below the frame.
    e_->Messages()->SetText(L"");
    e_->OnExport = nullptr;
    e_->Rows.resize(2);
    Run(xtCSV);
    EXPECT_EQ(p->BarTop(), ((p->Height() - p->ClientHeight()) + (p->ClientHeight() - 16 - 16)) / 2);
    EXPECT_EQ(p->ProgressBar->Top(), p->BarTop());
    EXPECT_FALSE(p->ProgressLabel->Visible());
    if (HWND bar = FindWindowExW(p->Handle(), nullptr, L"msctls_progress32", nullptr)) {
        EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 70002);
    }
}
