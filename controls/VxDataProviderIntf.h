#pragma once
// The interfaces of the data-provider framework, with their fixed identifiers.
// Each is a COM-style interface (IUnknown first, then its own operations in the
// fixed order), so a provider written elsewhere with this header plugs in.
// Interfaces handed back by an operation come as ComPtr: the caller holds one
// reference and drops it with the pointer. Interfaces passed in are borrowed.
#include <unknwn.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "framework/ImageList.h"
#include "framework/StdCtrls.h"

namespace vx {

struct TVxClass;
using TVxDataItemID = std::wstring;
using TVxDataContextID = std::wstring;
using TClassArray = std::vector<const TVxClass*>;

// The reasons passed to the provider's Changing and Changed and to the notify interface.
enum TVxDataProviderChangeReason : int {
    pcrAdd = 0,
    pcrDelete = 1,
    pcrUpdate = 2,
    pcrListUpdate = 3,
    pcrDestroy = 4,
    pcrContextAdd = 5,
    pcrContextDelete = 6,
    pcrFullUpdate = 7,
    pcrViewChanged = 8,
};

struct IVxDataItem;
struct IVxDataItems;
struct IVxDataContext;
struct IVxDataContexts;
struct IVxDataConsumer;
struct IVxDataProviderNotify;

template <class T>
using Ptr = fw::ComPtr<T>;

struct IVxDataProvider : public IUnknown {
    virtual void STDMETHODCALLTYPE RegisterChangeNotify(IVxDataProviderNotify* Notify) = 0;
    virtual void STDMETHODCALLTYPE UnregisterChangeNotify(IVxDataProviderNotify* Notify) = 0;
    virtual Ptr<IVxDataItems> STDMETHODCALLTYPE GetItems() = 0;
    virtual void STDMETHODCALLTYPE Changing(int Reason, IUnknown* Source) = 0;
    virtual void STDMETHODCALLTYPE Changed(int Reason, IUnknown* Source) = 0;
    virtual TClassArray STDMETHODCALLTYPE ConsumerClasses() = 0;
    virtual void STDMETHODCALLTYPE SelectConsumer(IVxDataConsumer* Consumer) = 0;
    virtual Ptr<IVxDataConsumer> STDMETHODCALLTYPE SelectedConsumer() = 0;
    virtual void STDMETHODCALLTYPE ReleaseConsumer() = 0;
    virtual void STDMETHODCALLTYPE SelectContext(IVxDataContext* Context) = 0;
    virtual Ptr<IVxDataContext> STDMETHODCALLTYPE SelectedContext() = 0;
    virtual void STDMETHODCALLTYPE ReleaseContext() = 0;
    // Operations 13 to 19 belong to the provider; nothing here calls them.
    virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved16() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;
};

struct IVxDataItems : public IUnknown {
    virtual int STDMETHODCALLTYPE GetCount() = 0;
    virtual Ptr<IVxDataItem> STDMETHODCALLTYPE GetItem(int Index) = 0;
    virtual Ptr<IVxDataItem> STDMETHODCALLTYPE GetItemByID(const TVxDataItemID& ID) = 0;
    virtual Ptr<IVxDataItem> STDMETHODCALLTYPE GetItemByIndexPath(const std::vector<int>& Path) = 0;
    virtual Ptr<IVxDataItem> STDMETHODCALLTYPE GetParent() = 0;
    virtual Ptr<IVxDataProvider> STDMETHODCALLTYPE GetProvider() = 0;
    virtual fw::TObject* STDMETHODCALLTYPE GetImplementer() = 0;
    virtual bool STDMETHODCALLTYPE IsDynamic() = 0;
    virtual void STDMETHODCALLTYPE ContextDestroying(IVxDataContext* Context) = 0;
};

struct IVxDataIDSearch : public IUnknown {
    virtual bool STDMETHODCALLTYPE FindByID(const TVxDataItemID& ID, bool Recursive, Ptr<IVxDataItem>& Item) = 0;
};

struct IVxDataItem : public IUnknown {
    virtual Ptr<IVxDataItems> STDMETHODCALLTYPE GetItems() = 0;
    virtual int STDMETHODCALLTYPE GetIndex() = 0;
    virtual fw::TObject* STDMETHODCALLTYPE GetImplementer() = 0;
    virtual TVxDataItemID STDMETHODCALLTYPE GetID() = 0;
    virtual void STDMETHODCALLTYPE ContextDestroying(IVxDataContext* Context) = 0;
    virtual bool STDMETHODCALLTYPE IsParentOf(IVxDataItem* Item, bool DirectParentOnly) = 0;
    virtual bool STDMETHODCALLTYPE IsDeletable() = 0;
};

struct IVxDataItemText : public IUnknown {
    virtual std::wstring STDMETHODCALLTYPE GetText() = 0;
    virtual void STDMETHODCALLTYPE SetText(const std::wstring& Value) = 0;
    virtual bool STDMETHODCALLTYPE IsEditable() = 0;
};

struct IVxDataItemImage : public IUnknown {
    virtual fw::TAlignment STDMETHODCALLTYPE GetAlignment() = 0;
    virtual void STDMETHODCALLTYPE SetAlignment(fw::TAlignment Value) = 0;
    virtual int STDMETHODCALLTYPE GetImageIndex() = 0;
    virtual void STDMETHODCALLTYPE SetImageIndex(int Value) = 0;
    virtual int STDMETHODCALLTYPE GetSelectedIndex() = 0;
    virtual void STDMETHODCALLTYPE SetSelectedIndex(int Value) = 0;
};

struct IVxDataContextSensitive : public IUnknown {
    virtual void STDMETHODCALLTYPE RevertToDefault() = 0;
    virtual bool STDMETHODCALLTYPE IsEqualToDefault() = 0;
};

struct IVxDataItemsRenderer : public IUnknown {
    virtual void STDMETHODCALLTYPE DrawItemByIndex(fw::TCanvas* Canvas, const RECT& Rect, int Index,
                                                   fw::TOwnerDrawState State) = 0;
    virtual SIZE STDMETHODCALLTYPE MeasureItemByIndex(fw::TCanvas* Canvas, int Index) = 0;
    virtual void STDMETHODCALLTYPE DrawItem(fw::TCanvas* Canvas, const RECT& Rect, IVxDataItem* Item,
                                            fw::TOwnerDrawState State) = 0;
    virtual SIZE STDMETHODCALLTYPE MeasureItem(fw::TCanvas* Canvas, IVxDataItem* Item) = 0;
    virtual SIZE STDMETHODCALLTYPE AvgItemSize(fw::TCanvas* Canvas) = 0;
};

struct IVxDataItemRenderer : public IUnknown {
    virtual void STDMETHODCALLTYPE Draw(fw::TCanvas* Canvas, const RECT& Rect, fw::TOwnerDrawState State) = 0;
    virtual SIZE STDMETHODCALLTYPE Measure(fw::TCanvas* Canvas) = 0;
};

struct IVxDataItemsManagement : public IUnknown {
    virtual Ptr<IVxDataItem> STDMETHODCALLTYPE Add(IVxDataItem* Item) = 0;
    virtual Ptr<IVxDataItem> STDMETHODCALLTYPE New() = 0;
    virtual void STDMETHODCALLTYPE Clear() = 0;
    virtual void STDMETHODCALLTYPE Delete(int Index) = 0;
    virtual void STDMETHODCALLTYPE Remove(Ptr<IVxDataItem>& Item) = 0;
};

struct IVxDataItemsImages : public IUnknown {
    virtual fw::TCustomImageList* STDMETHODCALLTYPE GetDisabledImages() = 0;
    virtual void STDMETHODCALLTYPE SetDisabledImages(fw::TCustomImageList* Value) = 0;
    virtual fw::TCustomImageList* STDMETHODCALLTYPE GetHotImages() = 0;
    virtual void STDMETHODCALLTYPE SetHotImages(fw::TCustomImageList* Value) = 0;
    virtual fw::TCustomImageList* STDMETHODCALLTYPE GetImages() = 0;
    virtual void STDMETHODCALLTYPE SetImages(fw::TCustomImageList* Value) = 0;
};

struct IVxDataContexts : public IUnknown {
    virtual Ptr<IVxDataProvider> STDMETHODCALLTYPE GetProvider() = 0;
    virtual Ptr<IVxDataContext> STDMETHODCALLTYPE GetAncestor() = 0;
    virtual int STDMETHODCALLTYPE GetCount() = 0;
    virtual Ptr<IVxDataContext> STDMETHODCALLTYPE GetContext(int Index) = 0;
    virtual Ptr<IVxDataContext> STDMETHODCALLTYPE GetContextByName(const TVxDataContextID& Name) = 0;
    virtual int STDMETHODCALLTYPE IndexOf(IVxDataContext* Context) = 0;
};

struct IVxDataContext : public IUnknown {
    virtual fw::TObject* STDMETHODCALLTYPE GetImplementer() = 0;
    virtual Ptr<IVxDataContexts> STDMETHODCALLTYPE Contexts() = 0;
    virtual TVxDataContextID STDMETHODCALLTYPE Name() = 0;
    virtual bool STDMETHODCALLTYPE IsDeletable() = 0;
};

struct IVxDataContextManaged : public IUnknown {
    virtual void STDMETHODCALLTYPE SetName(const TVxDataContextID& Value) = 0;
};

struct IVxDataConsumer : public IUnknown {
    virtual fw::TComponent* STDMETHODCALLTYPE FrameworkComponent() = 0;
    virtual bool STDMETHODCALLTYPE AttributeApplies(int Attr) = 0;
};

struct IVxDataProviderNotify : public IUnknown {
    virtual void STDMETHODCALLTYPE DataProviderChanging(IVxDataProvider* Provider, int Reason, IUnknown* Source) = 0;
    virtual void STDMETHODCALLTYPE DataProviderChanged(IVxDataProvider* Provider, int Reason, IUnknown* Source) = 0;
    virtual Ptr<IVxDataConsumer> STDMETHODCALLTYPE Consumer() = 0;
};

struct IVxDataConsumerProvider : public IUnknown {
    virtual Ptr<IVxDataProvider> STDMETHODCALLTYPE ProviderIntf() = 0;
};

struct IVxDataConsumerClientLink : public IUnknown {
    virtual void STDMETHODCALLTYPE NotifyExtensions(intptr_t A, intptr_t B) = 0;
    virtual void STDMETHODCALLTYPE AddClient(IUnknown* Client) = 0;
    virtual void STDMETHODCALLTYPE RemoveClient(IUnknown* Client) = 0;
};

// What a client linked to a consumer answers; the consumer calls the third
// operation when its provider changed.
struct IVxDataConsumerClient : public IUnknown {
    virtual void STDMETHODCALLTYPE ClientAdded(IVxDataConsumerClientLink* Link) = 0;
    virtual void STDMETHODCALLTYPE ClientRemoved(IVxDataConsumerClientLink* Link) = 0;
    virtual void STDMETHODCALLTYPE ProviderChanged(IVxDataConsumerClientLink* Link) = 0;
};

struct IVxDataConsumerItemSelect : public IUnknown {
    virtual Ptr<IVxDataItem> STDMETHODCALLTYPE GetItem() = 0;
    virtual void STDMETHODCALLTYPE SetItem(IVxDataItem* Item) = 0;
};

struct IVxDataConsumerViewList : public IUnknown {
    virtual int STDMETHODCALLTYPE GetAutoExpandLevel() = 0;
    virtual void STDMETHODCALLTYPE SetAutoExpandLevel(int Value) = 0;
    virtual bool STDMETHODCALLTYPE GetExpandOnNewItem() = 0;
    virtual void STDMETHODCALLTYPE SetExpandOnNewItem(bool Value) = 0;
    virtual int STDMETHODCALLTYPE GetLevelIndent() = 0;
    virtual void STDMETHODCALLTYPE SetLevelIndent(int Value) = 0;
    virtual void STDMETHODCALLTYPE RebuildView() = 0;
    virtual void STDMETHODCALLTYPE ExpandTreeTo(IVxDataItem* Item) = 0;
    virtual void STDMETHODCALLTYPE ToggleItem(int Index) = 0;
    virtual int STDMETHODCALLTYPE IndexOfItem(IVxDataItem* Item) = 0;
    virtual int STDMETHODCALLTYPE IndexOfID(const TVxDataItemID& ID) = 0;
    virtual int STDMETHODCALLTYPE ChildIndexOfItem(IVxDataItem* Item) = 0;
    virtual int STDMETHODCALLTYPE ChildIndexOfID(const TVxDataItemID& ID) = 0;
    virtual Ptr<IVxDataItem> STDMETHODCALLTYPE Item(int Index) = 0;
    virtual int STDMETHODCALLTYPE ItemLevel(int Index) = 0;
    virtual bool STDMETHODCALLTYPE ItemIsExpanded(int Index) = 0;
    virtual bool STDMETHODCALLTYPE ItemHasChildren(int Index) = 0;
    virtual Ptr<IVxDataItem> STDMETHODCALLTYPE ItemParent(int Index) = 0;
    virtual int STDMETHODCALLTYPE ItemParentIndex(int Index) = 0;
    virtual Ptr<IVxDataItem> STDMETHODCALLTYPE ItemSibling(int Index) = 0;
    virtual int STDMETHODCALLTYPE ItemSiblingIndex(int Index) = 0;
    virtual Ptr<IVxDataItem> STDMETHODCALLTYPE SubItem(IVxDataItem* Parent, int Index) = 0;
    virtual Ptr<IVxDataItem> STDMETHODCALLTYPE SubItemAt(int ParentIndex, int Index) = 0;
    virtual int STDMETHODCALLTYPE SubItemIndex(IVxDataItem* Parent, int Index) = 0;
    virtual int STDMETHODCALLTYPE SubItemIndexAt(int ParentIndex, int Index) = 0;
    virtual std::vector<uint32_t> STDMETHODCALLTYPE ItemGroupInfo(int Index) = 0;
    virtual int STDMETHODCALLTYPE Count() = 0;
};

struct IVxDataConsumerItemFilter : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reserved1() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved2() = 0;
    // 0 hides the item; 1 to 3 show it (2 and 3 let the item decide).
    virtual int STDMETHODCALLTYPE ItemVisibility(IVxDataItem* Item) = 0;
};

