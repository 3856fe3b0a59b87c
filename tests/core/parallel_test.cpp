#include "core/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace tarnel {
namespace {

TEST(Parallel, EveryTaskAndEveryRowRunsOnce) {
    for (int threads : {1, 2, 5})
        for (int count : {0, 1, 2, 7, 100}) {
            SCOPED_TRACE(testing::Message() << threads << " threads, " << count);
            const ThreadingForTest forced(threads, 0);
            std::vector<std::atomic<int>> runs(static_cast<std::size_t>(count) + 3);
            runTasks(count, 1, [&](int i) { ++runs[static_cast<std::size_t>(i)]; });
            for (int i = 0; i < count; ++i) ASSERT_EQ(runs[static_cast<std::size_t>(i)].exchange(0), 1) << i;
            // Rows 3 .. count + 2 in bands that meet end to end.
            parallelRows(3, count + 2, 1, [&](int top, int bottom) {
                ASSERT_LE(top, bottom);
                for (int y = top; y <= bottom; ++y) ++runs[static_cast<std::size_t>(y)];
            });
            for (int y = 0; y < count + 3; ++y) ASSERT_EQ(runs[static_cast<std::size_t>(y)], y >= 3 ? 1 : 0) << y;
        }
}

TEST(Parallel, SmallJobsStayOnTheCallingThreadAndErrorsReachTheCaller) {
    const ThreadingForTest forced(4, 1000);
    int order = 0;
    bool inOrder = true;
    runTasks(5, 999, [&](int i) { inOrder = inOrder && order++ == i; });  // a data race if it were threaded
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(order, 5);
    EXPECT_THROW(runTasks(50, 1000, [](int i) {
                     if (i == 17) throw std::runtime_error("task 17");
                 }),
                 std::runtime_error);
}

}  // namespace
}  // namespace tarnel
