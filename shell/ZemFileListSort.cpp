#include "shell/ZemFileList.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>

#include "framework/Exception.h"
#include "framework/SysUtils.h"
#include "shell/LogicalSortKey.h"
#include "shell/PathUtils.h"

namespace shell {

namespace {

int Sign(int64_t Value) {
    return Value < 0 ? -1 : Value > 0 ? 1 : 0;
}

// The colour the header fills its items with: the theme's where themes are
// active, else the button face.
COLORREF HeaderFillColour(HWND Header) {
    COLORREF colour = GetSysColor(COLOR_BTNFACE);
    if (IsThemeActive() && IsAppThemed()) {
        if (HTHEME theme = OpenThemeData(Header, L"HEADER")) {
            COLORREF themed = 0;
            if (SUCCEEDED(GetThemeColor(theme, 5, 0, TMT_FILLCOLOR, &themed))) colour = themed;
            CloseThemeData(theme);
        }
    }
    return colour;
}

// The arrow bitmap of the program's resources on the header's fill colour: its
// see-through colour becomes the fill. Nullptr when the resource is missing.
std::unique_ptr<fw::TBitmap> MakeSortArrow(HWND Header, bool Up) {
    fw::TBitmap resource;
    try {
        resource.LoadFromResourceName(GetModuleHandleW(nullptr),
                                      Up ? L"TZEMSHELLLIST_LV_ARROWUP" : L"TZEMSHELLLIST_LV_ARROWDOWN");
    } catch (const fw::Exception&) {
        return nullptr;
    }
    const COLORREF fill = HeaderFillColour(Header);
    auto bitmap = std::make_unique<fw::TBitmap>();
    bitmap->SetPixelFormat(fw::pf24bit);
    bitmap->SetSize(resource.Width(), resource.Height());
    fw::TCanvas* canvas = bitmap->Canvas();
    canvas->Brush()->SetColor(fw::TColorOf(fill));
    canvas->FillRect(RECT{0, 0, std::min(8, resource.Width()), std::min(8, resource.Height())});
    const COLORREF clear = fw::ColorToRGB(resource.TransparentColor());
    HDC target = canvas->Handle();
    HDC source = resource.Canvas()->Handle();
    for (int y = 0; y < resource.Height(); ++y)
        for (int x = 0; x < resource.Width(); ++x) {
            const COLORREF pixel = GetPixel(source, x, y);
            SetPixel(target, x, y, pixel == clear ? fill : pixel);
        }
    bitmap->Dormant();
    return bitmap;
}

}  // namespace

// --- TZemCustomFileList: sorting ---------------------------------------------

void TZemCustomFileList::ColClick(fw::TListColumn* Column) {
    SortColumn(Column->Index());
    TZemBaseShellListView::ColClick(Column);
}

void TZemCustomFileList::SortColumn(int Column) {
    descending_ = Column == sortColumn_ && !descending_;
    sortSign_ = descending_ ? -1 : 1;
    sortColumn_ = Column;
    Sort();
    UpdateSortArrows();
}

void TZemCustomFileList::Sort() {
    if (sortColumn_ > Columns()->Count() - 1) sortColumn_ = 0;
    FillForSort();
    if (SortByNameKeys()) return;
    CustomSort([this](fw::TListItem* A, fw::TListItem* B) {
        return CompareItems(static_cast<TZemFileListItem*>(A), static_cast<TZemFileListItem*>(B));
    });
}

bool TZemCustomFileList::SortByNameKeys() {
    if (OnCompare || !SortsByShellColumn() || SortShellKind() != ckName) return false;
    // The shell's logical comparison costs most of a sort by name: the rows are
    // ordered by keys made once per row instead, and the comparison (as
    // CompareByShell makes it, on names taken once) only confirms that order,
    // neighbour by neighbour. Where it disagrees, it sorts them itself. Ties keep
    // their order, as in the stable sort.
    TZemFileListItems* items = Items();
    const int count = items->Count();
    struct TNameKey {
        bool Folder;
        std::wstring Name;
        std::u32string Key;
    };
    std::vector<TNameKey> keys;
    keys.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        TZemFileListItem* item = items->Item(i);
        std::wstring name = item->Name();
        std::u32string key = LogicalSortKey(name);
        keys.push_back({item->IsFolder(), std::move(name), std::move(key)});
    }
    const auto compare = [&](int A, int B, bool ByKey) {
        const TNameKey& a = keys[size_t(A)];
        const TNameKey& b = keys[size_t(B)];
        if (a.Folder != b.Folder) return (a.Folder ? -1 : 1) * sortSign_;
        const int r = ByKey ? a.Key.compare(b.Key) : CompareTextLogical(a.Name, b.Name);
        return ((r > 0) - (r < 0)) * sortSign_;
    };
    std::vector<int> order(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) order[size_t(i)] = i;
    std::sort(order.begin(), order.end(), [&](int A, int B) {
        const int r = compare(A, B, true);
        return r != 0 ? r < 0 : A < B;
    });
    const auto before = [&](int A, int B) {
        const int r = compare(A, B, false);
        return r != 0 ? r < 0 : A < B;
    };
    for (size_t i = 1; i < order.size(); ++i) {
        if (before(order[i - 1], order[i])) continue;
        std::stable_sort(order.begin(), order.end(), before);
        break;
    }
    items->Reorder(order);
    return true;
}

