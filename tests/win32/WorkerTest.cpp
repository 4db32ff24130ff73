#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "platform/win32/Handle.h"
#include "platform/win32/Win32Worker.h"
#include "tests/win32/Win32TestSupport.h"

namespace tolvira::win32::test {
namespace {

// Lets this thread's messages through until the condition holds (or a generous limit).
template <typename Condition>
bool pumpUntil(Condition done) {
    for (int i = 0; i < 2000 && !done(); ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pumpMessages();
    }
    return done();
}

TEST(Worker, JobsRunOnTheirOwnThreadAndTheirFollowUpsComeBackInOrder) {
    Win32Worker worker;
    const DWORD self = GetCurrentThreadId();
    std::vector<DWORD> jobThreads(3);
    std::vector<int> followed;
    std::vector<DWORD> followUpThreads;
    for (int i = 0; i < 3; ++i) {
        worker.run([&, i] {
            jobThreads[i] = GetCurrentThreadId();
            return [&, i] {
                followed.push_back(i);
                followUpThreads.push_back(GetCurrentThreadId());
            };
        });
    }
    ASSERT_TRUE(pumpUntil([&] { return followed.size() == 3; }));
    EXPECT_EQ(followed, (std::vector<int>{0, 1, 2}));
    for (const DWORD thread : jobThreads) EXPECT_NE(thread, self);
    for (const DWORD thread : followUpThreads) EXPECT_EQ(thread, self);
}

TEST(Worker, AJobThatWaitsHoldsNeitherTheCallerNorItsMessages) {
    Win32Worker worker;
    const UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    bool followedUp = false;
    worker.run([&] {
        WaitForSingleObject(release.get(), INFINITE);
        return [&] { followedUp = true; };
    });
    // Here, with the job still waiting, the caller goes on.
    EXPECT_FALSE(followedUp);
    const TestWindow window(L"Tolvira worker test");
    PostMessageW(window.get(), WM_NULL, 0, 0);
    pumpMessages();
    SetEvent(release.get());
    EXPECT_TRUE(pumpUntil([&] { return followedUp; }));
}

}  // namespace
}  // namespace tolvira::win32::test
