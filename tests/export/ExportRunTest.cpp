// The run of an export: target names, failures, events, viewer and clipboard.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "export/ExportProgress.h"
#include "framework/SysUtils.h"
#include "tests/export/ExportTestSource.h"
#include "tests/common/TestEnv.h"

namespace {

std::unique_ptr<TTestExport> NameSizeExport() {
    auto e = std::make_unique<TTestExport>();
    e->Names = {L"Name", L"Size"};
    e->Rows = {{L"a.txt", L"12"}, {L"bb.doc", L"7"}};
    return e;
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return L"<closed>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

}  // namespace

TEST(ExportRun, TargetTakesTheFormatsExtension) {
    const std::wstring folder = testenv::NewScratchFolder(L"export-run");
    auto e = NameSizeExport();
    e->SetExportStyle(xsFile);
    e->SetFileName(folder + L"\\Tabulor");
    e->SetExportType(xtTXT);
    e->Execute();
    EXPECT_TRUE(FileThere(folder + L"\\Tabulor.TXT"));
    e->SetFileName(folder + L"\\Tab.txt");
    e->SetExportType(xtTAB);
    e->Execute();
    EXPECT_TRUE(FileThere(folder + L"\\Tab.TXT"));
    e->SetExportType(xtHTML);
    e->Execute();
    EXPECT_TRUE(FileThere(folder + L"\\Tab.HTML"));
    e->HTML()->SetExtension(exHTM);
    e->Execute();
    EXPECT_TRUE(FileThere(folder + L"\\Tab.HTM"));
    EXPECT_EQ(e->FileName(), folder + L"\\Tab.txt");
}

TEST(ExportRun, FailuresBeforeTheDocument) {
    auto e = NameSizeExport();
    std::vector<TztExportError> errors;
    e->OnError = [&](fw::TObject*, TztExportError code) { errors.push_back(code); };
    e->Assigned = false;
    e->Execute();
    EXPECT_EQ(errors, std::vector<TztExportError>{xeComponentIsNull});
    EXPECT_TRUE(e->Calls.empty()) << "no hook runs without a source";

    e->Assigned = true;
    e->SetExportStyle(xsFile);
    e->SetExportType(xtCSV);
    e->Execute();
    EXPECT_EQ(errors.back(), xeInvalidFileName);
    EXPECT_EQ(e->Calls, (std::vector<std::wstring>{L"BeforeExport", L"AfterExport"}));
}

TEST(ExportRun, ClipboardNeedsNoFileNameAndOpensNothing) {
    MessageBoxRecorder boxes;
    ViewerRecorder viewer;
    auto e = NameSizeExport();
    e->SetOptions(e->Options().Exclude(xoShowExportDate).Include(xoClipboardMessage));
    std::vector<TztExportError> errors;
    e->OnError = [&](fw::TObject*, TztExportError code) { errors.push_back(code); };
    e->SetExportType(xtClipboard);
    e->SetExportStyle(xsFile);
    e->Execute();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(ClipboardText(), L"Name   Size\r\n-----------\r\na.txt  12  \r\nbb.doc 7   \r\n-----------\r\n");
    EXPECT_EQ(boxes.Texts, std::vector<std::wstring>{L"Data was copied to clipboard!"});
    e->SetExportStyle(xsView);
    e->Rows[0][0] = L"\u03a9 \u0436";  // the clipboard keeps every character
    e->Execute();
    EXPECT_TRUE(viewer.Files.empty());
    EXPECT_NE(ClipboardText().find(L"\u03a9 \u0436"), std::wstring::npos);
    EXPECT_EQ(boxes.Texts.size(), 2u);
}

TEST(ExportRun, ViewWritesAFreshTemporaryFileAndOpensIt) {
    ViewerRecorder viewer;
    const std::wstring folder = testenv::NewScratchFolder(L"export-view");
    auto e = NameSizeExport();
    e->SetTempDir(folder);
    e->SetExportType(xtCSV);
    std::vector<TztExportError> errors;
    e->OnError = [&](fw::TObject*, TztExportError code) { errors.push_back(code); };
    // The first name is taken: the next number is tried.
    const std::wstring first = folder + L"\\Tbr0001.CSV";
    { fw::TFileStream taken(first, fw::fmCreate); }
    e->Execute();
    ASSERT_EQ(viewer.Files.size(), 1u);
    EXPECT_EQ(viewer.Files[0], folder + L"\\Tbr0002.CSV");
    EXPECT_EQ(ReadBytes(viewer.Files[0]), "Name,Size\r\na.txt,12\r\nbb.doc,7\r\n");
    EXPECT_EQ(ReadBytes(first), "");
    EXPECT_TRUE(errors.empty()) << "no file name is needed to view";
    // An empty folder is the system's temporary folder.
    e->SetTempDir(L"");
    e->Execute();
    ASSERT_EQ(viewer.Files.size(), 2u);
    wchar_t temp[MAX_PATH + 1];
    EXPECT_EQ(fw::ExtractFilePath(viewer.Files[1]), std::wstring(temp, GetTempPathW(MAX_PATH + 1, temp)));
    EXPECT_EQ(ReadBytes(viewer.Files[1]), "Name,Size\r\na.txt,12\r\nbb.doc,7\r\n");
    DeleteFileW(viewer.Files[1].c_str());
}

TEST(ExportRun, AFailedViewerIsReported) {
    ViewerRecorder viewer(31);  // "no association"
    auto e = NameSizeExport();
    e->SetTempDir(testenv::NewScratchFolder(L"export-viewfail"));
    e->SetExportType(xtDIF);
    std::vector<TztExportError> errors;
    e->OnError = [&](fw::TObject*, TztExportError code) { errors.push_back(code); };
    e->Execute();
    EXPECT_EQ(viewer.Files.size(), 1u);
    EXPECT_EQ(errors, std::vector<TztExportError>{xeGeneralExportError});
}

TEST(ExportRun, SpreadsheetNameFollowsTheExtensionAsked) {
    ViewerRecorder viewer;
    const std::wstring folder = testenv::NewScratchFolder(L"export-xlsname");
    auto e = NameSizeExport();
    e->SetExportType(xtExcel);
    e->SetExportStyle(xsFile);
    e->SetFileName(folder + L"\\sheet");
    e->OnGetExtension = [](fw::TObject*, std::wstring& ext) { ext = L"dat"; };
    { fw::TFileStream old(folder + L"\\sheet.dat", fw::fmCreate); }
    std::vector<std::wstring> asked;
    e->OnFileExist = [&](fw::TObject*, const std::wstring& name, bool&) { asked.push_back(name); };
    e->Execute();
    EXPECT_EQ(asked, std::vector<std::wstring>{folder + L"\\sheet.dat"});
    EXPECT_EQ(ReadBytes(folder + L"\\sheet.dat").substr(0, 2), std::string("\x09\x00", 2)) << "written where asked";
    EXPECT_FALSE(FileThere(folder + L"\\sheet.XLS"));
    // In view style the file opened is the file written.
    e->SetExportStyle(xsView);
    e->SetTempDir(folder);
    e->Execute();
    ASSERT_EQ(viewer.Files.size(), 1u);
    EXPECT_EQ(viewer.Files[0], folder + L"\\Tbr0001.dat");
    EXPECT_TRUE(FileThere(viewer.Files[0]));
}

TEST(ExportRun, EventsOfARunInOrder) {
    const std::wstring folder = testenv::NewScratchFolder(L"export-events");
    auto e = NameSizeExport();
    e->SetExportStyle(xsFile);
    e->SetFileName(folder + L"\\ev");
    e->SetExportType(xtTXT);
    std::vector<std::wstring> events;
    e->OnGetExtension = [&](fw::TObject*, std::wstring& ext) {
        events.push_back(L"GetExtension " + ext);
        ext = L"log";
    };
    e->OnBeginExport = [&](fw::TObject*) { events.push_back(L"BeginExport"); };
    e->OnFileExist = [&](fw::TObject*, const std::wstring& name, bool& can) {
        events.push_back(L"FileExist " + fw::ExtractFileName(name));
        can = true;
    };
    e->OnGetHeader = [&](fw::TObject*, uint32_t count, std::wstring& header) {
        events.push_back(L"GetHeader " + std::to_wstring(count));
        header = L"100% sure";
    };
    e->OnExport = [&](fw::TObject*, uint32_t current, uint32_t total, const TztValues& values, bool&) {
        events.push_back(L"Export " + std::to_wstring(current) + L"/" + std::to_wstring(total) + L" " +
                         values[0].AsString());
    };
    e->OnGetFooter = [&](fw::TObject*, uint32_t, std::wstring& footer) {
        events.push_back(L"GetFooter");
        footer = L"end";
    };
    e->OnEndExport = [&](fw::TObject*) { events.push_back(L"EndExport"); };
    e->OnError = [&](fw::TObject*, TztExportError) { events.push_back(L"Error"); };
    // ev.log does not exist yet; make it so the existence question is asked.
    { fw::TFileStream existing(folder + L"\\ev.log", fw::fmCreate); }
    e->Execute();
    EXPECT_EQ(events,
              (std::vector<std::wstring>{L"GetExtension TXT", L"BeginExport", L"FileExist ev.log", L"GetHeader 2",
                                         L"Export 0/2 a.txt", L"Export 1/2 bb.doc", L"GetFooter", L"EndExport"}));
    const std::string text = ReadBytes(folder + L"\\ev.log");
    EXPECT_EQ(text.substr(0, 11), "100% sure\r\n");
    EXPECT_NE(text.find("end\r\nCreated: "), std::string::npos);
    EXPECT_EQ(e->Calls.front(), L"BeforeExport");
    EXPECT_EQ(e->Calls.back(), L"AfterExport");
}

TEST(ExportRun, RefusedOverwriteWritesNothing) {
    ViewerRecorder viewer;
    const std::wstring folder = testenv::NewScratchFolder(L"export-refuse");
    auto e = NameSizeExport();
    e->SetExportStyle(xsFile);
    e->SetFileName(folder + L"\\keep");
    e->SetExportType(xtCSV);
    {
        fw::TFileStream existing(folder + L"\\keep.CSV", fw::fmCreate);
        existing.WriteBuffer("old", 3);
    }
    std::vector<std::wstring> events;
    e->OnFileExist = [&](fw::TObject*, const std::wstring&, bool& can) { can = false; };
    e->OnError = [&](fw::TObject*, TztExportError code) { events.push_back(L"Error " + std::to_wstring(code)); };
    e->OnExport = [&](fw::TObject*, uint32_t, uint32_t, const TztValues&, bool&) { events.push_back(L"Export"); };
    e->OnEndExport = [&](fw::TObject*) { events.push_back(L"EndExport"); };
    e->Execute();
    EXPECT_EQ(events, (std::vector<std::wstring>{L"Error 1", L"Error 3", L"EndExport"}));
    EXPECT_EQ(ReadBytes(folder + L"\\keep.CSV"), "old");
    EXPECT_TRUE(viewer.Files.empty());
}

TEST(ExportRun, NoColumnsOrNoTargetEndConsistently) {
    auto e = std::make_unique<TTestExport>();
    e->Rows = {{}, {}};
    e->SetExportStyle(xsFile);
    e->SetFileName(testenv::NewScratchFolder(L"export-nocols") + L"\\none");
    e->SetExportType(xtTXT);
    std::vector<TztExportError> errors;
    int begins = 0, ends = 0;
    e->OnError = [&](fw::TObject*, TztExportError code) { errors.push_back(code); };
    e->OnBeginExport = [&](fw::TObject*) { ++begins; };
    e->OnEndExport = [&](fw::TObject*) { ++ends; };
    e->Execute();
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(FileThere(e->FileName() + L".TXT"));
    EXPECT_TRUE(errors.empty());
    // A target that cannot be made is a general error; the run still ends.
    e->Names = {L"Name"};
    e->SetFileName(testenv::ScratchRoot() + L"no-such-folder\\x");
    e->SetExportType(xtRTF);
    e->Execute();
    EXPECT_EQ(errors, std::vector<TztExportError>{xeGeneralExportError});
    EXPECT_EQ(ends, 2);
}

TEST(ExportRun, ProgressWindowFollowsTheMessages) {
    const std::wstring folder = testenv::NewScratchFolder(L"export-progress");
    auto e = NameSizeExport();
    for (int i = 0; i < 70000; ++i) e->Rows.push_back({L"r", std::to_wstring(i)});
    e->SetOptions(e->Options().Include(xoShowProgress));
    e->Messages()->SetWidth(300);
    e->Messages()->SetHeight(80);
    e->SetExportStyle(xsFile);
    e->SetFileName(folder + L"\\big");
    e->SetExportType(xtCSV);
    int maxSeen = -1;
    bool shownDuring = false;
    e->OnExport = [&](fw::TObject*, uint32_t, uint32_t, const TztValues&, bool&) {
        maxSeen = e->ProgressForm()->BarMax();
        shownDuring = shownDuring || e->ProgressForm()->Showing() || !e->ProgressForm()->Handle();
    };
    e->Execute();
    // Every row on a line of its own, however the document holds them.
    const std::string csv = ReadBytes(folder + L"\\big.CSV");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 70003);
    EXPECT_NE(csv.find("\r\nr,34999\r\nr,35000\r\n"), std::string::npos);
    EXPECT_EQ(csv.substr(csv.size() - 11), "\r\nr,69999\r\n");
    const Tfrm_ProgressForm* p = e->ProgressForm();
    EXPECT_EQ(maxSeen, 70002) << "a 32-bit range";
    EXPECT_EQ(p->BarPosition(), 70001);
    EXPECT_EQ(p->BarLeft(), 8);
    EXPECT_EQ(p->BarWidth(), p->ClientWidth() - 16);
    EXPECT_EQ(p->Width(), 300);
    EXPECT_EQ(p->Caption(), L"Export");
    EXPECT_EQ(p->LabelText(), L"Processing...");
    EXPECT_TRUE(shownDuring);
    EXPECT_FALSE(p->Showing()) << "closed at the end";
    if (HWND bar = FindWindowExW(p->Handle(), nullptr, L"msctls_progress32", nullptr)) {
        EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 70002);
    }
}
