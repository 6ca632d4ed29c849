// The selection list's walks through deep trees (over its own stack, so a small
// thread stack is enough), and its count of folder sums still on their way: the
// totals shown once it reaches 0 are final.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Exception.h"
#include "framework/Handles.h"
#include "shell/ShellLibrary.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemSelectionList.h"
#include "shell/ZemStack.h"
#include "tests/shell/ScratchTree.h"
#include "tests/shell/ThreadPoolTestUtil.h"
#include "tests/shell/ZemSelectionListFixture.h"

using namespace shell;
using scratch::MakeFile;
using scratch::MakeFolder;

namespace {

struct Totals {
    int64_t size;
    int files, folders;
    bool operator==(const Totals& o) const { return size == o.size && files == o.files && folders == o.folders; }
};

std::ostream& operator<<(std::ostream& Out, const Totals& T) {
    return Out << T.size << " bytes, " << T.files << " files, " << T.folders << " folders";
}

constexpr size_t kPainted = 768 * 1024;
constexpr unsigned char kPaint = 0xA5;

// Paints the stack below the caller's frame; returns the lowest address painted.
__attribute__((noinline)) uintptr_t PaintStack() {
    auto* area = static_cast<unsigned char*>(__builtin_alloca(kPainted));
    std::memset(area, kPaint, kPainted);
    asm volatile("" : : "r"(area) : "memory");
    return reinterpret_cast<uintptr_t>(area);
}

// How much of a fresh thread's stack Work takes at the most: the stack below is
// painted first, and the deepest byte Work changed tells. What Work throws is
// thrown again here.
size_t StackTakenBy(std::function<void()> Work) {
    struct TContext {
        std::function<void()> work;
        std::exception_ptr error;
        size_t taken = 0;
    } context{std::move(Work), nullptr};
    const auto body = [](LPVOID Context) -> DWORD {
        auto* c = static_cast<TContext*>(Context);
        const auto* painted = reinterpret_cast<volatile const unsigned char*>(PaintStack());
        try {
            c->work();
        } catch (...) {
            c->error = std::current_exception();
        }
        size_t untouched = 0;
        while (untouched < kPainted && painted[untouched] == kPaint) ++untouched;
        c->taken = kPainted - untouched;
        return 0;
    };
    // The program's default stack (2 MiB) is well above what is painted.
    const fw::Handle thread(CreateThread(nullptr, 0, body, &context, 0, nullptr));
    EXPECT_TRUE(thread);
    if (!thread) return kPainted;
    EXPECT_EQ(WaitForSingleObject(thread.get(), 120000), WAIT_OBJECT_0);
    if (context.error) std::rethrow_exception(context.error);
    return context.taken;
}

class SelectionListWalks : public SelectionListFixture {
protected:
    void SetUp() override {
        SelectionListFixture::SetUp();
        MakeFolder(data + L"\\sub2");
        MakeFile(data + L"\\sub2\\d.txt", 40);
    }
    Totals Shown() const { return {list->TotalSize(), list->TotalFiles(), list->TotalFolders()}; }
    struct TWalk {
        std::wstring top, deepest;
        Names others;  // the files above the deepest one
        Names expanded, climbed;
        Totals afterUncheck{};
        bool coveredWithoutDeepest = true, coveredWithAll = false;
        size_t stack = 0;
    };
    // A tree Levels deep below a new folder Name, each level holding the next
    // level "d" and a file "f", with its top checked. On a thread of its own the
    // deepest file is unchecked (every level between gets its own entries), the
    // top tested, the file checked again (the climb goes back to the top), and the
    // top tested once more with every file entered by hand.
    TWalk Walk(const std::wstring& Name, int Levels) {
        TWalk w;
        w.top = MakeFolder(root + L"\\" + Name);
        std::wstring bottom = w.top;
        for (int i = 0; i < Levels; ++i) {
            if (i > 0) w.others.push_back(bottom + L"\\f");
            bottom += L"\\d";
            EXPECT_TRUE(CreateDirectoryW((L"\\\\?\\" + bottom).c_str(), nullptr)) << i;
            MakeFile(L"\\\\?\\" + bottom + L"\\f", 1);
        }
        std::sort(w.others.begin(), w.others.end());
        w.deepest = bottom + L"\\f";
        list->Clear();
        list->Check(w.top);
        PumpUntilNothingPending();
        w.stack = StackTakenBy([&] {
            list->Uncheck(w.deepest);
            w.expanded = Paths();
            w.afterUncheck = Shown();
            w.coveredWithoutDeepest = list->AllChildrenChecked(w.top);
            list->Check(w.deepest);
            w.climbed = Paths();
            list->Paths()->Clear();
            for (const std::wstring& entry : w.expanded) list->Paths()->Add(entry);
            list->Paths()->Add(w.deepest);
            w.coveredWithAll = list->AllChildrenChecked(w.top);
            list->Clear();
            list->Check(w.top);
        });
        return w;
    }
    // Serves the sums' deliveries until the list counts none on its way.
    void PumpUntilNothingPending() {
        ASSERT_TRUE(pooltest::PumpUntil([this] { return list->PendingSums() == 0; }));
    }
};

}  // namespace

