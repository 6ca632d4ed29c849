#include "controls/VxComboBox.h"

#include <commctrl.h>

#include <algorithm>

#include "controls/VxDataConsumerExt.h"
#include "controls/VxDataItemFeatures.h"
#include "framework/SysUtils.h"

namespace vx {

namespace {

const wchar_t kInsertLineError[] = L"Unable to insert a line";

[[noreturn]] void ListIndexError(int Index) {
    throw fw::EListError(fw::Format(L"List index out of bounds (%d)", {Index}));
}

}  // namespace

// --- TVxComboBoxStrings ----------------------------------------------------------------

TVxComboBoxStrings::TVxComboBoxStrings(TVxCustomComboBox* Combo) : TCustomComboBoxStrings(Combo), combo_(Combo) {}

bool TVxComboBoxStrings::Internal() const {
    return useInternal_ && combo_->HasState(fw::csLoading);
}

void TVxComboBoxStrings::DetachProvider() {
    if (TVxDataConsumer* consumer = combo_->Consumer(); consumer && consumer->ProviderIntf())
        consumer->SetProviderIntf(nullptr);
}

int TVxComboBoxStrings::Add(const std::wstring& S) {
    if (Internal()) return internal_.Add(S);
    DetachProvider();
    return TCustomComboBoxStrings::Add(S);
}

void TVxComboBoxStrings::Insert(int Index, const std::wstring& S) {
    if (Internal()) {
        internal_.Insert(Index, S);
        return;
    }
    DetachProvider();
    TCustomComboBoxStrings::Insert(Index, S);
}

void TVxComboBoxStrings::Delete(int Index) {
    if (Internal()) {
        internal_.Delete(Index);
        return;
    }
    DetachProvider();
    TCustomComboBoxStrings::Delete(Index);
}

void TVxComboBoxStrings::Clear() {
    if (lockCount_ > 0 && useInternal_) return;
    if (Internal()) {
        internal_.Clear();
        return;
    }
    DetachProvider();
    TCustomComboBoxStrings::Clear();
}

std::wstring TVxComboBoxStrings::Get(int Index) const {
    return useInternal_ ? internal_.Strings(Index) : TCustomComboBoxStrings::Get(Index);
}

int TVxComboBoxStrings::GetCount() const {
    if (useInternal_) return lockCount_ > 0 ? 0 : internal_.Count();
    return TCustomComboBoxStrings::GetCount();
}

fw::TObject* TVxComboBoxStrings::GetObject(int Index) const {
    return useInternal_ ? internal_.Objects(Index) : TCustomComboBoxStrings::GetObject(Index);
}

void TVxComboBoxStrings::PutObject(int Index, fw::TObject* AObject) {
    if (useInternal_) internal_.SetObjects(Index, AObject);
    else TCustomComboBoxStrings::PutObject(Index, AObject);
}

int TVxComboBoxStrings::IndexOf(const std::wstring& S) const {
    return useInternal_ ? internal_.IndexOf(S) : TCustomComboBoxStrings::IndexOf(S);
}

void TVxComboBoxStrings::MoveToInternal() {
    if (useInternal_) return;
    const bool redraw = combo_->HandleAllocated();
    if (redraw) Send(WM_SETREDRAW, FALSE);
    internal_.Clear();
    while (TCustomComboBoxStrings::GetCount() > 0) {
        internal_.AddObject(TCustomComboBoxStrings::Get(0), TCustomComboBoxStrings::GetObject(0));
        TCustomComboBoxStrings::Delete(0);
    }
    useInternal_ = true;
    if (redraw && UpdateCount() == 0) Send(WM_SETREDRAW, TRUE);
}

void TVxComboBoxStrings::MoveBack() {
    if (!useInternal_) return;
    useInternal_ = false;
    const bool redraw = combo_->HandleAllocated();
    if (redraw) {
        Send(WM_SETREDRAW, FALSE);
        Send(CB_RESETCONTENT);
    }
    while (internal_.Count() > 0) {
        const int index = TCustomComboBoxStrings::Add(internal_.Strings(0));
        if (index < 0) throw fw::EOutOfResources(kInsertLineError);
        TCustomComboBoxStrings::PutObject(index, internal_.Objects(0));
        internal_.Delete(0);
    }
    if (redraw && UpdateCount() == 0) Send(WM_SETREDRAW, TRUE);
}

// --- TVxCustomComboBox -----------------------------------------------------------------

TVxCustomComboBox::TVxCustomComboBox(fw::TComponent* AOwner)
    : TVxExCustomComboBox(AOwner), maxPixel_(std::make_unique<TVxMaxPixel>(this)) {
    consumer_ = New<TVxDataConsumer>(this, std::initializer_list<int>{1, 3});
    consumer_->OnChanged = [this](TVxDataConsumer*, int Reason) { ConsumerChanged(Reason); };
    consumer_->OnAfterCreateExtension = [this](TVxDataConsumer*, TVxDataConsumerAggregatedObject* Extension) {
        ConsumerExtensionCreated(Extension);
    };
    maxPixel_->OnChanged = [this](fw::TObject*) { ApplyMaxPixel(); };
}

TVxCustomComboBox::~TVxCustomComboBox() {
    TVxDataConsumer* consumer = std::exchange(consumer_, nullptr);
    consumer->Free();
    maxPixel_->OnChanged = nullptr;
}

std::unique_ptr<fw::TCustomComboBoxStrings> TVxCustomComboBox::CreateItems() {
    return std::make_unique<TVxComboBoxStrings>(this);
}

void TVxCustomComboBox::SetReadOnly(bool Value) {
    if (Value == readOnly_) return;
    readOnly_ = Value;
    if (HWND edit = EditHandle()) SendMessageW(edit, EM_SETREADONLY, readOnly_ ? TRUE : FALSE, 0);
}

void TVxCustomComboBox::SetEmptyValue(const std::wstring& Value) {
    if (Value == emptyValue_) return;
    LeaveEmptyValue();
    emptyValue_ = Value;
    if (HandleAllocated() && !Focused()) ShowEmptyValue();
}

void TVxCustomComboBox::SetDroppedWidth(int Value) {
    droppedWidth_ = Value;
    if (HandleAllocated() && Value > 0) SendMessageW(Handle(), CB_SETDROPPEDWIDTH, WPARAM(Value), 0);
}

void TVxCustomComboBox::SetItemHeight(int Value) {
    itemHeight_ = Value;
    TVxExCustomComboBox::SetItemHeight(Value);
}

Ptr<IVxDataConsumerViewList> TVxCustomComboBox::ViewList() const {
    Ptr<IVxDataConsumerViewList> view;
    if (!consumer_ || FAILED(consumer_->QueryInterface(__uuidof(IVxDataConsumerViewList), view.put_void())))
        view.reset();
    return view;
}

int TVxCustomComboBox::ProviderItemCount() {
    Ptr<IVxDataConsumerViewList> view = ViewList();
    return view ? view->Count() : 0;
}

std::wstring TVxCustomComboBox::ItemText(int Index) {
    if (!providerSelected_) return Items()->Strings(Index);
    Ptr<IVxDataConsumerViewList> view = ViewList();
    if (!view) return std::wstring();
    if (Index < 0 || Index >= view->Count()) ListIndexError(Index);
    std::wstring text;
    consumer_->Enter();
    try {
        text = vx::ItemText(view->Item(Index).get());
    } catch (...) {
        consumer_->Leave();
        throw;
    }
    consumer_->Leave();
    return text;
}

void TVxCustomComboBox::CreateParams(fw::TCreateParams& Params) {
    TVxExCustomComboBox::CreateParams(Params);
    if (providerSelected_) {
        Params.Style &= ~DWORD(CBS_SORT | CBS_HASSTRINGS);
        if (!(Params.Style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE))) Params.Style |= CBS_OWNERDRAWFIXED;
    }
    fixedHeight_ = !(Params.Style & CBS_OWNERDRAWVARIABLE);
}

