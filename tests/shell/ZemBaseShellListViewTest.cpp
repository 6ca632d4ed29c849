// The file list's images and check boxes: thumbnails shown as framed placeholders
// until their pictures come (a late picture for an image another row has taken is
// dropped), check boxes only with a shell link, toggled by click and space, and a
// shortcut's overlay.
#include <cstdlib>
#include <memory>
#include <set>

#include "framework/Bitmap.h"
#include "shell/ZemShellLink.h"
#include "tests/shell/FileListFixture.h"

using namespace shell;
using pooltest::PumpUntil;

namespace {

// The file list with its mouse and key handlers in reach.
class TTestFileList : public TZemFileList {
public:
    using TZemFileList::KeyUp;
    using TZemFileList::MouseDown;
    using TZemFileList::TZemFileList;
};

// The colour of a pixel of image Index of an image list.
COLORREF ImagePixel(fw::TCustomImageList* List, int Index, int X, int Y) {
    IMAGEINFO info{};
    if (!ImageList_GetImageInfo(List->Handle(), Index, &info)) return CLR_INVALID;
    BITMAP bm{};
    GetObjectW(info.hbmImage, sizeof(bm), &bm);
    BITMAPINFO header{};
    header.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels(size_t(bm.bmWidth) * size_t(bm.bmHeight));
    const fw::WindowDC screen(nullptr);
    GetDIBits(screen.get(), info.hbmImage, 0, UINT(bm.bmHeight), pixels.data(), &header, DIB_RGB_COLORS);
    const DWORD p = pixels[size_t(Y) * size_t(bm.bmWidth) + size_t(info.rcImage.left + X)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

// Colours the same but for rounding (the image list may store a step off).
bool Near(COLORREF A, COLORREF B) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((A >> shift) & 0xFF) - int((B >> shift) & 0xFF)) > 2) return false;
    return true;
}

class BaseShellListView : public filelisttest::TFileListTest<TTestFileList> {
protected:
    void SetUp() override {
        TFileListTest::SetUp();
        MakeList(L"baseview");
        for (const wchar_t* name : {L"\\a.txt", L"\\b.txt", L"\\c.txt"}) scratch::MakeFile(root + name, 10);
        list->SetCheckIfExists(false);
        Search(root);
        ASSERT_EQ(list->Items()->Count(), 3);
    }
    // Paints and pumps until every row is made ready and the work items are done.
    void Settle() {
        ASSERT_TRUE(PumpUntil([&] {
            fw::Application()->ProcessMessages();
            for (int i = 0; i < list->Items()->Count(); ++i)
                if (!list->Items()->Item(i)->Updated() || list->Items()->Item(i)->ImageIndex() < 0) return false;
            return filelisttest::PoolIdle();
        }));
    }
};

}  // namespace

