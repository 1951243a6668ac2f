// StringMap: the sampled hash, growth and shrink rules, insertion order and
// both key modes.

#include "data/string_map.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Keys that stay alive for the map's lifetime, as the map requires.
class KeyStore {
public:
    const char16_t* add(std::u16string key) {
        keys_.push_back(std::make_unique<std::u16string>(std::move(key)));
        return keys_.back()->c_str();
    }
    const char16_t* numbered(int i) { return add(u"key" + std::u16string(1, char16_t(u'A' + i % 26)) + Digits(i)); }

private:
    static std::u16string Digits(int i) {
        std::u16string digits;
        do {
            digits.insert(digits.begin(), char16_t(u'0' + i % 10));
            i /= 10;
        } while (i);
        return digits;
    }
    std::vector<std::unique_ptr<std::u16string>> keys_;
};

void* Word(uintptr_t value) { return reinterpret_cast<void*>(value); }

TEST(StringMapHash, MatchesTheThirtyTwoSampleFormula) {
    // Golden values computed separately from the formula.
    EXPECT_EQ(StringMap::HashString(u""), 0);
    EXPECT_EQ(StringMap::HashString(u"a"), -474938977);
    EXPECT_EQ(StringMap::HashString(u"Cover"), 1776306602);
    EXPECT_EQ(StringMap::HashString(u"abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ__"), 712357478);
}

TEST(StringMapHash, OnlySampledCharactersCount) {
    // A 64-character key is sampled at even indices 2..62 and the terminator.
    std::u16string a(64, u'x'), b(64, u'x');
    b[1] = u'y';   // never sampled
    b[63] = u'z';  // never sampled
    EXPECT_EQ(StringMap::HashString(a), StringMap::HashString(b));
    b[2] = u'y';
    EXPECT_NE(StringMap::HashString(a), StringMap::HashString(b));

    // Longer keys are sampled as if they had 65535 characters: the last
    // sample is index 65535, never 65536.
    std::u16string longA(70000, u'x'), longB = longA, longC = longA;
    longB[65535] = u'y';
    longC[65536] = u'y';
    EXPECT_NE(StringMap::HashString(longA), StringMap::HashString(longB));
    EXPECT_EQ(StringMap::HashString(longA), StringMap::HashString(longC));
}

TEST(StringMapHash, CollidingKeysStayDistinct) {
    std::u16string a(64, u'x'), b(64, u'x');
    b[1] = u'y';
    StringMap map;
    map.insert(a.c_str(), Word(1), false);
    map.insert(b.c_str(), Word(2), false);
    EXPECT_EQ(map.count(), 2);
    EXPECT_EQ(map.lookup(a.c_str()), Word(1));
    EXPECT_EQ(map.lookup(std::u16string_view(b)), Word(2));
    // Removing either one leaves the other, whichever comes first in its bucket.
    for (const std::u16string* gone : {&a, &b}) {
        StringMap pair;
        pair.insert(a.c_str(), Word(1), false);
        pair.insert(b.c_str(), Word(2), false);
        EXPECT_EQ(pair.remove(gone->c_str()), gone == &a ? Word(1) : Word(2));
        EXPECT_EQ(pair.lookup(gone->c_str()), nullptr);
        EXPECT_EQ(pair.lookup(gone == &a ? b.c_str() : a.c_str()), gone == &a ? Word(2) : Word(1));
    }
}

TEST(StringMap, InsertReportsAndOptionallyReplacesTheOldValue) {
    StringMap map;
    std::u16string key = u"speed", sameContent = u"speed";
    EXPECT_EQ(map.insert(key.c_str(), Word(1), false), nullptr);
    EXPECT_EQ(map.insert(sameContent.c_str(), Word(2), false), Word(1));
    EXPECT_EQ(map.lookup(key.c_str()), Word(1));
    EXPECT_EQ(map.insert(sameContent.c_str(), Word(3), true), Word(1));
    EXPECT_EQ(map.lookup(u"speed"), Word(3));
    EXPECT_EQ(map.count(), 1);
    // The map keeps the key it was first given.
    ASSERT_EQ(map.keys().size(), 1u);
    EXPECT_EQ(map.keys()[0], key.c_str());
}

TEST(StringMap, NullKeyIsIgnored) {
    StringMap map;
    EXPECT_EQ(map.insert(nullptr, Word(1), true), nullptr);
    EXPECT_EQ(map.count(), 0);
    EXPECT_EQ(map.lookup(StringMap::Key(nullptr)), nullptr);
    EXPECT_EQ(map.remove(nullptr), nullptr);
}

TEST(StringMap, KeysKeepInsertionOrderAcrossGrowth) {
    KeyStore store;
    StringMap map;
    std::vector<const char16_t*> inserted;
    for (int i = 0; i < 300; ++i) {
        inserted.push_back(store.numbered(i));
        map.insert(inserted.back(), Word(uintptr_t(i + 1)), false);
    }
    ASSERT_EQ(map.keys().size(), inserted.size());
    for (size_t i = 0; i < inserted.size(); ++i) {
        EXPECT_EQ(map.keys()[i], inserted[i]) << i;
        EXPECT_EQ(map.lookup(inserted[i]), Word(i + 1)) << i;
    }
}