void TZemCustomFileList::FillForSort() {
    // Everything a comparison reads is filled first, so no comparison changes the
    // list (filling raises OnChange, whose handler may change a caption).
    if (SortsByShellColumn()) {
        const TZemColumnKind kind = SortShellKind();
        if (kind == ckName || kind == ckSize || kind == ckDate) return;
    }
    FillTexts();
}

void TZemCustomFileList::FillTexts() {
    for (int i = 0; i < Items()->Count(); ++i)
        if (!Items()->Item(i)->TextsFilled()) FillItemDetails(Items()->Item(i));
}

TZemColumnKind TZemCustomFileList::SortShellKind() const {
    const int column = SortShellColumn();
    return column < int(columnKinds_.size()) ? columnKinds_[size_t(column)] : ckName;
}

int TZemCustomFileList::CompareItems(TZemFileListItem* Item1, TZemFileListItem* Item2) {
    int r = 0;
    if (SortsByShellColumn()) return CompareByShell(Item1, Item2) * sortSign_;
    if ((Item1->HeldSubItems().Count() == 0 || Item2->HeldSubItems().Count() == 0) && sortColumn_ == folderColumn_ &&
        !OnCompare) {
        r = CompareTextLogical(Item1->Folder(), Item2->Folder()) * sortSign_;
    } else {
        r = CompareTexts(Item1, Item2, sortColumn_) * sortSign_;
    }
    if (r == 0) r = CompareTextLogical(Item1->HeldCaption(), Item2->HeldCaption()) * sortSign_;
    if (OnCompare) OnCompare(this, Item1, Item2, sortColumn_, r);
    return r;
}

int TZemCustomFileList::CompareTexts(TZemFileListItem* Item1, TZemFileListItem* Item2, int Data) {
    // A missing sub-item compares as an empty text.
    const auto text = [Data](TZemFileListItem* Item) -> std::wstring {
        const fw::TListSubItems& sub = Item->HeldSubItems();
        return Data >= 1 && Data - 1 < sub.Count() ? sub.Strings(Data - 1) : std::wstring();
    };
    return CompareTextLogical(text(Item1), text(Item2));
}

int TZemCustomFileList::CompareByShell(TZemFileListItem* Item1, TZemFileListItem* Item2) {
    // The shell's own comparison ignores the column on some systems (it sorts by
    // name): the values the listing gave are compared instead, folders first as
    // the shell orders them.
    const TZemColumnKind kind = SortShellKind();
    const bool folder1 = Item1->IsFolder(), folder2 = Item2->IsFolder();
    if (folder1 != folder2) return folder1 ? -1 : 1;
    switch (kind) {
    case ckName: return CompareTextLogical(Item1->Name(), Item2->Name());
    case ckSize: return Sign(Item1->FindData().Size - Item2->FindData().Size);
    case ckDate: return CompareFileTime(&Item1->FindData().LastWriteTime, &Item2->FindData().LastWriteTime);
    default: return CompareTexts(Item1, Item2, SortShellColumn());
    }
}

void TZemCustomFileList::UpdateSortArrows() {
    for (int i = 0; i < Columns()->Count(); ++i) SetColumnArrow(i, descending_);
}

void TZemCustomFileList::SetColumnArrow(int Index, bool IsDescending) {
    const HWND header = HeaderHandle();
    if (!header) return;
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    if (!Header_GetItem(header, Index, &item)) return;
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN | HDF_BITMAP | HDF_BITMAP_ON_RIGHT);
    if (Index == sortColumn_) {
        if (IsThemeActive() && IsAppThemed()) {
            item.fmt |= IsDescending ? HDF_SORTDOWN : HDF_SORTUP;
        } else {
            // Without themes the header draws no sort arrow of its own: ours goes right of the caption.
            std::unique_ptr<fw::TBitmap>& arrow = IsDescending ? arrowDown_ : arrowUp_;
            if (!arrow) arrow = MakeSortArrow(header, !IsDescending);
            if (arrow) {
                item.mask |= HDI_BITMAP;
                item.fmt |= HDF_BITMAP | HDF_BITMAP_ON_RIGHT;
                item.hbm = arrow->Handle();
            }
        }
    }
    Header_SetItem(header, Index, &item);
}

}  // namespace shell