struct IVxDataItemVisibility : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reserved1() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved2() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    virtual int STDMETHODCALLTYPE Visibility() = 0;
};

struct IVxDataProviderComponent : public IUnknown {
    virtual fw::TPersistent* STDMETHODCALLTYPE Component() = 0;
};

struct IVxDataItemSelectNotify : public IUnknown {
    virtual void STDMETHODCALLTYPE ItemSelected(fw::TComponent* Owner) = 0;
};

}  // namespace vx

// clang-format off
__CRT_UUID_DECL(vx::IVxDataProvider, 0x62A7A17D, 0x1E21, 0x427E, 0x86, 0x1D, 0xC9, 0x2F, 0xBB, 0x9B, 0x09, 0xA6)
__CRT_UUID_DECL(vx::IVxDataItems, 0x93747660, 0x24FB, 0x4294, 0xBF, 0x4E, 0xC7, 0xF8, 0x8E, 0xA2, 0x39, 0x83)
__CRT_UUID_DECL(vx::IVxDataIDSearch, 0x0F5BDC79, 0x893B, 0x45C9, 0x94, 0xE9, 0xC2, 0xB2, 0xFD, 0x4A, 0xBF, 0xE7)
__CRT_UUID_DECL(vx::IVxDataItem, 0xC965CF64, 0xA1F2, 0x44A4, 0xB8, 0x56, 0x3A, 0x4E, 0xC6, 0xB6, 0x93, 0xE1)
__CRT_UUID_DECL(vx::IVxDataItemText, 0x94FA56D9, 0x281B, 0x4252, 0xB4, 0x6D, 0x15, 0xE7, 0xBA, 0xDA, 0x70, 0xDA)
__CRT_UUID_DECL(vx::IVxDataItemImage, 0x6425D73A, 0x90CF, 0x42ED, 0x9A, 0xB2, 0x63, 0x12, 0x5A, 0x4C, 0x07, 0x74)
__CRT_UUID_DECL(vx::IVxDataContextSensitive, 0x7067F5C1, 0x05DC, 0x4DAC, 0xA5, 0x95, 0xAF, 0x91, 0x51, 0x69, 0x5F, 0xBB)
__CRT_UUID_DECL(vx::IVxDataItemsRenderer, 0x4EA490F4, 0x7CCF, 0x44A1, 0xAA, 0x26, 0x53, 0x20, 0xCD, 0xE9, 0xFA, 0xFC)
__CRT_UUID_DECL(vx::IVxDataItemRenderer, 0x9E877A0D, 0x01C2, 0x4204, 0xAA, 0x74, 0x84, 0xD6, 0x51, 0x6B, 0xBE, 0xB9)
__CRT_UUID_DECL(vx::IVxDataItemsManagement, 0x76611CC0, 0x9DCD, 0x4394, 0x8B, 0x6E, 0x1A, 0xDE, 0xF1, 0x94, 0x2B, 0xC3)
__CRT_UUID_DECL(vx::IVxDataItemsImages, 0x735755A6, 0xAD11, 0x460C, 0xB9, 0x85, 0x46, 0x46, 0x4D, 0x73, 0xED, 0xBC)
__CRT_UUID_DECL(vx::IVxDataContexts, 0xBA5DC787, 0x29C6, 0x40FA, 0x95, 0x42, 0xF0, 0xA1, 0xE9, 0x2A, 0x2B, 0x30)
__CRT_UUID_DECL(vx::IVxDataContext, 0xF226D92A, 0x3493, 0x4EF8, 0x9C, 0xE6, 0x03, 0x73, 0x57, 0xEB, 0x0C, 0xEA)
__CRT_UUID_DECL(vx::IVxDataContextManaged, 0x530367D8, 0x601C, 0x4E36, 0xB5, 0xF0, 0x35, 0x71, 0x60, 0x49, 0x7C, 0x50)
__CRT_UUID_DECL(vx::IVxDataConsumer, 0xB2F18D03, 0xF615, 0x4AA2, 0xA5, 0x1A, 0x74, 0xD3, 0x30, 0xC0, 0x5C, 0x0E)
__CRT_UUID_DECL(vx::IVxDataProviderNotify, 0x5B9D1847, 0x6D35, 0x4D9C, 0x8B, 0xC2, 0x20, 0x54, 0x99, 0x7A, 0xB1, 0x20)
__CRT_UUID_DECL(vx::IVxDataConsumerProvider, 0x1F01D2E5, 0x2ACB, 0x4B84, 0xAF, 0xE6, 0x67, 0xE5, 0x63, 0xFB, 0x47, 0x0B)
__CRT_UUID_DECL(vx::IVxDataConsumerClientLink, 0xD1AAAFDF, 0xBEB1, 0x44DB, 0xB8, 0xD8, 0xA6, 0x00, 0x80, 0xCE, 0xF3, 0xC7)
__CRT_UUID_DECL(vx::IVxDataConsumerClient, 0x6C1E8B43, 0x2F5A, 0x4D7E, 0x9B, 0x21, 0x3A, 0x0C, 0x4E, 0x5F, 0x7D, 0x19)
__CRT_UUID_DECL(vx::IVxDataConsumerItemSelect, 0xF11554AE, 0x263D, 0x4C04, 0xBC, 0xDB, 0x79, 0xF0, 0x4D, 0xE8, 0x96, 0x09)
__CRT_UUID_DECL(vx::IVxDataConsumerViewList, 0xF3A78F68, 0xD998, 0x4877, 0x8C, 0x73, 0x1E, 0x0D, 0x29, 0x87, 0x80, 0x8D)
__CRT_UUID_DECL(vx::IVxDataConsumerItemFilter, 0x09EBDED8, 0x502E, 0x4C2E, 0x98, 0x42, 0x31, 0x28, 0x50, 0xFF, 0x33, 0x58)
__CRT_UUID_DECL(vx::IVxDataItemVisibility, 0x5BD81E0B, 0xDAD2, 0x4560, 0x94, 0x3A, 0x20, 0x5E, 0x0F, 0xF2, 0xA9, 0x7F)
__CRT_UUID_DECL(vx::IVxDataProviderComponent, 0xE28B1858, 0xEC86, 0x4559, 0x8F, 0xCD, 0x6B, 0x4F, 0x82, 0x41, 0x51, 0xED)
__CRT_UUID_DECL(vx::IVxDataItemSelectNotify, 0x86859A20, 0x560D, 0x4E9A, 0xAC, 0x8B, 0x24, 0x57, 0x78, 0x94, 0x51, 0xB0)
// clang-format on