TEST_F(SelectionListWalks, ADeepTreeIsExpandedClimbedAndTestedOnNoMoreStackThanAShallowOne) {
    const TWalk shallow = Walk(L"shallow", 2);
    PumpUntilNothingPending();
    const TWalk deep = Walk(L"deep", 200);
    EXPECT_EQ(deep.expanded, deep.others);
    EXPECT_EQ(deep.afterUncheck, (Totals{199, 199, 0}));
    EXPECT_FALSE(deep.coveredWithoutDeepest);
    EXPECT_EQ(deep.climbed, Names{deep.top + L"\\*"});
    EXPECT_TRUE(deep.coveredWithAll);
    PumpUntilNothingPending();
    EXPECT_EQ(Paths(), Names{deep.top + L"\\*"});
    EXPECT_EQ(Shown(), (Totals{200, 200, 201}));
    // A walk that went down by recursion would take about a kilobyte more a level.
    EXPECT_EQ(shallow.expanded, shallow.others);
    EXPECT_LT(deep.stack, shallow.stack + 32 * 1024) << shallow.stack;
}

TEST_F(SelectionListWalks, TotalsShownOnceNothingIsPendingAreFinalAfterStormsOfChecks) {
    const std::wstring a = data + L"\\a.txt", sub = data + L"\\sub", sub2 = data + L"\\sub2";
    list->Check(data);
    list->Uncheck(sub);
    // One sum adds Data, one takes sub back; nothing is delivered until served.
    EXPECT_EQ(list->PendingAdditions(), 1);
    EXPECT_EQ(list->PendingSubtractions(), 1);
    PumpUntilNothingPending();
    EXPECT_EQ(Shown(), (Totals{70, 3, 1}));

    // Each round ends with Data's single entry, every fifth with an empty list; now
    // and then some of the sums are served half-way.
    for (int round = 0; round < 23; ++round) {
        list->Check(data);
        list->Uncheck(a);
        list->Uncheck(sub);
        list->Check(a);
        list->Check(sub);  // climbs back to Data
        if (round % 5 == 4) list->Uncheck(data);
        if (round % 7 == 6) pooltest::PumpFor(20);
    }
    list->Uncheck(sub);
    EXPECT_GT(list->PendingSums(), 0);
    PumpUntilNothingPending();
    // Read at the moment the count reached 0, before the pool has drained.
    const Totals shown = Shown();
    EXPECT_EQ(Paths(), (Names{a, data + L"\\b.txt", sub2 + L"\\*"}));
    EXPECT_EQ(shown, (Totals{70, 3, 1}));
    ASSERT_TRUE(pooltest::PumpUntil([] { return GlobalWorkerPool->PendingCount() == 0; }));
    EXPECT_EQ(Shown(), shown);
}

TEST_F(SelectionListWalks, ClearingOrEmptyingThePathsDropsTheSumsOnTheirWay) {
    list->Check(data);
    EXPECT_EQ(list->PendingSums(), 1);
    list->Clear();
    EXPECT_EQ(list->PendingSums(), 0);
    // Emptied through the paths themselves: nothing checked, nothing on its way.
    list->Check(data);
    int pendingSeen = -1;
    list->OnChange = [&](fw::TObject*) { pendingSeen = list->PendingSums(); };
    list->Paths()->Clear();
    EXPECT_EQ(pendingSeen, 0);
    EXPECT_EQ(Shown(), (Totals{0, 0, 0}));
    // The sum of Data, had it gone on, would land on the new selection.
    list->Check(data + L"\\a.txt");
    ASSERT_TRUE(pooltest::PumpUntil([] { return GlobalWorkerPool->PendingCount() == 0; }));
    EXPECT_EQ(Shown(), (Totals{10, 1, 0}));
}

TEST(ZemStack, PopAndPeekOnAnEmptyStackRaise) {
    TZemStack stack;
    EXPECT_THROW(stack.Peek(), fw::EListError);
    stack.Push(L"a");
    EXPECT_EQ(stack.Pop(), L"a");
    EXPECT_THROW(stack.Pop(), fw::EListError);
}
