// The change notifier: the event table, filter and repeat rules, first-in first-out
// delivery, registration only while enabled, nothing delivered once it has gone.
#include <gtest/gtest.h>

#include <atomic>

#include "shell/PathUtils.h"
#include "shell/Pidl.h"
#include "shell/ThreadPool.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemSelectionList.h"
#include "shell/ZemShellChangeNotifier.h"
#include "tests/shell/ScratchTree.h"
#include "tests/shell/ThreadPoolTestUtil.h"

using namespace shell;

namespace {

class ChangeNotifier : public testing::Test {
protected:
    void SetUp() override {
        root = testenv::NewScratchFolder(L"notify");
        scratch::MakeFile(root + L"\\a.txt");
        scratch::MakeFile(root + L"\\b.txt");
        notifier = std::make_unique<TZemShellChangeNotifier>(nullptr);
        notifier->OnChange = [this](fw::TObject*, TNotificationEvent Event, const std::wstring& P1,
                                    const std::wstring&) {
            seen.push_back({Event, P1});
        };
    }
    void Notice(LONG ShellEvent, const std::wstring& Path) {
        notifier->HandleNotification(ShellEvent, fw::PidlPtr(PathToPidl(nullptr, Path)).get(), nullptr);
    }
    bool WaitFor(size_t Count) {
        return pooltest::PumpUntil([&] { return seen.size() >= Count && GlobalWorkerPool->PendingCount() == 0; });
    }

    using Seen = std::pair<TNotificationEvent, std::wstring>;
    std::wstring root;
    std::vector<Seen> seen;
    std::unique_ptr<TZemShellChangeNotifier> notifier;
};

}  // namespace

TEST_F(ChangeNotifier, NoticesTranslateArriveInOrderPassRepeatsOnceAndDropFilteredOrDisabledOnes) {
    EXPECT_EQ(EventOfShellEvent(SHCNE_DELETE), neFileDelete);
    EXPECT_EQ(EventOfShellEvent(SHCNE_RENAMEFOLDER), neFolderRename);
    EXPECT_EQ(EventOfShellEvent(SHCNE_INTERRUPT | SHCNE_UPDATEDIR), neFolderUpdate);
    EXPECT_EQ(EventOfShellEvent(0x00100000), neUnknown);
    EXPECT_EQ(ShellEventMask(AllKnownEvents) & 0x7FFFFFFF, 0x0807FFFF);
    const LONG del = ShellEventOf(neFileDelete), create = ShellEventOf(neFileCreate);
    Notice(del, root + L"\\a.txt");  // still disabled
    notifier->SetEnabled(true);
    const auto name = [&](int i) { return root + L"\\n" + std::to_wstring(i) + L".txt"; };
    // Notices name objects that exist: a path that cannot be parsed has no item-ID list.
    for (int i = 0; i < 20; ++i) scratch::MakeFile(name(i));
    for (int i = 0; i < 20; ++i) Notice(i % 2 ? del : create, name(i));
    Notice(del, root + L"\\a.txt");
    Notice(del, root + L"\\a.txt");  // a repeat within the interval
    notifier->SetEventFilter(EventBit(neFileCreate));
    Notice(del, root + L"\\b.txt");
    Notice(create, root + L"\\b.txt");
    ASSERT_TRUE(WaitFor(22));
    ASSERT_EQ(seen.size(), 22u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(seen[size_t(i)], (Seen{i % 2 ? neFileDelete : neFileCreate, name(i)}));
    EXPECT_EQ(seen[20], (Seen{neFileDelete, root + L"\\a.txt"}));
    EXPECT_EQ(seen[21], (Seen{neFileCreate, root + L"\\b.txt"}));
}

TEST_F(ChangeNotifier, RegistersOnlyWhileEnabledAndDeliversNothingOnceGone) {
    notifier->Directories()->Add(root);
    EXPECT_EQ(notifier->Directories()->RegistrationId(root), 0u);
    notifier->SetEnabled(true);
    EXPECT_NE(notifier->Directories()->RegistrationId(root), 0u);
    // An explicit shell notice reaches the window (Wine sends nothing for real changes).
    std::vector<TNotificationEvent> direct;
    notifier->OnChangeIDList = [&](fw::TObject*, TNotificationEvent Event, LPCITEMIDLIST, LPCITEMIDLIST) {
        direct.push_back(Event);
    };
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, (root + L"\\b.txt").c_str(), nullptr);
    pooltest::PumpUntil([&] { return !direct.empty(); }, 5000);
    EXPECT_EQ(direct, (std::vector<TNotificationEvent>{neFileCreate}));
    notifier->SetEnabled(false);
    EXPECT_EQ(notifier->Directories()->RegistrationId(root), 0u);
    // Notices still on their way when the notifier goes are never delivered.
    notifier->SetEnabled(true);
    // The main thread does not pump here, so the delivery cannot have run yet.
    Notice(ShellEventOf(neFileCreate), root + L"\\b.txt");
    notifier.reset();
    ASSERT_TRUE(pooltest::PumpUntil([] { return GlobalWorkerPool->PendingCount() == 0; }));
    EXPECT_TRUE(seen.empty());
}

