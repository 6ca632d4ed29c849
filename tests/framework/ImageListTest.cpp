// Image lists: adding, masking, replacing and deleting images, shared handles
// (the shell's system list is used this way) and drawing.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "framework/Exception.h"
#include "framework/ImageList.h"

namespace {

using fw::TBitmap;
using fw::TImageList;

// A square of Fill with a one-pixel Border all round.
std::unique_ptr<TBitmap> Square(int w, int h, fw::TColor border, fw::TColor fill) {
    auto b = std::make_unique<TBitmap>(w, h);
    b->Canvas()->Brush()->SetColor(border);
    b->Canvas()->FillRect(RECT{0, 0, w, h});
    b->Canvas()->Brush()->SetColor(fill);
    b->Canvas()->FillRect(RECT{1, 1, w - 1, h - 1});
    return b;
}

// Draws image Index of the list on a red background and returns the picture.
std::unique_ptr<TBitmap> Drawn(TImageList& list, int index, bool enabled = true) {
    auto target = Square(list.Width(), list.Height(), fw::clRed, fw::clRed);
    list.Draw(target->Canvas(), 0, 0, index, enabled);
    return target;
}

TEST(ImageLists, AddCountsOneImagePerWidthAndChangesAreAnnounced) {
    TImageList list(nullptr);
    int changes = 0;
    list.OnChange = [&](fw::TObject*) { ++changes; };
    EXPECT_FALSE(list.HandleAllocated());
    EXPECT_EQ(list.Add(nullptr, nullptr), -1);
    EXPECT_EQ(list.Add(Square(16, 16, fw::clBlack, fw::clWhite).get(), nullptr), 0);
    EXPECT_EQ(list.Add(Square(32, 16, fw::clBlack, fw::clWhite).get(), nullptr), 1);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(changes, 2);
    list.SetSize(8, 8);
    EXPECT_EQ(list.Count(), 0);  // a new size empties the list
    EXPECT_EQ(changes, 3);
}

TEST(ImageLists, AddMaskedLetsTheBackgroundThroughWhereTheMaskColourWas) {
    TImageList list(nullptr);
    list.SetDrawingStyle(fw::dsTransparent);
    auto image = Square(16, 16, fw::clLime, fw::clBlue);  // lime border = see-through
    auto picture = Drawn(list, list.AddMasked(image.get(), fw::clLime));
    EXPECT_EQ(picture->Canvas()->Pixels(0, 0), fw::clRed);
    EXPECT_EQ(picture->Canvas()->Pixels(8, 8), fw::clBlue);
    EXPECT_EQ(image->Canvas()->Pixels(0, 0), fw::clLime);  // the caller's bitmap is untouched
    // The default mask colour is the bottom-left pixel's.
    picture = Drawn(list, list.AddMasked(Square(16, 16, fw::clYellow, fw::clBlue).get(), fw::clDefault));
    EXPECT_EQ(picture->Canvas()->Pixels(15, 15), fw::clRed);
    EXPECT_EQ(picture->Canvas()->Pixels(5, 5), fw::clBlue);
}

TEST(ImageLists, ReplaceDeleteClearAndDisabledDrawing) {
    TImageList list(nullptr);
    list.Add(Square(16, 16, fw::clBlack, fw::clWhite).get(), nullptr);
    list.Add(Square(16, 16, fw::clBlack, fw::clWhite).get(), nullptr);
    list.ReplaceMasked(1, Square(16, 16, fw::clBlack, fw::clGreen).get(), fw::clNone);
    EXPECT_EQ(Drawn(list, 1)->Canvas()->Pixels(8, 8), fw::clGreen);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(Drawn(list, 0)->Canvas()->Pixels(8, 8), fw::clGreen);
    EXPECT_NE(Drawn(list, 0, false)->Canvas()->Pixels(8, 8), fw::clGreen);  // disabled: drawn differently
    EXPECT_THROW(list.Delete(5), fw::EInvalidOperation);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(ImageLists, SharedHandleIsUsedButNeverDestroyed) {
    HIMAGELIST system = ImageList_Create(24, 20, ILC_COLOR32 | ILC_MASK, 1, 1);
    auto image = Square(24, 20, fw::clBlack, fw::clWhite);
    ImageList_Add(system, image->Handle(), nullptr);
    {
        TImageList list(nullptr);
        list.SetShareImages(true);
        list.SetHandle(system);
        EXPECT_EQ(list.Width(), 24);
        EXPECT_EQ(list.Height(), 20);
        EXPECT_EQ(list.Count(), 1);
        list.SetSize(16, 16);  // lets the shared list go instead of emptying it
        EXPECT_FALSE(list.HandleAllocated());
        list.SetHandle(system);
    }
    EXPECT_EQ(ImageList_GetImageCount(system), 1);
    ImageList_Destroy(system);
}

TEST(ImageLists, AssignCopiesIntoAHandleOfItsOwn) {
    TImageList source(nullptr);
    source.SetSize(20, 20);
    source.Add(Square(20, 20, fw::clBlack, fw::clWhite).get(), nullptr);
    TImageList copy(nullptr);
    copy.Assign(&source);
    EXPECT_EQ(copy.Width(), 20);
    EXPECT_EQ(copy.Count(), 1);
    EXPECT_NE(copy.Handle(), source.Handle());
    source.Clear();
    EXPECT_EQ(copy.Count(), 1);
}

}  // namespace
