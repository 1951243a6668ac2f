// StringMap: the sampled hash, growth and shrink rules, insertion order and
// both key modes.

#include "data/string_map.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

void* Word(uintptr_t value) { return reinterpret_cast<void*>(value); }

TEST(StringMapHash, SamplesThirtyTwoCharactersOfAtMost65535) {
    // Golden values computed separately from the formula.
    EXPECT_EQ(StringMap::HashString(u""), 0);
    EXPECT_EQ(StringMap::HashString(u"a"), -474938977);
    EXPECT_EQ(StringMap::HashString(u"Cover"), 1776306602);
    EXPECT_EQ(StringMap::HashString(u"abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ__"), 712357478);
    // A 64-character key is sampled at even indices 2..62 and the terminator.
    std::u16string a(64, u'x'), b(64, u'x');
    b[1] = u'y';
    b[63] = u'z';
    EXPECT_EQ(StringMap::HashString(a), StringMap::HashString(b));
    b[2] = u'y';
    EXPECT_NE(StringMap::HashString(a), StringMap::HashString(b));
    // Longer keys are sampled as if they had 65535 characters.
    std::u16string longA(70000, u'x'), longB = longA, longC = longA;
    longB[65535] = u'y';
    longC[65536] = u'y';
    EXPECT_NE(StringMap::HashString(longA), StringMap::HashString(longB));
    EXPECT_EQ(StringMap::HashString(longA), StringMap::HashString(longC));
}

TEST(StringMapHash, CollidingKeysStayDistinct) {
    std::u16string a(64, u'x'), b(64, u'x');
    b[1] = u'y';
    // Removing either one leaves the other, whichever comes first in its bucket.
    for (const std::u16string* gone : {&a, &b}) {
        StringMap pair;
        pair.insert(a.c_str(), Word(1), false);
        pair.insert(b.c_str(), Word(2), false);
        EXPECT_EQ(pair.count(), 2);
        EXPECT_EQ(std::pair(pair.lookup(std::u16string_view(a)), pair.lookup(std::u16string_view(b))),
                  std::pair(Word(1), Word(2)));
        EXPECT_EQ(pair.remove(gone->c_str()), gone == &a ? Word(1) : Word(2));
        EXPECT_EQ(pair.lookup(gone->c_str()), nullptr);
        EXPECT_EQ(pair.lookup(gone == &a ? b.c_str() : a.c_str()), gone == &a ? Word(2) : Word(1));
    }
}

TEST(StringMap, InsertReplacesOnlyWhenAskedAndIgnoresNullAndMissingKeys) {
    StringMap map;
    std::u16string key = u"speed", sameContent = u"speed";
    EXPECT_EQ(map.insert(key.c_str(), Word(1), false), nullptr);
    EXPECT_EQ(map.insert(sameContent.c_str(), Word(2), false), Word(1));
    EXPECT_EQ(map.lookup(key.c_str()), Word(1));
    EXPECT_EQ(map.insert(sameContent.c_str(), Word(3), true), Word(1));
    EXPECT_EQ(map.lookup(u"speed"), Word(3));
    // The map keeps the key it was first given.
    ASSERT_EQ(map.keys().size(), 1u);
    EXPECT_EQ(map.keys()[0], key.c_str());
    EXPECT_EQ(map.insert(nullptr, Word(1), true), nullptr);
    EXPECT_EQ(map.lookup(StringMap::Key(nullptr)), nullptr);
    EXPECT_EQ(map.remove(nullptr), nullptr);
    EXPECT_EQ(map.remove(u"b"), nullptr);
    EXPECT_EQ(map.count(), 1);
    EXPECT_EQ(map.keys().size(), 1u);
}

TEST(StringMap, GrowsAt49ShrinksBackAndClearsKeepingInsertionOrder) {
    std::vector<std::u16string> store;
    for (int i = 0; i < 300; ++i) {
        store.push_back(u"key" + std::u16string(1, char16_t(u'A' + i % 26)));
        for (char digit : std::to_string(i)) store.back() += char16_t(digit);
    }
    StringMap map;
    EXPECT_EQ(map.bucketCount(), 65);
    EXPECT_EQ(map.threshold(), 48);
    for (int i = 0; i < 49; ++i) {
        EXPECT_EQ(map.bucketCount(), 65) << i;
        map.insert(store[size_t(i)].c_str(), Word(uintptr_t(i + 1)), false);
    }
    EXPECT_EQ(map.bucketCount(), 131);
    EXPECT_EQ(map.threshold(), 98);
    // 48 left: above 24 and below 65 * 0.75, so the table halves to 65.
    std::u16string copy = store[10];
    EXPECT_EQ(map.remove(copy.c_str()), Word(11));
    EXPECT_EQ(map.bucketCount(), 65);
    EXPECT_EQ(map.count(), 48);
    ASSERT_EQ(map.keys().size(), 48u);
    EXPECT_EQ(map.keys()[9], store[9].c_str()) << "only the removed key leaves the order";
    EXPECT_EQ(map.keys()[10], store[11].c_str());
    for (int i = 0; i < 49; ++i)
        EXPECT_EQ(map.lookup(store[size_t(i)].c_str()), i == 10 ? nullptr : Word(uintptr_t(i + 1))) << i;
    // 65 buckets never shrink further.
    for (int i = 0; i < 49; ++i) map.remove(store[size_t(i)].c_str());
    EXPECT_EQ(map.count(), 0);
    EXPECT_EQ(map.bucketCount(), 65);
    EXPECT_TRUE(map.keys().empty());

    for (int i = 0; i < 300; ++i) map.insert(store[size_t(i)].c_str(), Word(uintptr_t(i + 1)), false);
    ASSERT_EQ(map.keys().size(), store.size());
    for (size_t i = 0; i < store.size(); ++i) {
        EXPECT_EQ(map.keys()[i], store[i].c_str()) << i;
        EXPECT_EQ(map.lookup(store[i].c_str()), Word(i + 1)) << i;
    }
    map.clear();
    EXPECT_EQ(map.count(), 0);
    EXPECT_EQ(map.bucketCount(), 65);
    EXPECT_EQ(map.threshold(), 48);
    EXPECT_TRUE(map.keys().empty());
    EXPECT_EQ(map.lookup(store[0].c_str()), nullptr);
    map.insert(u"again", Word(7), false);
    EXPECT_EQ(map.lookup(u"again"), Word(7));
}

TEST(StringMap, PointerModeComparesIdentityThroughGrowthAndShrink) {
    std::u16string a = u"same", b = u"same";
    StringMap map(StringMap::kPointerKeys);
    EXPECT_EQ(map.insert(a.c_str(), Word(1), false), nullptr);
    EXPECT_EQ(map.insert(b.c_str(), Word(2), false), nullptr);
    EXPECT_EQ(map.lookup(a.c_str()), Word(1));
    EXPECT_EQ(map.lookup(std::u16string_view(u"same")), nullptr);
    EXPECT_EQ(map.remove(b.c_str()), Word(2));
    ASSERT_EQ(map.keys().size(), 1u);
    EXPECT_EQ(map.keys()[0], a.c_str());
    std::vector<int> objects(1000);
    for (int& object : objects) map.insert(&object, &object, false);
    EXPECT_EQ(map.count(), 1001);
    for (size_t i = 0; i < objects.size(); i += 2) EXPECT_EQ(map.remove(&objects[i]), &objects[i]);
    EXPECT_EQ(map.count(), 501);
    for (size_t i = 0; i < objects.size(); ++i)
        EXPECT_EQ(map.lookup(&objects[i]), i % 2 ? &objects[i] : nullptr) << i;
}

}  // namespace
