#include "controls/VxFontComboBox.h"

#include <algorithm>
#include <set>
#include <utility>

#include "framework/Filer.h"
#include "framework/Handles.h"
#include "framework/SysUtils.h"

namespace vx {

namespace {

constexpr DWORD kDrawName = DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER;  // 0x824
constexpr fw::TColor kGlyphKey = fw::clFuchsia;
constexpr const wchar_t* kDefaultSampleText = L"AbCdEfGhIj";
constexpr const wchar_t* kDeviceNames[] = {L"fdScreen", L"fdPrinter", L"fdBoth"};
constexpr const wchar_t* kOptionNames[] = {
    L"foAnsiOnly",     L"foTrueTypeOnly", L"foFixedPitchOnly", L"foNoOEMFonts",  L"foOEMFontsOnly",
    L"foScalableOnly", L"foWysiWyg",      L"foDisableVerify",  L"foPreviewFont", L"foMRU"};

// A glyph from the module's resources; a blank one of the usual size when the
// module carries none (so a program without them still lists its fonts).
std::unique_ptr<fw::TBitmap> LoadGlyph(const wchar_t* Name) {
    auto bitmap = std::make_unique<fw::TBitmap>();
    try {
        bitmap->LoadFromResourceName(GetModuleHandleW(nullptr), Name);
    } catch (const fw::EInvalidGraphic&) {
        bitmap->SetSize(16, 16);
        bitmap->Canvas()->Brush()->SetColor(kGlyphKey);
        bitmap->Canvas()->FillRect(RECT{0, 0, 16, 16});
    }
    return bitmap;
}

struct NoCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const { return fw::AnsiCompareText(a, b) < 0; }
};

}  // namespace

TVxFontComboBox::TVxFontComboBox(fw::TComponent* AOwner)
    : TVxCustomComboBox(AOwner),
      ttfGlyph_(LoadGlyph(L"VxFontComboBoxTTF")),
      fixGlyph_(LoadGlyph(L"VxFontComboBoxFIX")),
      prnGlyph_(LoadGlyph(L"VxFontComboBoxPRN")) {
    SetStyle(fw::csOwnerDrawFixed);
    SetAutoComplete(false);
    ResetItemHeight();
}

TVxFontComboBox::~TVxFontComboBox() = default;

int TVxFontComboBox::DroppedDownWidth() {
    return HandleAllocated() ? int(SendMessageW(Handle(), CB_GETDROPPEDWIDTH, 0, 0)) : DroppedWidth();
}

void TVxFontComboBox::SetDroppedDownWidth(int Value) {
    SetDroppedWidth(Value);
}

fw::TBitmap* TVxFontComboBox::GlyphFor(DWORD Type) const {
    if (Type & TRUETYPE_FONTTYPE) return ttfGlyph_.get();
    if (Type & DEVICE_FONTTYPE) return prnGlyph_.get();
    return fixGlyph_.get();
}

DWORD TVxFontComboBox::FontType(int Index) {
    return DWORD(reinterpret_cast<uintptr_t>(Items()->Objects(Index)));
}

void TVxFontComboBox::ResetItemHeight() {
    fw::WindowDC dc(nullptr);
    TEXTMETRICW metrics{};
    {
        fw::SelectObjectGuard select(dc.get(), Font()->Handle());
        GetTextMetricsW(dc.get(), &metrics);
    }
    const int height = std::max(int(metrics.tmHeight) + 1, ttfGlyph_->Height());
    if (height != ItemHeight()) SetItemHeight(height);
}

void TVxFontComboBox::FontChanged() {
    TVxCustomComboBox::FontChanged();
    ResetItemHeight();
}

std::wstring TVxFontComboBox::FontSubstitute(const std::wstring& Name) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", 0,
                      KEY_READ, &raw) != ERROR_SUCCESS)
        return Name;
    fw::RegKey key(raw);
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), Name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0)
        return Name;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.get(), Name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
        return Name;
    value.resize(wcsnlen(value.c_str(), value.size()));
    return value.empty() ? Name : value;
}

std::wstring TVxFontComboBox::FontName() {
    return Text();
}

void TVxFontComboBox::SetFontName(const std::wstring& Value) {
    if (Value.empty()) return;
    if (!HandleAllocated()) {
        if (!Parent() && !ParentWindow()) return;  // no window can be made yet
        HandleNeeded();
    }
    if (Items()->Count() == 0) GetFonts();
    int index = Items()->IndexOf(Value);
    if (index < 0) {
        const std::wstring substitute = FontSubstitute(Value);
        if (substitute != Value) index = Items()->IndexOf(substitute);
    }
    if (index < 0 && (options_ & FontOption(foDisableVerify)))
        index = Items()->AddObject(Value, reinterpret_cast<fw::TObject*>(uintptr_t(TRUETYPE_FONTTYPE)));
    // A face neither listed nor substituted selects nothing, rather than leave
    // another face showing as if it were the one asked for.
    SetItemIndex(index);
}

