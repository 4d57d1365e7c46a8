#include "platform/threadpriority.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {
int niceOfThisThread() {
    return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
}
} // namespace

TEST(ThreadPriority, LowersTheCallingThreadAloneAndStopsAtTheLowest) {
    const int before = niceOfThisThread();
    int lowered = 0;
    int lowest = 0;
    std::thread([&] {
        platform::lowerThreadPriority(3);
        lowered = niceOfThisThread();
        platform::lowerThreadPriority(40);
        lowest = niceOfThisThread();
    }).join();
    EXPECT_EQ(lowered, std::min(before + 3, 19));
    EXPECT_EQ(lowest, 19);
    EXPECT_EQ(niceOfThisThread(), before);
}
