#include "export/ExportSelect.h"

#include <commctrl.h>

#include "export/ExportTexts.h"

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_DLGMODALFRAME;
const wchar_t kClassName[] = L"Tfrm_Selection";
constexpr int kImageSize = 31;
enum : int {
    idExport = IDOK,
    idCancel = IDCANCEL,
    idIcon = 100
};

// Each image: a page with a coloured band and the format family's short name.
struct ImageDesign {
    COLORREF band;
    const wchar_t* label;
};
constexpr ImageDesign kImages[8] = {
    {RGB(128, 0, 128), L"RTF"}, {RGB(0, 128, 0), L"CSV"},  {RGB(0, 64, 160), L"HTM"}, {RGB(96, 96, 96), L"TXT"},
    {RGB(0, 0, 192), L"DOC"},   {RGB(0, 128, 64), L"XLS"}, {RGB(160, 96, 0), L"TAB"}, {RGB(192, 0, 0), L"CLP"},
};

HBITMAP MakeImage(HDC screen, const ImageDesign& design) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = kImageSize;
    bi.bmiHeader.biHeight = kImageSize;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    RECT all{0, 0, kImageSize, kImageSize};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT page{3, 1, kImageSize - 3, kImageSize - 1};
    FrameRect(dc, &page, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    HBRUSH band = CreateSolidBrush(design.band);
    RECT bandRect{4, 17, kImageSize - 4, 28};
    FillRect(dc, &bandRect, band);
    DeleteObject(band);
    HFONT font = CreateFontW(-8, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, design.label, -1, &bandRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    return bitmap;
}

HWND Child(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int x, int y, int w, int h, int id,
           HFONT font) {
    HWND wnd = CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
    if (wnd && font) SendMessageW(wnd, WM_SETFONT, WPARAM(font), FALSE);
    return wnd;
}

}  // namespace

Tfrm_Selection::Tfrm_Selection(fw::TComponent* AOwner) : fw::TComponent(AOwner) {}

Tfrm_Selection::~Tfrm_Selection() {
    OnPaintIcon = nullptr;
    if (window_) DestroyWindow(window_);  // before the font its children use
    if (images_) ImageList_Destroy(images_);
}

int Tfrm_Selection::ImageIndex(TztExportType Type) {
    switch (Type) {
    case xtCSV: return 1;
    case xtHTML: return 2;
    case xtTXT: return 3;
    case xtWord: return 4;
    case xtExcel: return 5;
    case xtTAB:
    case xtDIF:
    case xtSYLK: return 6;
    case xtClipboard: return 7;
    case xtRTF: return 0;
    }
    return 0;
}

HIMAGELIST Tfrm_Selection::Images() {
    if (images_) return images_;
    images_ = ImageList_Create(kImageSize, kImageSize, ILC_COLOR24, 8, 0);
    if (!images_) return nullptr;
    HDC screen = GetDC(nullptr);
    for (const ImageDesign& design : kImages) {
        HBITMAP bitmap = MakeImage(screen, design);
        ImageList_Add(images_, bitmap, nullptr);
        if (bitmap) DeleteObject(bitmap);
    }
    ReleaseDC(nullptr, screen);
    return images_;
}

void Tfrm_Selection::DrawFormatIcon(HDC DC, TztExportType Type) {
    if (HIMAGELIST images = Images()) ImageList_Draw(images, ImageIndex(Type), DC, 0, 0, ILD_NORMAL);
}

HWND Tfrm_Selection::Handle() {
    if (window_) return window_;
    static const ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc);
    }();
    if (!atom) return nullptr;
    RECT r{0, 0, DesignClientWidth, DesignClientHeight};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    const int w = r.right - r.left, h = r.bottom - r.top;
    window_ = CreateWindowExW(kExStyle, kClassName, DesignCaption, kStyle, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                              (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
    if (!window_) return nullptr;
    font_.reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Sans Serif"));
    Child(window_, L"BUTTON", ztResourceText(SztExportButton), BS_DEFPUSHBUTTON | WS_TABSTOP, 240, 8, 75, 25, idExport,
          font_.get());
    Child(window_, L"BUTTON", ztResourceText(SztCancelButton), BS_PUSHBUTTON | WS_TABSTOP, 240, 40, 75, 25, idCancel,
          font_.get());
    Child(window_, L"BUTTON", ztResourceText(SztSelectFormat) + L" ", BS_GROUPBOX, 8, 8, 225, 113, 30, font_.get());
    Child(window_, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 16, 32, 209, 200, 31, font_.get());
    Child(window_, L"BUTTON", ztResourceText(SztViewOnly), BS_AUTORADIOBUTTON | WS_TABSTOP, 16, 68, 150, 17, 10,
          font_.get());
    Child(window_, L"BUTTON", ztResourceText(SztExportToFile), BS_AUTORADIOBUTTON, 16, 88, 150, 17, 20, font_.get());
    iconBox_ = Child(window_, L"STATIC", L"", SS_OWNERDRAW, 184, 72, 40, 40, idIcon, nullptr);
    return window_;
}

int Tfrm_Selection::ShowModal() {
    HWND wnd = Handle();
    if (!wnd) return IDCANCEL;
    HWND owner = GetActiveWindow();
    if (owner) EnableWindow(owner, FALSE);
    modalResult_ = 0;
    ShowWindow(wnd, SW_SHOW);
    MSG msg;
    while (!modalResult_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(wnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (owner) EnableWindow(owner, TRUE);
    ShowWindow(wnd, SW_HIDE);
    if (owner) SetActiveWindow(owner);
    return modalResult_ ? modalResult_ : IDCANCEL;
}

LRESULT CALLBACK Tfrm_Selection::WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(LParam);
        SetWindowLongPtrW(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<Tfrm_Selection*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
    if (self) {
        switch (Msg) {
        case WM_COMMAND:
            if (LOWORD(WParam) == idExport || LOWORD(WParam) == idCancel) {
                self->modalResult_ = LOWORD(WParam);
                return 0;
            }
            break;
        case WM_CLOSE: self->modalResult_ = IDCANCEL; return 0;
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(LParam);
            if (item->CtlID == idIcon) {
                FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
                if (self->OnPaintIcon) self->OnPaintIcon(item->hDC);
                return TRUE;
            }
            break;
        }
        case WM_NCDESTROY:
            self->window_ = nullptr;
            self->iconBox_ = nullptr;
            SetWindowLongPtrW(Wnd, GWLP_USERDATA, 0);
            break;
        default: break;
        }
    }
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}
