// The system image list and the icon lookups with their fallbacks.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "framework/Bitmap.h"
#include "framework/Filer.h"
#include "framework/Streams.h"
#include "framework/Forms.h"
#include "framework/ListView.h"
#include "framework/TreeView.h"
#include "shell/PathUtils.h"
#include "shell/ZemSystemImageList.h"
#include "tests/common/PlacedForm.h"
#include "tests/shell/ScratchTree.h"

using namespace shell;

namespace {

// A file type of the test's own with an icon of its own, so its index differs
// from the one every unknown type gets.
struct TRegisteredType {
    TRegisteredType() {
        const wchar_t type[] = L"H3bType.File", icon[] = L"shell32.dll,3";
        RegSetKeyValueW(HKEY_CLASSES_ROOT, L".h3btype", nullptr, REG_SZ, type, sizeof(type));
        RegSetKeyValueW(HKEY_CLASSES_ROOT, L"H3bType.File\\DefaultIcon", nullptr, REG_SZ, icon, sizeof(icon));
    }
    ~TRegisteredType() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L".h3btype");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"H3bType.File");
    }
};

}  // namespace

TEST(SystemImageList, AnOwnCopyLeavesTheSharedSystemListIntact) {
    HIMAGELIST system;
    int systemCount;
    {
        TZemSystemImageList shared(nullptr);
        system = shared.Handle();
        systemCount = ImageList_GetImageCount(system);
        TZemSystemImageList own(nullptr);
        own.SetShareImages(false);
        EXPECT_NE(own.Handle(), system);
        EXPECT_EQ(own.Count(), systemCount);
        // The copy keeps the list's own settings.
        EXPECT_EQ(own.DrawingStyle(), fw::dsTransparent);
        own.SetDrawingStyle(fw::dsSelected);
        own.SetSize(si_large);
        EXPECT_EQ(own.DrawingStyle(), fw::dsSelected);
        EXPECT_EQ(own.Width(), 32);
    }
    EXPECT_EQ(ImageList_GetImageCount(system), systemCount);
    TZemSystemImageList again(nullptr);
    EXPECT_EQ(again.Handle(), system);
}

TEST(SystemImageList, AMissingFileGetsItsTypesIconAnUnresolvableShareTheFolders) {
    TRegisteredType type;
    const std::wstring root = testenv::NewScratchFolder(L"icons");
    const int typeIcon = TZemSystemImageList::GetIconIndexOfType(L".h3btype", si_small, false);
    EXPECT_GT(typeIcon, 0);
    EXPECT_EQ(TZemSystemImageList::GetIconIndexOfType(L"h3btype", si_small, false), typeIcon);
    EXPECT_EQ(TZemSystemImageList::GetIconIndexByPath(root + L"\\missing.h3btype", si_small, false), typeIcon);
    const int folder = TZemSystemImageList::GetFolderIconIndex(false);
    EXPECT_GE(folder, 0);
    EXPECT_EQ(TZemSystemImageList::GetIconIndexByName(L"\\\\nosuchserver\\share", si_small, false), folder);
    EXPECT_EQ(TZemSystemImageList::GetIconIndexByName(L"C:\\some\\folder\\", si_small, false), folder);
    EXPECT_EQ(TZemSystemImageList::GetIconIndexByName(L"\\\\nosuchserver\\share\\dir\\file.txt", si_small, false),
              TZemSystemImageList::GetIconIndexOfType(L".txt", si_small, false));
    EXPECT_EQ(TZemSystemImageList::GetIconIndexByPath(testenv::NewScratchFolder(L"icons"), si_small, false), folder);
}