void TVxFontComboBox::SetParent(fw::TWinControl* AParent) {
    TVxCustomComboBox::SetParent(AParent);
    if (Parent()) SetFontName(Font()->Name());
}

void TVxFontComboBox::Loaded() {
    TVxCustomComboBox::Loaded();
    Reset();
    if (!loadedFontName_.empty()) SetFontName(std::exchange(loadedFontName_, std::wstring()));
}

void TVxFontComboBox::DefineProperties(fw::TFiler& Filer) {
    TVxCustomComboBox::DefineProperties(Filer);
    fw::DefineInteger(
        Filer, L"DroppedDownWidth", DroppedWidth(), [this](int32_t v) { SetDroppedDownWidth(v); }, DroppedWidth() > 0);
    fw::DefineInteger(
        Filer, L"MaxMRUCount", maxMRUCount_, [this](int32_t v) { SetMaxMRUCount(v); }, maxMRUCount_ != 0);
    // Read while loading, when there may be no list yet: chosen in Loaded.
    fw::DefineString(
        Filer, L"FontName", Text(), [this](const std::wstring& v) { loadedFontName_ = v; }, !Text().empty());
    fw::DefineEnum(
        Filer, L"Device", device_, kDeviceNames, [this](int v) { SetDevice(fw::TFontDialogDevice(v)); },
        device_ != fw::fdScreen);
    fw::DefineInteger(
        Filer, L"HiliteColor", hiliteColor_, [this](int32_t v) { hiliteColor_ = v; }, hiliteColor_ != fw::clHighlight);
    fw::DefineInteger(
        Filer, L"HiliteText", hiliteText_, [this](int32_t v) { hiliteText_ = v; }, hiliteText_ != fw::clHighlightText);
    fw::DefineSet(
        Filer, L"Options", options_, kOptionNames, [this](uint32_t v) { SetOptions(TVxFontComboOptions(v)); },
        options_ != 0);
    fw::DefineBoolean(
        Filer, L"UseImages", useImages_, [this](bool v) { SetUseImages(v); }, !useImages_);
    fw::DefineBoolean(
        Filer, L"Sorted", Sorted(), [this](bool v) { SetSorted(v); }, Sorted());
    fw::DefineString(
        Filer, L"SampleText", sampleText_, [this](const std::wstring& v) { SetSampleText(v); },
        sampleText_ != kDefaultSampleText);
}

void TVxFontComboBox::Reset() {
    if (!HandleAllocated()) return;
    std::wstring name = FontName();
    GetFonts();
    if (name.empty()) name = Font()->Name();
    SetFontName(name);
}

void TVxFontComboBox::SetDevice(fw::TFontDialogDevice Value) {
    if (Value == device_) return;
    device_ = Value;
    Reset();
}

void TVxFontComboBox::SetUseImages(bool Value) {
    if (Value == useImages_) return;
    useImages_ = Value;
    Invalidate();
}

void TVxFontComboBox::SetSampleText(const std::wstring& Value) {
    if (Value == sampleText_) return;
    sampleText_ = Value;
    Invalidate();
}

void TVxFontComboBox::SetOptions(TVxFontComboOptions Value) {
    if (Value & FontOption(foPreviewFont)) Value &= TVxFontComboOptions(~FontOption(foWysiWyg));
    if (Value == options_) return;
    options_ = Value;
    SetMRUMode((options_ & FontOption(foMRU)) != 0);
    Reset();
}

void TVxFontComboBox::SetSorted(bool Value) {
    if (Value == Sorted()) return;
    const std::wstring name = FontName();
    TVxCustomComboBox::SetSorted(mruOn_ ? false : Value);
    SetFontName(name);
}

void TVxFontComboBox::SetMRUMode(bool Value) {
    if (Value == mruOn_) return;
    if (mruOn_)
        for (; mruCount_ > 0; --mruCount_) Items()->Delete(0);
    mruOn_ = Value;
    if (mruOn_ && Sorted()) TVxCustomComboBox::SetSorted(false);
}

