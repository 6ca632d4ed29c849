// Resource owners: references, moves, resets and what counts as "no handle".
#include "framework/Handles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <utility>

namespace {

// A COM object on the stack that only counts its references.
class TCountedPersist : public IPersist {
public:
    ULONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist)) {
            *out = static_cast<IPersist*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
};

TEST(ComPtr, ReferencesFollowCopiesMovesAttachDetachPutAndAs) {
    TCountedPersist object;
    {
        fw::ComPtr<IPersist> a(&object);  // shares: one more reference
        EXPECT_EQ(object.refs, 2u);
        fw::ComPtr<IPersist> b = a;
        EXPECT_EQ(object.refs, 3u);
        fw::ComPtr<IPersist> c = std::move(b);
        EXPECT_EQ(object.refs, 3u);
        EXPECT_FALSE(b);
        c = c;  // self-assignment keeps the reference
        EXPECT_EQ(object.refs, 3u);
        a = nullptr;
        EXPECT_EQ(object.refs, 2u);
        fw::ComPtr<IUnknown> base = c;  // to a base interface
        EXPECT_EQ(object.refs, 3u);
    }
    EXPECT_EQ(object.refs, 1u);

    fw::ComPtr<IPersist> p;
    object.AddRef();
    p.attach(&object);  // adopts the reference taken above
    EXPECT_EQ(object.refs, 2u);
    IPersist* raw = p.detach();
    EXPECT_EQ(raw, &object);
    EXPECT_EQ(object.refs, 2u);
    p.attach(raw);
    IPersist** slot = p.put();  // the old reference goes first
    EXPECT_EQ(object.refs, 1u);
    EXPECT_EQ(*slot, nullptr);
    IPersist* out = nullptr;
    fw::ComPtr<IPersist>(&object).CopyTo(&out);
    EXPECT_EQ(object.refs, 2u);
    out->Release();
    // As: another interface with its own reference, or nothing.
    fw::ComPtr<IPersist> persist(&object);
    EXPECT_TRUE(persist.As<IUnknown>());
    EXPECT_FALSE(persist.As<IStream>());
    EXPECT_EQ(object.refs, 2u);
}

bool IsOpenHandle(HANDLE h) {
    DWORD flags;
    return GetHandleInformation(h, &flags) != FALSE;
}

TEST(UniqueHandle, MovesAndResetsCloseReleaseKeepsAndInvalidValueIsEmpty) {
    fw::UniqueHandle a(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(a);
    const HANDLE raw = a.get();
    fw::UniqueHandle b = std::move(a);
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), raw);
    EXPECT_TRUE(IsOpenHandle(raw));
    fw::UniqueHandle c(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE other = c.get();
    c = std::move(b);  // the target's own handle is closed
    EXPECT_FALSE(IsOpenHandle(other));
    EXPECT_EQ(c.get(), raw);
    c.reset();
    EXPECT_FALSE(IsOpenHandle(raw));
    // Release gives the handle up open.
    fw::UniqueHandle d(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE kept = d.release();
    EXPECT_FALSE(d);
    EXPECT_TRUE(IsOpenHandle(kept));
    CloseHandle(kept);
    fw::UniqueHandle invalid(INVALID_HANDLE_VALUE);  // what CreateFile returns on failure
    EXPECT_FALSE(invalid);
    fw::FindHandle find;
    EXPECT_EQ(find.get(), INVALID_HANDLE_VALUE);
    WIN32_FIND_DATAW data;
    find.reset(FindFirstFileW(L"C:\\no-such-folder-here\\*", &data));
    EXPECT_FALSE(find);
}

TEST(GdiObject, ResetDeletesReleaseKeepsAndSelectionIsRestored) {
    fw::GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(1, 2, 3)));
    const HBRUSH raw = brush.get();
    ASSERT_NE(GetObjectType(raw), 0u);
    brush.reset();
    EXPECT_EQ(GetObjectType(raw), 0u);
    fw::GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, 0));
    const HPEN kept = pen.release();
    EXPECT_NE(GetObjectType(kept), 0u);
    DeleteObject(kept);
    // A selection is undone when its guard goes.
    fw::DCHandle dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_FONT);
    fw::GdiObject<HFONT> font(CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    {
        fw::SelectObjectGuard select(dc.get(), font.get());
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), font.get());
        EXPECT_EQ(select.Previous(), original);
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), original);
}

}  // namespace
