#include "common/thread_check.h"

#include <gtest/gtest.h>

#include "common/test_images.h"
#include "core/parallel.h"

namespace tarnel::test {

void expectThreadsMatchOneThread(const std::function<Image(Image)>& op, int depth) {
    constexpr struct {
        int width, height;
    } kSizes[] = {{1, 1}, {1, 37}, {37, 1}, {2, 3}, {31, 17}, {101, 67}};
    for (const auto& size : kSizes) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        const Image source = photoLikeImage(size.width, size.height, depth, 7);
        Image one, three;
        {
            const ThreadingForTest threads(1, 0);
            one = op(source);
        }
        {
            const ThreadingForTest threads(3, 0);
            three = op(source);
        }
        ASSERT_EQ(one.width(), three.width());
        ASSERT_EQ(one.height(), three.height());
        EXPECT_TRUE(one == three);
    }
}

}  // namespace tarnel::test