TEST_F(BaseShellListView, ThumbnailsShowFramedPlaceholdersUntilTheirPicturesCome) {
    list->SetThumbnails(true);
    EXPECT_EQ(list->ViewStyle(), fw::vsIcon);
    EXPECT_EQ(list->LargeImages(), list->ThumbnailImages());
    Settle();
    // Wine has no thumbnail handler: the placeholders stay, one image per row.
    fw::TCustomImageList* images = list->ThumbnailImages();
    ASSERT_EQ(images->Count(), 3);
    std::set<int> indexes;
    for (int i = 0; i < 3; ++i) {
        const int index = list->Items()->Item(i)->ImageIndex();
        indexes.insert(index);
        EXPECT_TRUE(Near(ImagePixel(images, index, 0, 0), RGB(0xC0, 0xC0, 0xC0)));
        EXPECT_TRUE(Near(ImagePixel(images, index, 95, 95), RGB(0xC0, 0xC0, 0xC0)));
        EXPECT_TRUE(Near(ImagePixel(images, index, 1, 1), GetSysColor(COLOR_WINDOW)));
    }
    EXPECT_EQ(indexes.size(), 3u);

    // A picture smaller than the thumbnail comes framed at the thumbnail's size.
    TZemFileListItem* row = list->Items()->Item(0);
    auto picture = std::make_unique<fw::TBitmap>();
    picture->SetPixelFormat(fw::pf24bit);
    picture->SetSize(40, 30);
    picture->Canvas()->Brush()->SetColor(fw::clRed);
    picture->Canvas()->FillRect(RECT{0, 0, 40, 30});
    list->ThumbnailReady(std::move(picture), row->ImageIndex(), row);
    EXPECT_TRUE(Near(ImagePixel(images, row->ImageIndex(), 0, 0), RGB(0xC0, 0xC0, 0xC0)));
    EXPECT_TRUE(Near(ImagePixel(images, row->ImageIndex(), 5, 5), RGB(0xFF, 0, 0)));
    EXPECT_TRUE(Near(ImagePixel(images, row->ImageIndex(), 60, 60), GetSysColor(COLOR_WINDOW)));
    // A picture for another row's image is dropped.
    TZemFileListItem* other = list->Items()->Item(1);
    auto stray = std::make_unique<fw::TBitmap>();
    stray->SetPixelFormat(fw::pf24bit);
    stray->SetSize(96, 96);
    list->ThumbnailReady(std::move(stray), other->ImageIndex(), row);
    EXPECT_TRUE(Near(ImagePixel(images, other->ImageIndex(), 1, 1), GetSysColor(COLOR_WINDOW)));

    // Clearing the list empties the thumbnail images with it.
    list->Clear();
    EXPECT_EQ(images->Count(), 0);
    list->SetViewStyle(fw::vsReport);
    EXPECT_FALSE(list->Thumbnails());
}

TEST_F(BaseShellListView, CheckBoxesNeedAShellLinkAndToggleByClickAndSpace) {
    list->SetCheckboxes(true);
    EXPECT_FALSE(list->Checkboxes());
    EXPECT_EQ(list->StateImages(), nullptr);

    auto* link = new TZemShellLink(form);
    link->SelectionList()->SetCalculateSizes(false);
    list->SetShellLink(link);
    list->SetCheckboxes(true);
    ASSERT_TRUE(list->Checkboxes());
    ASSERT_NE(list->StateImages(), nullptr);
    EXPECT_EQ(list->StateImages()->Count(), 5);
    Settle();
    TZemFileListItem* row = list->Items()->Item(0);
    EXPECT_EQ(row->GetCheckState(), ssUnChecked);

    // A click left of the icon, on the row's check box, checks the path.
    const RECT icon = row->DisplayRect(fw::drIcon);
    list->MouseDown(fw::mbLeft, 0, icon.left - 8, icon.bottom - 4);
    EXPECT_EQ(row->GetCheckState(), ssChecked);
    EXPECT_GE(link->SelectionList()->Paths()->IndexOf(row->FullPath()), 0);
    // A click on the icon itself does not.
    list->MouseDown(fw::mbLeft, 0, icon.left + 4, icon.bottom - 4);
    EXPECT_EQ(row->GetCheckState(), ssChecked);

    // The space key toggles every selected row.
    list->SetSelected(row);
    WORD space = VK_SPACE;
    list->KeyUp(space, 0);
    EXPECT_EQ(row->GetCheckState(), ssUnChecked);

    list->SetCheckboxes(false);
    EXPECT_EQ(list->StateImages(), nullptr);
    list->SetShellLink(nullptr);
}

TEST_F(BaseShellListView, AShortcutsRowShowsTheShortcutOverlay) {
    ASSERT_TRUE(scratch::MakeShortcut(root + L"\\d.lnk", root + L"\\a.txt"));
    list->AddItem(root + L"\\d.lnk");
    list->SetShowOverlayIcons(true);
    Settle();
    ASSERT_TRUE(PumpUntil([&] { return list->FindItemByPath(root + L"\\d.lnk")->OverlayIndex() == 1; }));
    EXPECT_EQ(list->FindItemByPath(root + L"\\a.txt")->OverlayIndex(), -1);
    list->SetShowOverlayIcons(false);
    EXPECT_EQ(list->FindItemByPath(root + L"\\d.lnk")->OverlayIndex(), -1);
}