void TVxFontComboBox::SetMaxMRUCount(int Value) {
    if (Value == maxMRUCount_) return;
    maxMRUCount_ = std::max(Value, 0);
    if (mruCount_ < 1 || maxMRUCount_ == mruCount_) return;
    const std::wstring name = Text();
    // A limit of 0 keeps the block empty.
    for (; mruCount_ > maxMRUCount_; --mruCount_) Items()->Delete(0);
    const int index = Items()->IndexOf(name);
    SetItemIndex(index < 0 ? 0 : index);
}

bool TVxFontComboBox::PassesFilter(const fw::TFontFace& Face) const {
    auto has = [this](TVxFontComboOption o) { return (options_ & FontOption(o)) != 0; };
    if (has(foAnsiOnly) && Face.CharSet != ANSI_CHARSET) return false;
    if (has(foTrueTypeOnly) && !(Face.FontType & TRUETYPE_FONTTYPE)) return false;
    if (has(foFixedPitchOnly) && !(Face.PitchAndFamily & FIXED_PITCH)) return false;
    if (has(foOEMFontsOnly) && Face.CharSet != OEM_CHARSET) return false;
    if (has(foNoOEMFonts) && Face.CharSet >= OEM_CHARSET) return false;
    if (has(foScalableOnly) && (Face.FontType & RASTER_FONTTYPE)) return false;
    return true;
}

void TVxFontComboBox::GetFonts() {
    if (!HandleAllocated()) return;
    fw::TStrings* items = Items();
    items->BeginUpdate();
    try {
        std::vector<std::pair<std::wstring, fw::TObject*>> block;
        if (mruOn_)
            for (int i = 0; i < mruCount_ && i < items->Count(); ++i)
                block.emplace_back(items->Strings(i), items->Objects(i));
        items->Clear();
        std::vector<fw::TFontFace> faces;
        if (device_ == fw::fdScreen || device_ == fw::fdBoth) faces = fw::ScreenFontFaces();
        if (device_ == fw::fdPrinter || device_ == fw::fdBoth) {
            std::vector<fw::TFontFace> printer = fw::PrinterFontFaces();  // empty without a printer
            faces.insert(faces.end(), printer.begin(), printer.end());
        }
        std::set<std::wstring, NoCaseLess> listed;
        for (const fw::TFontFace& face : faces) {
            if (!PassesFilter(face) || !listed.insert(face.Name).second) continue;
            items->AddObject(face.Name, reinterpret_cast<fw::TObject*>(uintptr_t(face.FontType)));
        }
        for (auto it = block.rbegin(); it != block.rend(); ++it) items->InsertObject(0, it->first, it->second);
        mruCount_ = int(block.size());
    } catch (...) {
        items->EndUpdate();
        throw;
    }
    items->EndUpdate();
}

int TVxFontComboBox::MRUOperation() {
    const int selected = ItemIndex();
    if (HasState(fw::csDesigning)) return selected;
    fw::TStrings* items = Items();
    if (maxMRUCount_ > mruCount_) {
        const std::wstring text = Text();
        const int index = items->IndexOf(text);
        // A face already in the block stays where it is, and stays chosen.
        if (index >= 0 && index < mruCount_) return index;
        fw::TObject* type =
            index >= 0 ? items->Objects(index) : reinterpret_cast<fw::TObject*>(uintptr_t(TRUETYPE_FONTTYPE));
        items->InsertObject(0, text, type);
        ++mruCount_;
        return 0;
    }
    if (mruCount_ > 0 && selected > 0) {
        const std::wstring text = items->Strings(selected);
        fw::TObject* type = items->Objects(selected);
        items->Delete(0);
        items->InsertObject(0, text, type);
        return 0;
    }
    return selected;
}

void TVxFontComboBox::KeyDown(WORD& Key, fw::TShiftState Shift) {
    if (mruOn_ && Key == VK_RETURN && (Shift & (fw::ssShift | fw::ssAlt | fw::ssCtrl)) == 0)
        SetItemIndex(MRUOperation());
    TVxCustomComboBox::KeyDown(Key, Shift);
}

void TVxFontComboBox::Click() {
    const bool mru = mruOn_ && mouseFlag_ && !DroppedDown();
    if (mru) {
        SetItemIndex(MRUOperation());
        mouseFlag_ = false;
    }
    TVxCustomComboBox::Click();
    if (mru) Change();
}

void TVxFontComboBox::CloseUp() {
    if (mruOn_) {
        MRUOperation();
        SetItemIndex(Items()->IndexOf(Text()));
        mouseFlag_ = false;
    }
    TVxCustomComboBox::CloseUp();
}

