// The main window's status bar: owner-drawn panels, their hints and contact links.
#include <windows.h>
#include <shellapi.h>

#include "app/MainWindow.h"

void TForm1::ShellOpen(HWND Parent, const std::wstring& Address) {
    if (ShellOpenHook) {
        ShellOpenHook(Parent, Address);
        return;
    }
    // Failures are the shell's to show; the window goes on either way.
    ShellExecuteW(Parent, L"open", Address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TForm1::StatusBar1DrawPanel(fw::TStatusBar* StatusBar, fw::TStatusPanel* Panel, const RECT& Rect) {
    fw::TCanvas* canvas = StatusBar->Canvas();
    if (Panel->Index() == 1) canvas->Font()->SetStyle(fw::fsItalic);
    else if (Panel->Index() == 2) canvas->Font()->SetStyle(fw::fsBold);
    canvas->FillRect(Rect);
    canvas->TextOut(Rect.left + 2, Rect.top, Panel->Text());
}

void TForm1::ApplicationEvents1ShowHint(std::wstring& HintStr, bool&, fw::THintInfo& HintInfo) {
    if (HintInfo.HintControl != StatusBar1 || StatusBar1->SimplePanel()) return;
    fw::TStatusPanels* panels = StatusBar1->Panels();
    if (panels->Count() == 0) return;
    // The panel under the cursor, and its stretch of the bar.
    RECT rect = StatusBar1->ClientRect();
    rect.right = panels->Items(0)->Width();
    int index = 0;
    while (HintInfo.CursorPos.x >= rect.right) {
        if (++index >= panels->Count()) return;
        rect.left = rect.right;
        rect.right += panels->Items(index)->Width();
    }
    HintInfo.CursorRect = rect;
    switch (index) {
    case 0: HintStr = L"Items displayed"; break;
    case 1: HintStr = std::wstring(L"Double Click to Email: ") + ContactMail; break;
    case 2: HintStr = L"Double Click to Open Website"; break;
    default: break;
    }
}

void TForm1::StatusBar1DblClick(fw::TObject*) {
    fw::TStatusPanels* panels = StatusBar1->Panels();
    if (StatusBar1->SimplePanel() || panels->Count() == 0) return;
    POINT cursor;
    GetCursorPos(&cursor);
    const int x = StatusBar1->ScreenToClient(cursor).x;
    int index = panels->Count() - 1;
    int edge = 0;
    for (int i = 0; i < panels->Count(); ++i) {
        edge += panels->Items(i)->Width();
        if (edge > x) {
            index = i;
            break;
        }
    }
    if (index == 1) ShellOpen(nullptr, std::wstring(L"mailto:") + ContactMail + L"?subject=Tabulorin");
    else if (index == 2) ShellOpen(Handle(), ContactWeb);
}