TEST(StringMap, FortyNinthInsertionGrowsTo131Buckets) {
    KeyStore store;
    StringMap map;
    EXPECT_EQ(map.bucketCount(), 65);
    EXPECT_EQ(map.threshold(), 48);
    for (int i = 0; i < 48; ++i) map.insert(store.numbered(i), Word(1), false);
    EXPECT_EQ(map.bucketCount(), 65);
    map.insert(store.numbered(48), Word(1), false);
    EXPECT_EQ(map.bucketCount(), 131);
    EXPECT_EQ(map.threshold(), 98);
    EXPECT_EQ(map.count(), 49);
}

TEST(StringMap, RemoveShrinksBackAndKeepsTheRestReachable) {
    KeyStore store;
    StringMap map;
    std::vector<const char16_t*> keys;
    for (int i = 0; i < 49; ++i) {
        keys.push_back(store.numbered(i));
        map.insert(keys.back(), Word(uintptr_t(i + 1)), false);
    }
    ASSERT_EQ(map.bucketCount(), 131);
    // 48 left: above 24 and below 65 * 0.75, so the table halves to 65.
    std::u16string copy = keys[10];
    EXPECT_EQ(map.remove(copy.c_str()), Word(11));
    EXPECT_EQ(map.bucketCount(), 65);
    EXPECT_EQ(map.count(), 48);
    EXPECT_EQ(map.lookup(keys[10]), nullptr);
    ASSERT_EQ(map.keys().size(), 48u);
    EXPECT_EQ(map.keys()[10], keys[11]);
    for (int i = 0; i < 49; ++i) {
        if (i == 10) continue;
        EXPECT_EQ(map.lookup(keys[size_t(i)]), Word(uintptr_t(i + 1))) << i;
    }
    // 65 buckets never shrink further.
    for (int i = 0; i < 49; ++i) map.remove(keys[size_t(i)]);
    EXPECT_EQ(map.count(), 0);
    EXPECT_EQ(map.bucketCount(), 65);
    EXPECT_TRUE(map.keys().empty());
}

TEST(StringMap, RemoveOfMissingKeyChangesNothing) {
    StringMap map;
    map.insert(u"a", Word(1), false);
    EXPECT_EQ(map.remove(u"b"), nullptr);
    EXPECT_EQ(map.count(), 1);
    EXPECT_EQ(map.keys().size(), 1u);
}

TEST(StringMap, ClearStartsOverWith65Buckets) {
    KeyStore store;
    StringMap map;
    for (int i = 0; i < 200; ++i) map.insert(store.numbered(i), Word(1), false);
    ASSERT_GT(map.bucketCount(), 65);
    map.clear();
    EXPECT_EQ(map.count(), 0);
    EXPECT_EQ(map.bucketCount(), 65);
    EXPECT_EQ(map.threshold(), 48);
    EXPECT_TRUE(map.keys().empty());
    EXPECT_EQ(map.lookup(u"keyA0"), nullptr);
    map.insert(u"again", Word(7), false);
    EXPECT_EQ(map.lookup(u"again"), Word(7));
}

TEST(StringMap, PointerModeComparesIdentityNotContent) {
    std::u16string a = u"same", b = u"same";
    StringMap map(StringMap::kPointerKeys);
    EXPECT_EQ(map.insert(a.c_str(), Word(1), false), nullptr);
    EXPECT_EQ(map.insert(b.c_str(), Word(2), false), nullptr);
    EXPECT_EQ(map.count(), 2);
    EXPECT_EQ(map.lookup(a.c_str()), Word(1));
    EXPECT_EQ(map.lookup(b.c_str()), Word(2));
    EXPECT_EQ(map.lookup(std::u16string_view(u"same")), nullptr);
    EXPECT_EQ(map.remove(b.c_str()), Word(2));
    ASSERT_EQ(map.keys().size(), 1u);
    EXPECT_EQ(map.keys()[0], a.c_str());
}

TEST(StringMap, PointerModeSurvivesGrowthAndShrink) {
    std::vector<int> objects(1000);
    StringMap map(StringMap::kPointerKeys);
    for (int& object : objects) map.insert(&object, &object, false);
    EXPECT_EQ(map.count(), 1000);
    for (int& object : objects) EXPECT_EQ(map.lookup(&object), &object);
    for (size_t i = 0; i < objects.size(); i += 2) EXPECT_EQ(map.remove(&objects[i]), &objects[i]);
    EXPECT_EQ(map.count(), 500);
    for (size_t i = 0; i < objects.size(); ++i)
        EXPECT_EQ(map.lookup(&objects[i]), i % 2 ? &objects[i] : nullptr) << i;
}

}  // namespace