bool TVxFontComboBox::DoDrawPreview(const std::wstring& Name, std::wstring& Text, int Width) {
    bool draw = Width < ClientWidth();
    if (OnDrawPreviewEvent) OnDrawPreviewEvent(this, Name, Text, Width, draw);
    return draw;
}

void TVxFontComboBox::WndProc(fw::TMessage& Message) {
    switch (Message.Msg) {
    case fw::CN_DRAWITEM: HandleDrawItem(Message); return;
    case WM_LBUTTONDOWN: mouseFlag_ = false; break;
    case WM_LBUTTONUP: mouseFlag_ = true; break;
    default: break;
    }
    TVxCustomComboBox::WndProc(Message);
}

void TVxFontComboBox::HandleDrawItem(fw::TMessage& Message) {
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
    // The item state bits are the owner-draw state bits one for one.
    const fw::TOwnerDrawState state = item->itemState;
    const int index = int(item->itemID);
    fw::TCanvas* canvas = Canvas();
    canvas->Lock();
    canvas->SetHandle(item->hDC);
    try {
        canvas->SetFont(Font());
        canvas->SetBrush(Brush());
        if (index >= 0 && (state & fw::odSelected)) {
            canvas->Brush()->SetColor(hiliteColor_);
            canvas->Font()->SetColor(hiliteText_);
        }
        if (index < 0) canvas->FillRect(item->rcItem);
        else DrawFontItem(index, item->rcItem, state);
    } catch (...) {
        canvas->SetHandle(nullptr);
        canvas->Unlock();
        throw;
    }
    canvas->SetHandle(nullptr);
    canvas->Unlock();
    Message.Result = 1;
}

void TVxFontComboBox::DrawFontItem(int Index, RECT Rect, fw::TOwnerDrawState State) {
    fw::TCanvas* canvas = Canvas();
    const std::wstring name = Items()->Strings(Index);
    const fw::TColor brushColor = canvas->Brush()->Color();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(Rect);
    canvas->Pen()->SetColor(canvas->Font()->Color());
    Rect.top += 1;
    int width = 4;
    if (useImages_) {
        fw::TBitmap* glyph = GlyphFor(FontType(Index));
        const int top = (Rect.top + Rect.bottom - glyph->Height()) / 2;
        TransparentBlt(canvas->Handle(), Rect.left + 2, top, glyph->Width(), glyph->Height(), glyph->Canvas()->Handle(),
                       0, 0, glyph->Width(), glyph->Height(), RGB(255, 0, 255));
        Rect.left += glyph->Width() + 6;
        width = glyph->Width();
    }
    canvas->Brush()->SetColor(brushColor);
    const std::wstring savedName = canvas->Font()->Name();
    if (options_ & FontOption(foWysiWyg)) canvas->Font()->SetName(name);
    const bool preview = (options_ & FontOption(foPreviewFont)) != 0;
    if (!preview) Rect.right = Rect.left + canvas->TextWidth(name) + 6;
    canvas->FillRect(Rect);
    Rect.left += 2;
    std::wstring text = name;
    canvas->TextRect(Rect, text, kDrawName);
    if (preview) {
        width += canvas->TextWidth(name) + 36;
        canvas->Font()->SetName(name);
        std::wstring sample = sampleText_;
        width += canvas->TextWidth(sample);
        if (DoDrawPreview(name, sample, width)) {
            RECT sampleRect{0, Rect.top, ClientWidth() - (GetSystemMetrics(SM_CXVSCROLL) + 8), Rect.bottom};
            canvas->TextRect(sampleRect, sample, kDrawName | DT_RIGHT);
            Rect.right = ClientWidth();
        }
    }
    canvas->Font()->SetName(savedName);
    Rect.left -= 2;
    if (State & fw::odSelected) canvas->DrawFocusRect(Rect);
    DrawMRUSeparator(Index, Rect, State);
}

void TVxFontComboBox::DrawMRUSeparator(int Index, RECT Rect, fw::TOwnerDrawState State) {
    if (!mruOn_ || (State & fw::odComboBoxEdit)) return;
    Rect.top -= 1;
    fw::TCanvas* canvas = Canvas();
    int y = -1;
    if (mruCount_ > 0 && Index == mruCount_ - 1) y = Rect.bottom - 1;
    else if (Index >= 1 && Index == mruCount_) y = Rect.top + 1;
    if (y < 0) return;
    canvas->Pen()->SetColor(fw::clGray);
    canvas->Pen()->SetWidth(1);
    canvas->MoveTo(0, y);
    canvas->LineTo(ClientWidth(), y);
}

}  // namespace vx
