// OLE drag and drop glue: the target's handlers called directly with a data object
// made here, the source's rule for continuing, the registration's ownership, and
// one whole drag through OLE's own loop onto a registered window.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/DataObject.h"
#include "framework/DragDrop.h"
#include "framework/Forms.h"

namespace {

fw::ComPtr<fw::TDataObject> TextData(const std::wstring& Text) {
    auto data = fw::TDataObject::Create();
    const size_t bytes = (Text.size() + 1) * sizeof(wchar_t);
    fw::GlobalHandle block(GlobalAlloc(GMEM_MOVEABLE, bytes));
    {
        const fw::GlobalLockGuard lock(block.get());
        memcpy(lock.Data(), Text.c_str(), bytes);
    }
    data->SetBlock(CF_UNICODETEXT, std::move(block));
    return data;
}

std::wstring TextOf(IDataObject* Data) {
    FORMATETC format{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (!Data || FAILED(Data->GetData(&format, &medium))) return L"";
    std::wstring text;
    {
        const fw::GlobalLockGuard lock(medium.hGlobal);
        if (lock.Data()) text = static_cast<const wchar_t*>(lock.Data());
    }
    ReleaseStgMedium(&medium);
    return text;
}

class DragDropTest : public ::testing::Test {
protected:
    void SetUp() override { oleReady = SUCCEEDED(OleInitialize(nullptr)); }
    void TearDown() override {
        if (oleReady) OleUninitialize();
    }
    bool oleReady = false;
};

TEST_F(DragDropTest, TheTargetHandsEachCallToItsHandlerAndRefusesWithoutOne) {
    auto target = fw::TDropTarget::Create();
    auto data = TextData(L"dragged");
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    // Unbound: refused quietly.
    EXPECT_EQ(target->DragEnter(data.get(), MK_LBUTTON, POINTL{1, 2}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(target->DragOver(MK_LBUTTON, POINTL{1, 2}, nullptr), E_INVALIDARG);

    std::vector<std::wstring> calls;
    target->OnDragEnter = [&](IDataObject* Data, DWORD Keys, POINT P, DWORD& Effect) {
        calls.push_back(L"enter " + TextOf(Data) + L" " + std::to_wstring(Keys) + L" " + std::to_wstring(P.x) + L"," +
                        std::to_wstring(P.y));
        Effect &= DROPEFFECT_COPY;
        return S_OK;
    };
    target->OnDragOver = [&](DWORD, POINT P, DWORD& Effect) {
        calls.push_back(L"over " + std::to_wstring(P.x));
        Effect = DROPEFFECT_MOVE;
        return S_OK;
    };
    target->OnDragLeave = [&] {
        calls.push_back(L"leave");
        return S_OK;
    };
    target->OnDrop = [&](IDataObject* Data, DWORD, POINT, DWORD& Effect) {
        calls.push_back(L"drop " + TextOf(Data));
        Effect = DROPEFFECT_LINK;
        return E_UNEXPECTED;
    };
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragEnter(data.get(), MK_RBUTTON, POINTL{10, -20}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(target->DragOver(0, POINTL{11, 0}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(target->DragLeave(), S_OK);
    EXPECT_EQ(target->Drop(data.get(), 0, POINTL{0, 0}, &effect), E_UNEXPECTED);  // the handler's answer
    EXPECT_EQ(effect, DWORD(DROPEFFECT_LINK));
    EXPECT_EQ(calls, (std::vector<std::wstring>{L"enter dragged 2 10,-20", L"over 11", L"leave", L"drop dragged"}));

    // The owner goes: the target outlives it harmlessly.
    target->Clear();
    EXPECT_EQ(target->Drop(data.get(), 0, POINTL{0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(calls.size(), 4u);
    EXPECT_TRUE(target.As<IDropTarget>());
    EXPECT_FALSE(target.As<IDropSource>());
}

TEST_F(DragDropTest, TheSourceDropsOnReleaseAndCancelsOnlyOnEscape) {
    auto left = fw::TDropSource::Create();
    EXPECT_EQ(left->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
    EXPECT_EQ(left->QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), S_OK);  // a second button changes nothing
    EXPECT_EQ(left->QueryContinueDrag(FALSE, MK_RBUTTON), DRAGDROP_S_DROP);    // the drag button was released
    EXPECT_EQ(left->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
    EXPECT_EQ(left->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(left->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);

    auto right = fw::TDropSource::Create(MK_RBUTTON);
    EXPECT_EQ(right->QueryContinueDrag(FALSE, MK_RBUTTON), S_OK);
    EXPECT_EQ(right->QueryContinueDrag(FALSE, MK_LBUTTON), DRAGDROP_S_DROP);

    right->OnQueryContinueDrag = [](bool, DWORD) { return DRAGDROP_S_CANCEL; };
    right->OnGiveFeedback = [](DWORD) { return S_OK; };
    EXPECT_EQ(right->QueryContinueDrag(FALSE, MK_RBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(right->GiveFeedback(0), S_OK);
    right->Clear();
    EXPECT_EQ(right->QueryContinueDrag(FALSE, MK_RBUTTON), S_OK);
}

TEST_F(DragDropTest, TheRegistrationOwnsOneWindowsTarget) {
    fw::TForm form(nullptr);
    form.Show();
    auto target = fw::TDropTarget::Create();
    {
        fw::TDropTargetRegistration registration;
        EXPECT_EQ(registration.Register(nullptr, target.get()), E_INVALIDARG);
        EXPECT_FALSE(registration.Registered());
        ASSERT_EQ(registration.Register(form.Handle(), target.get()), S_OK);
        EXPECT_EQ(registration.Window(), form.Handle());
        // Held: the window cannot be registered twice.
        EXPECT_EQ(RegisterDragDrop(form.Handle(), target.get()), DRAGDROP_E_ALREADYREGISTERED);
        fw::TDropTargetRegistration moved(std::move(registration));
        EXPECT_FALSE(registration.Registered());
        EXPECT_TRUE(moved.Registered());
    }
    // Revoked with its owner: free again.
    EXPECT_EQ(RegisterDragDrop(form.Handle(), target.get()), S_OK);
    EXPECT_EQ(RevokeDragDrop(form.Handle()), S_OK);
}

TEST_F(DragDropTest, AWholeDragThroughOlesLoopReachesTheTargetUnderTheCursor) {
    fw::TForm form(nullptr);
    form.SetPosition(fw::poDesigned);
    form.SetBounds(100, 100, 300, 200);
    form.Show();
    fw::Application()->ProcessMessages();
    auto target = fw::TDropTarget::Create();
    fw::TDropTargetRegistration registration;
    ASSERT_EQ(registration.Register(form.Handle(), target.get()), S_OK);
    std::wstring dropped;
    target->OnDragEnter = [](IDataObject*, DWORD, POINT, DWORD& Effect) {
        Effect &= DROPEFFECT_COPY;
        return S_OK;
    };
    target->OnDragOver = [](DWORD, POINT, DWORD& Effect) {
        Effect &= DROPEFFECT_COPY;
        return S_OK;
    };
    target->OnDrop = [&](IDataObject* Data, DWORD, POINT, DWORD& Effect) {
        dropped = TextOf(Data);
        Effect &= DROPEFFECT_COPY;
        return S_OK;
    };
    RECT r{};
    GetWindowRect(form.Handle(), &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);

    // The scripted user: holds the button for a few rounds, then lets go; a watchdog cancels.
    auto source = fw::TDropSource::Create();
    int rounds = 0;
    source->OnQueryContinueDrag = [&](bool, DWORD) {
        ++rounds;
        if (rounds > 400) return DRAGDROP_S_CANCEL;
        return rounds < 5 ? S_OK : DRAGDROP_S_DROP;
    };
    auto data = TextData(L"payload");
    DWORD effect = 0;
    EXPECT_EQ(fw::RunDragDrop(data.get(), source.get(), DROPEFFECT_COPY | DROPEFFECT_MOVE, effect), DRAGDROP_S_DROP);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(dropped, L"payload");

    // Escape: cancelled, nothing dropped, no effect.
    dropped.clear();
    source->OnQueryContinueDrag = [](bool, DWORD) { return DRAGDROP_S_CANCEL; };
    EXPECT_EQ(fw::RunDragDrop(data.get(), source.get(), DROPEFFECT_COPY, effect), DRAGDROP_S_CANCEL);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(dropped, L"");
    registration.Revoke();
    target->Clear();
}

}  // namespace
