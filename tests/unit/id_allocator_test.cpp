#include <gtest/gtest.h>

#include <cstdint>

#include "framework/id_allocator.h"

namespace tovel {
namespace {

TEST(IdAllocatorTest, IdsGoRoundSkippingThoseInUseAndNeverComeBackEarly) {
    int a = 0;
    int b = 0;
    int c = 0;
    TIdAllocator<int> ids(4);
    EXPECT_EQ(ids.Allocate(&a), 1u);
    EXPECT_EQ(ids.Allocate(&b), 2u);
    ids.Release(1);
    EXPECT_EQ(ids.Allocate(&c), 3u) << "a freed id waits for the round to come back";
    EXPECT_EQ(ids.Allocate(&c), 4u);
    EXPECT_EQ(ids.Allocate(&a), 1u) << "past the largest, round again to a free 1";
    ids.Release(4);
    EXPECT_EQ(ids.Allocate(&c), 4u) << "past 2 and 3, still in use";
    ids.Release(2);
    EXPECT_EQ(ids.Allocate(&b), 2u) << "round again, past 1";
    EXPECT_EQ(ids.Find(1), &a);
    EXPECT_EQ(ids.Find(2), &b);
    EXPECT_EQ(ids.Find(3), &c);
    EXPECT_EQ(ids.Count(), 4u);
}

TEST(IdAllocatorTest, AFullRangeAnswersZeroUntilAnIdIsReleased) {
    int object = 0;
    TIdAllocator<int> ids(3);
    for (std::uint32_t expected = 1; expected <= 3; ++expected) {
        EXPECT_EQ(ids.Allocate(&object), expected);
    }
    EXPECT_EQ(ids.Allocate(&object), 0u) << "full";
    EXPECT_EQ(ids.Count(), 3u) << "nothing was stored under 0";
    ids.Release(2);
    EXPECT_EQ(ids.Allocate(&object), 2u);
    EXPECT_EQ(ids.Allocate(&object), 0u);

    TIdAllocator<int> none(0);
    EXPECT_EQ(none.Allocate(&object), 0u);
}

TEST(IdAllocatorTest, OnlyTheIdOfALiveObjectLeadsBackToIt) {
    int kept = 0;
    int gone = 0;
    TIdAllocator<int> ids;
    const std::uint32_t keptId = ids.Allocate(&kept);
    const std::uint32_t goneId = ids.Allocate(&gone);
    ids.Release(goneId);
    EXPECT_EQ(ids.Find(keptId), &kept);
    EXPECT_EQ(ids.Find(goneId), nullptr) << "released";
    EXPECT_EQ(ids.Find(0), nullptr);
    // The system may hand back a wider id whose low half is a live one.
    EXPECT_EQ(ids.Find(std::uintptr_t{keptId} + (std::uintptr_t{1} << 32)), nullptr);
    ids.Release(12345);  // an id never handed out: nothing happens
    EXPECT_EQ(ids.Find(keptId), &kept);
}

}  // namespace
}  // namespace tovel