LRESULT CALLBACK TVxCustomComboBox::EditProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR Id,
                                             DWORD_PTR Data) {
    auto* self = reinterpret_cast<TVxCustomComboBox*>(Data);
    if (Msg == WM_NCDESTROY) RemoveWindowSubclass(Wnd, EditProc, Id);
    // Up, Down and F4 go straight from the edit to the list, past the combo box;
    // with Alt, Up and Down open it too, while Alt+F4 closes the form and goes on.
    const bool arrow = WParam == VK_UP || WParam == VK_DOWN;
    const bool listKey = (Msg == WM_KEYDOWN && (arrow || WParam == VK_F4)) || (Msg == WM_SYSKEYDOWN && arrow);
    if (listKey && self->readOnly_ && !self->HasState(fw::csDesigning)) return 0;
    return DefSubclassProc(Wnd, Msg, WParam, LParam);
}

void TVxCustomComboBox::CreateWnd() {
    TVxExCustomComboBox::CreateWnd();
    if (HWND edit = EditHandle()) {
        SendMessageW(edit, EM_SETREADONLY, readOnly_ ? TRUE : FALSE, 0);
        SetWindowSubclass(edit, EditProc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    if (droppedWidth_ > 0 && !HasState(fw::csDesigning))
        SendMessageW(Handle(), CB_SETDROPPEDWIDTH, WPARAM(droppedWidth_), 0);
    SyncItemCount();
    if (measureStyle_ == msAfterCreate || (providerSelected_ && !(measureStyle_ == msBeforeDraw && !fixedHeight_)))
        MeasurePass();
    if (Focused()) LeaveEmptyValue();
    else ShowEmptyValue();
}

void TVxCustomComboBox::DefineProperties(fw::TFiler& Filer) {
    TVxExCustomComboBox::DefineProperties(Filer);
    Filer.DefineProperty(
        L"Ctl3D", [this](fw::TReader& Reader) { SetCtl3D(Reader.ReadBoolean()); }, nullptr, false);
    Filer.DefineProperty(
        L"ParentCtl3D", [this](fw::TReader& Reader) { SetParentCtl3D(Reader.ReadBoolean()); }, nullptr, false);
}

void TVxCustomComboBox::DestroyWnd() {
    if (HWND edit = EditHandle()) RemoveWindowSubclass(edit, EditProc, 1);
    if (!providerSelected_) {
        TVxExCustomComboBox::DestroyWnd();
        return;
    }
    VxItems()->Lock();
    try {
        TVxExCustomComboBox::DestroyWnd();
    } catch (...) {
        VxItems()->Unlock();
        throw;
    }
    VxItems()->Unlock();
}

void TVxCustomComboBox::Loaded() {
    TVxExCustomComboBox::Loaded();
    if (HandleAllocated()) RecreateWnd();
}

void TVxCustomComboBox::DoEnter() {
    LeaveEmptyValue();
    TVxExCustomComboBox::DoEnter();
}

void TVxCustomComboBox::DoExit() {
    TVxExCustomComboBox::DoExit();
    ShowEmptyValue();
}

void TVxCustomComboBox::ShowEmptyValue() {
    if (emptyValue_.empty() || showingEmpty_ || !TVxExCustomComboBox::GetText().empty()) return;
    TVxExCustomComboBox::SetText(emptyValue_);
    showingEmpty_ = true;
    if (!HasState(fw::csDesigning)) {
        savedFontColor_ = Font()->Color();
        Font()->SetColor(emptyFontColor_);
    }
}

void TVxCustomComboBox::LeaveEmptyValue() {
    if (!showingEmpty_) return;
    showingEmpty_ = false;
    TVxExCustomComboBox::SetText(std::wstring());
    if (!HasState(fw::csDesigning)) Font()->SetColor(savedFontColor_);
}

std::wstring TVxCustomComboBox::GetText() {
    return showingEmpty_ ? std::wstring() : TVxExCustomComboBox::GetText();
}

void TVxCustomComboBox::SetText(const std::wstring& Value) {
    LeaveEmptyValue();  // a text set while the placeholder shows takes its place
    TVxExCustomComboBox::SetText(Value);
    ApplyMaxPixel();
    if (Value.empty() && HandleAllocated() && !Focused()) ShowEmptyValue();
}

void TVxCustomComboBox::Change() {
    ApplyMaxPixel();
    TVxExCustomComboBox::Change();
}

void TVxCustomComboBox::ApplyMaxPixel() {
    if (!HasEdit() || showingEmpty_ || !maxPixel_) return;
    const std::wstring text = TVxExCustomComboBox::GetText();
    std::wstring cut = text;
    maxPixel_->Test(cut, Font());
    if (cut == text) return;
    TVxExCustomComboBox::SetText(cut);
    SetSelStart(int(cut.size()));
}

void TVxCustomComboBox::SyncItemCount() {
    if (!providerSelected_ || !HandleAllocated()) return;
    const LRESULT count = ProviderItemCount();
    const HWND wnd = Handle();
    while (SendMessageW(wnd, CB_GETCOUNT, 0, 0) < count)
        if (SendMessageW(wnd, CB_ADDSTRING, 0, 0) < 0) throw fw::EOutOfResources(kInsertLineError);
    while (SendMessageW(wnd, CB_GETCOUNT, 0, 0) > count) SendMessageW(wnd, CB_DELETESTRING, 0, 0);
}

void TVxCustomComboBox::ConsumerChanged(int Reason) {
    if (Reason == ccrProviderSelect && !modeChangeRunning_) {
        const bool wanted = bool(consumer_->ProviderIntf());
        if (wanted != providerSelected_) {
            modeChangeRunning_ = true;
            try {
                if (wanted) {
                    VxItems()->MoveToInternal();
                    providerSelected_ = true;
                    if (HandleAllocated()) RecreateWnd();
                } else {
                    // The list window of provider mode holds no texts: the lines go
                    // back into the new window only.
                    VxItems()->Lock();
                    providerSelected_ = false;
                    try {
                        if (HandleAllocated()) RecreateWnd();
                    } catch (...) {
                        VxItems()->Unlock();
                        throw;
                    }
                    VxItems()->Unlock();
                    VxItems()->MoveBack();
                }
            } catch (...) {
                modeChangeRunning_ = false;
                throw;
            }
            modeChangeRunning_ = false;
        }
    }
    if (modeChangeRunning_) return;
    SyncItemCount();
    if (HandleAllocated()) Invalidate();
}

void TVxCustomComboBox::ConsumerExtensionCreated(TVxDataConsumerAggregatedObject* Extension) {
    Ptr<IVxDataConsumerViewList> view;
    if (!Extension->GetInterface(__uuidof(IVxDataConsumerViewList), view.put_void())) return;
    view->SetExpandOnNewItem(true);
    view->SetAutoExpandLevel(-1);
    view->RebuildView();
}

void TVxCustomComboBox::MeasurePass() {
    if (!HandleAllocated()) return;
    const HWND wnd = Handle();
    const int count = fixedHeight_ ? std::min(1, int(SendMessageW(wnd, CB_GETCOUNT, 0, 0)))
                                   : int(SendMessageW(wnd, CB_GETCOUNT, 0, 0));
    for (int index = -1; index < count; ++index) {
        int height = itemHeight_ > 0 ? itemHeight_ : ItemHeight();
        MeasureItemAt(index, height);
        SendMessageW(wnd, CB_SETITEMHEIGHT, WPARAM(index), LPARAM(height));
    }
}

void TVxCustomComboBox::MeasureItemAt(int Index, int& Height) {
    const int given = Height;
    if (OnMeasureItem && IsOwnerDrawn()) {
        OnMeasureItem(this, Index, Height);
    } else if (providerSelected_) {
        Ptr<IVxDataConsumerViewList> view = ViewList();
        if (view && Index < view->Count()) {
            consumer_->Enter();
            try {
                Ptr<IVxDataItem> item = Index >= 0 ? view->Item(Index) : nullptr;
                Ptr<IVxDataItemRenderer> own = item ? item.As<IVxDataItemRenderer>() : nullptr;
                Ptr<IVxDataItemsRenderer> list =
                    item ? FindItemsRenderer(item.get()) : consumer_->RootItems().As<IVxDataItemsRenderer>();
                if (own) Height = own->Measure(Canvas()).cy;
                else if (list)
                    Height = item ? list->MeasureItem(Canvas(), item.get()).cy : list->AvgItemSize(Canvas()).cy;
            } catch (...) {
                consumer_->Leave();
                throw;
            }
            consumer_->Leave();
        }
    }
    Height = std::max(Height, given);
}

void TVxCustomComboBox::MeasureItem(int Index, int& Height) {
    if (!HasState(fw::csLoading) && measureStyle_ == msStandard && !providerSelected_) MeasureItemAt(Index, Height);
}

void TVxCustomComboBox::DrawItem(int Index, const RECT& Rect, fw::TOwnerDrawState State) {
    if (HasState(fw::csDestroying)) return;
    if (measureStyle_ == msBeforeDraw && !fixedHeight_) {
        int height = itemHeight_ > 0 ? itemHeight_ : ItemHeight();
        MeasureItemAt((State & fw::odComboBoxEdit) ? -1 : Index, height);
        SendMessageW(Handle(), CB_SETITEMHEIGHT, WPARAM((State & fw::odComboBoxEdit) ? -1 : Index), height);
    }
    if (OnDrawItem && IsOwnerDrawn()) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    if (providerSelected_ && Index >= 0) {
        DrawProviderItem(Index, Rect, State);
        return;
    }
    Canvas()->FillRect(Rect);
    if (Index >= 0 && Index < Items()->Count()) Canvas()->TextOut(Rect.left + 2, Rect.top, Items()->Strings(Index));
}

void TVxCustomComboBox::DrawProviderItem(int Index, RECT Rect, fw::TOwnerDrawState State) {
    Ptr<IVxDataConsumerViewList> view = ViewList();
    if (!view || Index >= view->Count()) return;
    consumer_->Enter();
    try {
        Rect.left += view->ItemLevel(Index) * view->GetLevelIndent();
        fw::TCanvas* canvas = Canvas();
        canvas->SetFont(Font());
        const bool selected = (State & fw::odSelected) != 0;
        canvas->Brush()->SetColor(selected ? fw::clHighlight : Color());
        if (selected) canvas->Font()->SetColor(fw::clHighlightText);
        canvas->FillRect(Rect);
        if (!Enabled()) State |= fw::odDisabled | fw::odGrayed;
        Ptr<IVxDataItem> item = view->Item(Index);
        Ptr<IVxDataItemRenderer> own = item ? item.As<IVxDataItemRenderer>() : nullptr;
        Ptr<IVxDataItemsRenderer> list = item && !own ? FindItemsRenderer(item.get()) : nullptr;
        if (own) own->Draw(canvas, Rect, State);
        else if (list) list->DrawItem(canvas, Rect, item.get(), State);
        else canvas->TextRect(Rect, Rect.left, Rect.top, vx::ItemText(item.get()));
    } catch (...) {
        consumer_->Leave();
        throw;
    }
    consumer_->Leave();
}

void TVxCustomComboBox::ProviderSelectionChanged() {
    const int index = ItemIndex();
    const std::wstring text = index >= 0 ? ItemText(index) : std::wstring();
    if (HWND edit = EditHandle()) SetWindowTextW(edit, text.c_str());
    Click();
    Select();
    Ptr<IVxDataConsumerViewList> view = ViewList();
    if (!view || index < 0) return;
    consumer_->Enter();
    Ptr<IVxDataItem> item;
    try {
        item = view->Item(index);
    } catch (...) {
        consumer_->Leave();
        throw;
    }
    consumer_->Leave();
    consumer_->ItemSelected(item.get());
}

int TVxCustomComboBox::ProviderSearch(int Start, const std::wstring& Text, bool Exact) {
    const int count = ProviderItemCount();
    if (count == 0) return -1;
    if (Start < 0 || Start >= count) Start = count - 1;  // from the start
    for (int step = 1; step <= count; ++step) {
        const int index = (Start + step) % count;
        const std::wstring text = ItemText(index);
        if (Exact ? fw::AnsiSameText(text, Text)
                  : text.size() >= Text.size() && fw::AnsiSameText(text.substr(0, Text.size()), Text))
            return index;
    }
    return -1;
}

bool TVxCustomComboBox::FilterReadOnly(fw::TMessage& Message) {
    const WPARAM key = Message.WParam;
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
        SetFocus();
        Message.Result = 0;
        return true;
    case WM_LBUTTONDBLCLK: return true;
    case fw::CN_KEYDOWN:
        if (key == VK_F4 || key == VK_BACK) {
            Message.Result = 1;
            return true;
        }
        return false;
    case fw::CN_CHAR:
        if (key == VK_BACK) {
            Message.Result = 1;
            return true;
        }
        return false;
    case fw::CN_SYSKEYDOWN:
        if (key == VK_UP || key == VK_DOWN) {
            Message.Result = 1;
            return true;
        }
        return false;
    case WM_COMMAND: return HIWORD(Message.WParam) == CBN_SELCHANGE;
    case WM_KEYDOWN:
        if (key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN || key == VK_F4) {
            Message.Result = 0;
            return true;
        }
        return false;
    case WM_CHAR: Message.Result = 0; return true;
    case WM_SYSKEYDOWN:
        if (key == VK_UP || key == VK_DOWN) {
            Message.Result = 0;
            return true;
        }
        return false;
    default: return false;
    }
}

void TVxCustomComboBox::WndProc(fw::TMessage& Message) {
    if (readOnly_ && !HasState(fw::csDesigning) && FilterReadOnly(Message)) return;
    if (providerSelected_) {
        switch (Message.Msg) {
        case fw::CN_COMMAND:
            if (HIWORD(Message.WParam) == CBN_SELCHANGE) {
                ProviderSelectionChanged();
                Message.Result = 0;
                return;
            }
            break;
        case CB_FINDSTRING:
        case CB_FINDSTRINGEXACT:
        case CB_SELECTSTRING: {
            const int found = ProviderSearch(int(Message.WParam), reinterpret_cast<const wchar_t*>(Message.LParam),
                                             Message.Msg == CB_FINDSTRINGEXACT);
            if (Message.Msg == CB_SELECTSTRING && found >= 0) SendMessageW(Handle(), CB_SETCURSEL, WPARAM(found), 0);
            Message.Result = found;
            return;
        }
        case fw::CN_MEASUREITEM:
            if (Style() != fw::csOwnerDrawVariable) {
                auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
                int height = itemHeight_ > 0 ? itemHeight_ : ItemHeight();
                MeasureItemAt(int(measure->itemID), height);
                measure->itemHeight = UINT(height);
                Message.Result = 1;
                return;
            }
            break;
        default: break;
        }
    }
    if (Message.Msg == WM_INITDIALOG) MeasurePass();
    TVxExCustomComboBox::WndProc(Message);
}

}  // namespace vx
