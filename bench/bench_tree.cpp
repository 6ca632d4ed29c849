// Times the shell tree's expansion of a folder of 20,000 subfolders and its
// refresh (F5) while the folder is open, next to baselines measured in the same
// run: a bare shell enumeration of the folder with each object's display name,
// and a sort of the item-ID lists by the folder's CompareIDs.
//     bench_tree.exe [folder]     (default: the temp folder's "tabulorin-bench-tree")
// The folders are made on the first run (by the host's mkdir under Wine) and
// reused. Needs a display.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Handles.h"
#include "shell/Pidl.h"
#include "shell/ShellLibrary.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemSelectionList.h"
#include "shell/ZemWorkItems.h"
#include "shell/ZemShellTree.h"

namespace {

constexpr int kFolders = 20000;

double Seconds(LARGE_INTEGER Start, LARGE_INTEGER End) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(End.QuadPart - Start.QuadPart) / double(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

// Under Wine the host makes them: 20,000 CreateDirectoryW calls take minutes there.
bool MakeFoldersOnHost(const std::wstring& Root) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* host = unixName ? unixName(Root.c_str()) : nullptr;
    if (!host) return false;
    std::string command = "sh -c \"cd '" + std::string(host) + "' && seq -f f%05g 0 " + std::to_string(kFolders - 1) +
                          " | xargs mkdir -p\"";
    HeapFree(GetProcessHeap(), 0, host);
    std::wstring line(command.begin(), command.end());
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"\\\\?\\unix\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, 120000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    wchar_t last[32];
    swprintf(last, 32, L"\\f%05d", kFolders - 1);
    // Wine may tell of the host program's end before it has run.
    for (int i = 0; i < 3000 && GetFileAttributesW((Root + last).c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(10);
    return GetFileAttributesW((Root + last).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFolders(const std::wstring& Root) {
    CreateDirectoryW(Root.c_str(), nullptr);
    if (MakeFoldersOnHost(Root)) return;
    wchar_t name[32];
    for (int i = 0; i < kFolders; ++i) {
        swprintf(name, 32, L"\\f%05d", i);
        CreateDirectoryW((Root + name).c_str(), nullptr);
    }
}

// The bare shell work: every object with its display name; returns the lists.
std::vector<fw::PidlPtr> BareEnumeration(const std::wstring& Root, fw::ComPtr<IShellFolder>& Folder) {
    std::vector<fw::PidlPtr> items;
    fw::PidlPtr pidl(shell::PathToPidl(nullptr, Root));
    if (FAILED(shell::DesktopFolder()->BindToObject(pidl.get(), nullptr, IID_IShellFolder, Folder.put_void())))
        return items;
    fw::ComPtr<IEnumIDList> enumerator;
    if (FAILED(Folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, enumerator.put())) || !enumerator)
        return items;
    for (;;) {
        fw::PidlPtr item;
        if (enumerator->Next(1, item.put(), nullptr) != S_OK) break;
        shell::GetDisplayNameOf(Folder.get(), item.get(), SHGDN_NORMAL);
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    shell::ShellLibraryStartup();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = argc > 1 ? argv[1] : std::wstring(temp) + L"tabulorin-bench-tree";
    MakeFolders(root);

    fw::ComPtr<IShellFolder> folder;
    LARGE_INTEGER t0 = Now();
    std::vector<fw::PidlPtr> items = BareEnumeration(root, folder);
    LARGE_INTEGER t1 = Now();
    std::vector<LPITEMIDLIST> order;
    for (auto& item : items) order.push_back(item.get());
    std::sort(order.begin(), order.end(),
              [&](LPITEMIDLIST a, LPITEMIDLIST b) { return short(HRESULT_CODE(folder->CompareIDs(0, a, b))) < 0; });
    LARGE_INTEGER t2 = Now();

    auto* form = new fw::TForm(nullptr);
    form->SetBounds(0, 0, 400, 600);
    auto* tree = new shell::TZemShellTree(form);
    tree->SetRootedAt(shell::SF_DRIVES);
    tree->SetParent(form);
    tree->SetAlign(fw::alClient);
    form->Show();
    fw::Application()->ProcessMessages();
    // The shared pool starts its minimum of workers on first use; a running program has them.
    for (int i = 0; i < 64; ++i)
        shell::GlobalWorkerPool->AddWorkItem(std::make_shared<shell::TIconWorkItem>(L"C:\\", 0, nullptr, nullptr, 0));
    for (int i = 0; i < 500 && shell::GlobalWorkerPool->PendingCount() > 0; ++i) {
        fw::Application()->ProcessMessages();
        Sleep(10);
    }
    tree->SetSelectedFolder(root);
    fw::TTreeNode* node = tree->Selected();
    LARGE_INTEGER t3 = Now();
    if (node) node->Expand(false);
    LARGE_INTEGER t4 = Now();
    UpdateWindow(tree->Handle());
    LARGE_INTEGER t4b = Now();
    fw::Application()->ProcessMessages();
    LARGE_INTEGER t5 = Now();
    // F5 with the folder open: every subfolder is looked for among the nodes.
    tree->SetFocus();
    SendMessageW(tree->Handle(), WM_KEYDOWN, VK_F5, 1);
    LARGE_INTEGER t6 = Now();
    UpdateWindow(tree->Handle());
    LARGE_INTEGER t7 = Now();
    const int afterRefresh = node ? node->Count() : -1;

    // The window's own share: a plain tree view given the same texts, opened and painted.
    auto* plain = new fw::TTreeView(form);
    plain->SetParent(form);
    plain->SetAlign(fw::alClient);
    plain->BringToFront();
    LARGE_INTEGER p0 = Now();
    plain->Items()->BeginUpdate();
    fw::TTreeNode* top = plain->Items()->AddChild(nullptr, L"top");
    wchar_t name[32];
    for (int i = 0; i < kFolders; ++i) {
        swprintf(name, 32, L"f%05d", kFolders - 1 - i);
        plain->Items()->AddChild(top, name)->SetHasChildren(true);
    }
    top->AlphaSort();
    top->Expand(false);
    plain->Items()->EndUpdate();
    LARGE_INTEGER p1 = Now();
    UpdateWindow(plain->Handle());
    LARGE_INTEGER p2 = Now();
    std::printf("plain tree view: insert+sort+open %.3f s, paint %.3f s\n", Seconds(p0, p1), Seconds(p1, p2));

    std::printf("folders:                         %d (tree nodes %d)\n", int(items.size()), node ? node->Count() : -1);
    std::printf("baseline enumeration + names:    %.3f s\n", Seconds(t0, t1));
    std::printf("baseline CompareIDs sort:        %.3f s\n", Seconds(t1, t2));
    std::printf("tree expansion:                  %.3f s\n", Seconds(t3, t4));
    std::printf("first paint after it:            %.3f s\n", Seconds(t4, t4b));
    std::printf("icons delivered after it:        %.3f s\n", Seconds(t4b, t5));
    std::printf("F5 with it open:                 %.3f s (tree nodes %d)\n", Seconds(t5, t6), afterRefresh);
    std::printf("paint after F5:                  %.3f s\n", Seconds(t6, t7));
    delete form;
    shell::ShellLibraryShutdown();
    CoUninitialize();
    LocalFree(argv);
    return 0;
}