TEST_F(ChangeNotifier, WithNothingToWatchItWatchesTheDrivesFolderUntilAFolderIsAdded) {
    notifier->SetRecursive(false);
    notifier->SetEnabled(true);
    // The empty path stands for the drives folder, watched with everything below it.
    ASSERT_EQ(notifier->Directories()->Count(), 1);
    EXPECT_EQ(notifier->Directories()->Strings(0), L"");
    EXPECT_TRUE(notifier->Recursive());
    notifier->Directories()->Add(root);
    ASSERT_EQ(notifier->Directories()->Count(), 1);
    EXPECT_TRUE(SamePath(notifier->Directories()->Strings(0), root));
    EXPECT_NE(notifier->Directories()->RegistrationId(root), 0u);
}

TEST_F(ChangeNotifier, WhileItsPropertiesAreSetNothingIsRegisteredUntilTheSetUpEnds) {
    notifier->Directories()->Add(root);
    notifier->BeginLoading();
    notifier->SetEnabled(true);
    EXPECT_EQ(notifier->Directories()->RegistrationId(root), 0u);
    notifier->EndLoading();
    EXPECT_NE(notifier->Directories()->RegistrationId(root), 0u);
}

TEST_F(ChangeNotifier, AThreadNotifyingTheShellCanEndWhileTheMainThreadWaitsForIt) {
    notifier->Directories()->Add(root);
    notifier->SetEnabled(true);
    std::atomic<bool> endedNormally{false}, started{false};
    {
        TThreadPool pool;
        pool.SetStopTimeout(3000);
        const std::wstring path = root + L"\\b.txt";
        auto* thread = new pooltest::TTestThread([path, &started](pooltest::TTestThread*) {
            started = true;
            SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, path.c_str(), nullptr);
        });
        thread->EndedNormally = &endedNormally;
        pool.AddThread(thread);
        ASSERT_TRUE(pooltest::WaitUntil([&] { return started.load(); }));
        // Waits without a message loop of its own: the shell's notice still gets its answer.
        pool.StopAll(true);
    }
    EXPECT_TRUE(endedNormally);
    ASSERT_TRUE(WaitFor(1));
    EXPECT_EQ(seen.front(), (Seen{neFileCreate, root + L"\\b.txt"}));
}

TEST_F(ChangeNotifier, FolderChoosersSeeItThroughTheirWatchInterface) {
    TZemNotifierFolderWatch watch(notifier.get());
    std::vector<LONG> notices;
    watch.SetOnNotice([&](LONG Event, LPCITEMIDLIST, LPCITEMIDLIST) { notices.push_back(Event); });
    watch.SetWatchedEvents(SHCNE_DRIVEADD | SHCNE_CREATE);
    watch.AddWatchedPath(root);
    watch.SetWatchEnabled(true);
    EXPECT_TRUE(notifier->Enabled());
    EXPECT_EQ(notifier->EventFilter(), EventBit(neDriveAdd) | EventBit(neFileCreate));
    Notice(SHCNE_DELETE, root + L"\\a.txt");
    Notice(SHCNE_CREATE, root + L"\\a.txt");
    EXPECT_EQ(notices, (std::vector<LONG>{SHCNE_CREATE}));
}
