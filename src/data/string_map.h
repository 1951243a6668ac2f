#pragma once
// StringMap: a chained hash map that remembers the order its keys were first
// inserted. It never copies or frees keys or values; whoever inserts them owns
// them. Keys are either zero-terminated UTF-16 strings compared by content
// (kStringKeys) or opaque pointers compared by identity (any other mode).
//
// The layout is part of the file format's behaviour that other code relies
// on: 65 buckets to start, a load factor of 0.75, growth to 2n + 1 buckets and
// a hash that samples 32 characters of the key.

#include <cstdint>
#include <string_view>
#include <vector>

class StringMap {
public:
    using Key = const void*;
    using Value = void*;

    static constexpr int32_t kStringKeys = 1;
    static constexpr int32_t kPointerKeys = 0;
    static constexpr int32_t kInitialBuckets = 65;
    static constexpr float kLoadFactor = 0.75f;

    explicit StringMap(int32_t keyMode = kStringKeys);
    ~StringMap();
    StringMap(const StringMap&) = delete;
    StringMap& operator=(const StringMap&) = delete;

    // Returns the previous value when the key exists (replacing it only when
    // `overwrite`), else stores the pair and returns null. A null key is
    // ignored. In string mode the key must stay alive and unchanged while it
    // is in the map.
    Value insert(Key key, Value value, bool overwrite);
    Value lookup(Key key) const;
    // String mode only: looks a key up by content without a terminated copy.
    Value lookup(std::u16string_view key) const;
    // Returns the removed value, or null when the key is absent.
    Value remove(Key key);
    void clear();

    // Keys in insertion order.
    const std::vector<Key>& keys() const { return keyOrder_; }
    int32_t count() const { return count_; }
    int32_t keyMode() const { return keyMode_; }
    int32_t bucketCount() const { return bucketCount_; }
    int32_t threshold() const { return threshold_; }

    // The 32-sample string hash: h = h * 31 + key[k * len / 32] for k = 1..32,
    // where len is capped at 65535 and index len reads as the terminating zero.
    static int32_t HashString(std::u16string_view key);

private:
    struct Entry {
        int32_t hash;
        Key key;
        Value value;
        Entry* next;
    };

    bool stringKeys() const { return keyMode_ == kStringKeys; }
    int32_t hashOf(Key key) const;
    bool sameKey(const Entry& entry, Key key) const;
    Entry* find(int32_t hash, Key key) const;
    Entry* findText(int32_t hash, std::u16string_view key) const;
    int32_t bucketOf(int32_t hash) const;
    void rehash(int32_t newBucketCount);
    void freeEntries();
    void forgetKey(Key key);

    int32_t count_ = 0;
    std::vector<Entry*> buckets_;
    std::vector<Key> keyOrder_;
    int32_t keyMode_;
    int32_t bucketCount_ = kInitialBuckets;
    int32_t threshold_ = 0;
};
