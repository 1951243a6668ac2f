#include "platform/ptr_vector.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
int items[16];

// The elements of `v` as indexes into `items`.
std::vector<int> Indexes(const PtrVector& v) {
    std::vector<int> out;
    for (int i = 0; i < v.size(); ++i) out.push_back(int(static_cast<int*>(v.at(i)) - items));
    return out;
}
}  // namespace

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

// Growing, shrinking back far below the capacity, and clearing reallocate the
// storage; the elements and their order survive each of them.
TEST(PtrVector, ElementsSurviveEveryReallocation) {
    PtrVector v(4);
    for (int i = 0; i < 15; ++i) v.append(&items[i]);
    for (int i = 0; i < 11; ++i) v.removeAt(i % 2 ? 0 : v.size() - 1);  // last, first, last, ...
    EXPECT_EQ(Indexes(v), (std::vector<int>{5, 6, 7, 8}));
    v.insert(2, &items[0]);
    EXPECT_EQ(Indexes(v), (std::vector<int>{5, 6, 0, 7, 8}));
    v.clear();
    EXPECT_EQ(v.size(), 0);
    v.append(&items[5]);
    EXPECT_EQ(Indexes(v), (std::vector<int>{5}));
}