TEST(SystemImageList, ItsBackgroundIsWhiteWithoutTouchingTheSystemsAndAnIconBitmapIsCentredOnItsFill) {
    HIMAGELIST system;
    {
        TZemSystemImageList probe(nullptr);
        system = probe.Handle();
    }
    const COLORREF systemBackground = ImageList_GetBkColor(system);
    TZemSystemImageList list(nullptr);
    EXPECT_EQ(list.BkColor(), fw::TColor(0xFFFFFF));
    EXPECT_EQ(ImageList_GetBkColor(system), systemBackground);
    TZemSystemImageList own(nullptr);
    own.SetShareImages(false);
    EXPECT_EQ(own.BkColor(), fw::TColor(0xFFFFFF));

    // A red 16 x 16 image, centred on a blue 33 x 24 fill: offsets 8 and 4 (truncated).
    fw::TImageList images(nullptr);
    images.SetSize(16, 16);
    fw::TBitmap red;
    red.SetSize(16, 16);
    red.Canvas()->Brush()->SetColor(fw::clRed);
    const RECT all{0, 0, 16, 16};
    red.Canvas()->FillRect(all);
    ASSERT_EQ(images.Add(&red, nullptr), 0);
    std::unique_ptr<fw::TBitmap> bitmap(
        TZemSystemImageList::MakeIconBitmap(&images, 33, 24, fw::clBlue, fw::clWhite, 0));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->PixelFormat(), fw::pf32bit);  // Wine reports a version after Vista
    const fw::TPixels32 pixels = fw::ReadPixels32(bitmap->Handle());
    ASSERT_EQ(pixels.Width, 33);
    ASSERT_EQ(pixels.Height, 24);
    const auto rgb = [&](int X, int Y) { return pixels.At(X, Y) & 0xFFFFFF; };
    EXPECT_EQ(rgb(0, 0), 0x0000FFu);
    EXPECT_EQ(rgb(7, 4), 0x0000FFu);
    EXPECT_EQ(rgb(8, 4), 0xFF0000u);
    EXPECT_EQ(rgb(23, 19), 0xFF0000u);
    EXPECT_EQ(rgb(24, 19), 0x0000FFu);
    EXPECT_EQ(rgb(23, 20), 0x0000FFu);

    // An alpha list starts empty on a 32-bit handle of its own.
    HIMAGELIST before = images.Handle();
    TZemSystemImageList::MakeAlphaImageList(&images);
    EXPECT_NE(images.Handle(), before);
    EXPECT_EQ(images.Count(), 0);
    EXPECT_EQ(images.Width(), 16);
    TZemSystemImageList::MakeAlphaImageList(nullptr);
}

TEST(SystemImageList, ExplorerStylesAreTheListsOwnRowSelectionAndTheTreesOwnLines) {
    fw::TForm* form = testenv::NewPlacedForm(0, 0, 200, 200);
    auto* list = new fw::TListView(form);
    list->SetParent(form);
    ApplyExplorerListStyle(list);
    EXPECT_TRUE(list->RowSelect());
    list->RecreateWnd();
    list->HandleNeeded();
    EXPECT_NE(SendMessageW(list->Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT, 0);
    auto* tree = new fw::TTreeView(form);
    tree->SetParent(form);
    tree->SetShowLines(true);
    ApplyExplorerTreeStyle(tree);
    EXPECT_FALSE(tree->ShowLines());
    tree->RecreateWnd();
    tree->HandleNeeded();
    EXPECT_EQ(GetWindowLongPtrW(tree->Handle(), GWL_STYLE) & TVS_HASLINES, 0);
    delete form;
}

TEST(SystemImageList, StreamedItKeepsItsSettingsAndTakesTheSystemsHandleAgain) {
    HIMAGELIST large;
    {
        TZemSystemImageList probe(nullptr);
        probe.SetSize(si_large);
        large = probe.Handle();
    }
    fw::TComponent form(nullptr);
    form.SetName(L"Form1");
    auto* images = new TZemSystemImageList(&form);
    images->SetName(L"Images");
    images->SetSize(si_large);
    images->SetShareImages(false);
    images->SetBkColor(fw::clNone);
    HIMAGELIST own = images->Handle();
    fw::TMemoryStream stream;
    fw::TWriter(&stream).WriteRootComponent(&form);
    EXPECT_EQ(images->Handle(), own);  // put back after writing, still its own
    EXPECT_FALSE(images->ShareImages());
    // A plain list writes nothing but its name.
    fw::TComponent plainForm(nullptr);
    plainForm.SetName(L"Form1");
    (new TZemSystemImageList(&plainForm))->SetName(L"Images");
    fw::TMemoryStream plain;
    fw::TWriter(&plain).WriteRootComponent(&plainForm);
    EXPECT_LT(plain.Size(), stream.Size());

    fw::TComponent copy(nullptr);
    auto* read = new TZemSystemImageList(&copy);
    read->SetName(L"Images");
    HIMAGELIST small = read->Handle();
    stream.SetPosition(0);
    fw::TReader(&stream).ReadRootComponent(&copy);
    EXPECT_EQ(read->Size(), si_large);
    EXPECT_FALSE(read->ShareImages());
    EXPECT_EQ(read->BkColor(), fw::clNone);
    EXPECT_EQ(read->Width(), 32);
    EXPECT_NE(read->Handle(), large);  // a copy of its own
    EXPECT_NE(read->Handle(), small);
    EXPECT_EQ(ImageList_GetImageCount(read->Handle()), ImageList_GetImageCount(large));
}
