// The main window's listing: start-up, the listing options, sorting, a request
// while a search runs, stop and double clicks; the status bar's hints and links.
#include <algorithm>

#include "framework/Hints.h"
#include "tests/app/MainWindowFixture.h"

namespace mainwin {
namespace {

using Names = std::vector<std::wstring>;

Names Sorted(Names rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

const std::wstring kUnicode = L"\u0416\u0443\u043a \u2713.txt";

// A folder large enough that a search is still running when the test acts.
const std::wstring& BigFolder() {
    static const std::wstring big = [] {
        const std::wstring folder = testenv::NewScratchFolder(L"big");
        for (int i = 0; i < 3000; ++i) {
            const std::wstring name = folder + L"\\file" + std::to_wstring(i) + L".txt";
            CloseHandle(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
        return folder;
    }();
    return big;
}

class ListingTest : public MainWindowFixture {
protected:
    // Handles only the window's own busy notice, so no search hit is handed over meanwhile.
    void ShowBusy() {
        MSG m;
        while (PeekMessageW(&m, form->Handle(), CM_SHOWLISTINGBUSY, CM_SHOWLISTINGBUSY, PM_REMOVE))
            DispatchMessageW(&m);
    }
    // A screen point in the middle of status panel Index.
    POINT OnPanel(int Index) {
        return form->StatusBar1->ClientToScreen(POINT{Index * 120 + 60, form->StatusBar1->Height() / 2});
    }
};

TEST_F(ListingTest, StartUpListsTheStartFolderAfterTheFirstShow) {
    EXPECT_EQ(form->ListingFolder(), ScratchListing());
    EXPECT_EQ(Sorted(Rows()),
              Sorted({L"alpha.txt", L"beta.dll", L"Gamma 10.txt", L"gamma 2.csv", kUnicode, L"sub", L"empty"}));
    EXPECT_EQ(Status(), L"Items: 7");
    EXPECT_FALSE(form->StopSearchButton->Enabled());
    EXPECT_FALSE(form->MyGrid->Visible());
    // The boxes took the list's own column captions.
    EXPECT_EQ(form->cbSize->Caption(), form->ZFL->Columns()->Items(2)->Caption());
    EXPECT_EQ(form->ZFL->Columns()->Items(1)->Width(), 0);  // "Location" unchecked
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ListingTest, EveryListingOptionRestartsTheListing) {
    form->edMask->SetText(L"*.txt");
    form->SearchSubfoldes->SetChecked(true);
    form->cbHidden->SetChecked(true);
    WaitIdle();
    EXPECT_EQ(Sorted(Rows()), Sorted({L"alpha.txt", L"Gamma 10.txt", kUnicode, L"secret.txt", L"sub\\delta.txt",
                                      L"sub\\deeper\\epsilon.txt", L"hiddendir\\phi.txt"}));
    EXPECT_EQ(Status(), L"Items: 7");
    form->edMask->SetText(L"*");
    form->SearchSubfoldes->SetChecked(false);
    form->SearchFilesOnly->SetChecked(true);
    WaitIdle();
    EXPECT_EQ(Sorted(Rows()),
              Sorted({L"alpha.txt", L"beta.dll", L"Gamma 10.txt", L"gamma 2.csv", kUnicode, L"secret.txt"}));
    form->edMask->SetText(L"nothing*.xyz");
    WaitIdle();
    EXPECT_EQ(Status(), L"Items: 0");
}

TEST_F(ListingTest, TheListEndsSortedInTheChosenDirection) {
    form->SearchFilesOnly->SetChecked(true);
    WaitIdle();
    const Names ascending = {L"alpha.txt", L"beta.dll", L"gamma 2.csv", L"Gamma 10.txt", kUnicode};
    EXPECT_EQ(Rows(), ascending);  // natural order: 2 before 10
    form->btnDescend->SetChecked(true);
    WaitIdle();
    EXPECT_EQ(Rows(), Names(ascending.rbegin(), ascending.rend()));
    // The same column sorted again after the next search stays descending.
    form->gpSort->SetItemIndex(0);
    form->RefreshFileList(form->gpSort);
    WaitIdle();
    EXPECT_EQ(Rows(), Names(ascending.rbegin(), ascending.rend()));
    // Without sorting the list keeps the order of the search.
    form->cbSort->SetChecked(false);
    form->btnAscend->SetChecked(true);
    WaitIdle();
    EXPECT_EQ(Sorted(Rows()), Sorted(ascending));
}

TEST_F(ListingTest, ARequestDuringASearchEndsWithOneSearch) {
    form->SetListingFolder(BigFolder());
    ShowBusy();
    ASSERT_TRUE(form->StopSearchButton->Enabled());
    fw::CheckSynchronize();
    const int before = ends;
    form->edMask->SetText(L"file1*");  // the second request while the first runs
    ShowBusy();
    // The old search's end came first: the window is busy with the new one.
    EXPECT_TRUE(form->StopSearchButton->Enabled());
    EXPECT_EQ(fw::Screen()->Cursor(), fw::crAppStart);
    WaitIdle();
    EXPECT_EQ(ends - before, 2);
    EXPECT_EQ(Status(), L"Items: 1111");  // file1, file10-19, file100-199, file1000-1999
    EXPECT_EQ(fw::Screen()->Cursor(), fw::crDefault);
    // The window can go while a search runs.
    form->SetListingFolder(ScratchListing());
    form->SetListingFolder(BigFolder());
    delete form;
    form = nullptr;
    fw::CheckSynchronize();
}

TEST_F(ListingTest, ARequestThatStartsNoSearchStillEnds) {
    // No combo box entry and no text: nothing is searched, and the window is not left busy.
    form->ZFC->OnChange = nullptr;
    form->ZFC->SetItemIndex(-1);
    ASSERT_TRUE(form->ZFC->GetEditText().empty());
    form->RefreshFileList(form->edMask);
    EXPECT_FALSE(form->StopSearchButton->Enabled());
    EXPECT_EQ(fw::Screen()->Cursor(), fw::crDefault);
    EXPECT_EQ(Status(), L"Items: 0");
}

TEST_F(ListingTest, StopEndsTheSearchAndDoubleClicksOpenFolders) {
    form->StopSearchButton->Click();
    EXPECT_FALSE(form->StopSearchButton->Enabled());
    auto select = [&](const std::wstring& name) {
        for (int i = 0; i < form->ZFL->Items()->Count(); ++i)
            if (form->ZFL->Items()->Item(i)->FullPath() == ScratchListing() + L"\\" + name)
                form->ZFL->SetSelected(form->ZFL->Items()->Item(i));
    };
    select(L"alpha.txt");
    form->ZFLDblClick(form->ZFL);
    EXPECT_EQ(form->ListingFolder(), ScratchListing());
    select(L"sub");
    form->ZFLDblClick(form->ZFL);
    WaitIdle();
    EXPECT_EQ(Sorted(Rows()), Sorted({L"sub\\delta.txt", L"sub\\deeper"}));
    // Attributes that cannot be read make no folder.
    EXPECT_FALSE(IsDirectory(ScratchListing() + L"\\no such folder"));
    EXPECT_TRUE(IsDirectory(ScratchListing() + L"\\empty"));
}

TEST_F(ListingTest, StatusPanelsGiveHintsAndOpenTheContactLinks) {
    const Names hints = {L"Items displayed", L"Double Click to Email: tabulorin@brenmoor.example",
                         L"Double Click to Open Website"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(fw::ActivateHint(OnPanel(i))) << i;
        EXPECT_EQ(fw::ShownHintText(), hints[size_t(i)]);
        const POINT p = OnPanel(i);
        SetCursorPos(p.x, p.y);
        form->StatusBar1DblClick(form->StatusBar1);
    }
    fw::CancelHint();
    EXPECT_FALSE(fw::ActivateHint(form->StatusBar1->ClientToScreen(POINT{400, 5})));
    EXPECT_EQ(opened,
              (Names{L"mailto:tabulorin@brenmoor.example?subject=Tabulorin", L"https://brenmoor.example/tabulorin"}));
}

}  // namespace
}  // namespace mainwin
