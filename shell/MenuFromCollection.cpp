#include "shell/MenuFromCollection.h"

namespace shell {

void TMenuFromCollection::Popup(int X, int Y) {
    Items()->Clear();
    FillItems();
    fw::TPopupMenu::Popup(X, Y);
}

fw::TMenuItem* TMenuFromCollection::AddItem(const std::wstring& Caption, int Tag, bool Check, bool Enabled) {
    auto* item = new fw::TMenuItem(this);
    item->SetName(ClassName() + std::to_wstring(Items()->Count() + 1));
    item->SetCaption(Caption);
    item->SetTag(Tag);
    item->SetChecked(Check);
    item->SetEnabled(Enabled);
    item->OnClick = [this](fw::TObject* Sender) { ItemClicked(int(static_cast<fw::TMenuItem*>(Sender)->Tag())); };
    Items()->Add(item);
    return item;
}

void TMenuFromCollection::ItemClicked(int Index) {
    if (OnItemClick) OnItemClick(this, Index);
}

void TMenuFromListColumns::FillItems() {
    if (!Collection) return;
    for (int i = 0; i < Collection->Count(); ++i) {
        fw::TListColumn* column = Collection->Items(i);
        AddItem(column->Caption(), i, column->Width() > 0, true);
    }
}

void TMenuFromListColumns::ItemClicked(int Index) {
    if (Collection && Index >= 0 && Index < Collection->Count()) {
        fw::TListColumn* column = Collection->Items(Index);
        column->SetWidth(column->Width() < 1 ? 120 : 0);
    }
    TMenuFromCollection::ItemClicked(Index);
}

}  // namespace shell
