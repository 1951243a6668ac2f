#include "platform/ptr_vector.h"

#include <gtest/gtest.h>

namespace {
int items[16];
}

TEST(PtrVector, GrowsByAddingOneThenDoubling) {
    PtrVector v;
    EXPECT_EQ(v.capacity(), 0);
    v.append(&items[0]);
    EXPECT_EQ(v.capacity(), 2);
    v.append(&items[1]);
    v.append(&items[2]);
    EXPECT_EQ(v.capacity(), 6);
    for (int i = 3; i < 7; ++i) v.append(&items[i]);
    EXPECT_EQ(v.capacity(), 14);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(v.at(i), &items[i]);
}

TEST(PtrVector, InsertRemoveAndSearch) {
    PtrVector v;
    v.append(&items[0]);
    v.append(&items[2]);
    EXPECT_TRUE(v.insert(1, &items[1]));
    EXPECT_TRUE(v.insert(3, &items[3]));
    EXPECT_FALSE(v.insert(5, &items[4]));
    EXPECT_FALSE(v.insert(-1, &items[4]));
    ASSERT_EQ(v.size(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(v.indexOf(&items[i]), i);
    v.append(&items[1]);
    EXPECT_TRUE(v.remove(&items[1]));  // the first occurrence only
    EXPECT_EQ(v.indexOf(&items[1]), 3);
    EXPECT_FALSE(v.remove(&items[9]));
    EXPECT_EQ(v.indexOf(&items[9]), -1);
    v.removeAt(7);  // outside: ignored
    v.removeAt(-1);
    EXPECT_EQ(v.size(), 4);
    EXPECT_EQ(v.at(4), nullptr);
}

TEST(PtrVector, ShrinksWhenFarBelowCapacity) {
    PtrVector v;
    for (int i = 0; i < 7; ++i) v.append(&items[i]);  // capacity 14
    v.removeAt(0);                                      // 7 > 14/2 - 1: moves down
    EXPECT_EQ(v.capacity(), 14);
    EXPECT_EQ(v.size(), 6);
    v.removeAt(0);  // 6 is not above 6: storage of the old size
    EXPECT_EQ(v.capacity(), 6);
    EXPECT_EQ(v.size(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(v.at(i), &items[i + 2]);
}

TEST(PtrVector, ClearReturnsToInitialCapacity) {
    PtrVector v(32);
    EXPECT_EQ(v.capacity(), 32);
    for (int i = 0; i < 40; ++i) v.append(&items[i % 16]);
    EXPECT_GT(v.capacity(), 32);
    v.clear();
    EXPECT_EQ(v.size(), 0);
    EXPECT_EQ(v.capacity(), 32);
    v.append(&items[0]);
    EXPECT_EQ(v.at(0), &items[0]);
}
