#include "data/string_map.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::u16string_view AsText(StringMap::Key key) { return std::u16string_view(static_cast<const char16_t*>(key)); }

}  // namespace

StringMap::StringMap(int32_t keyMode) : keyMode_(keyMode) {
    buckets_.assign(size_t(bucketCount_), nullptr);
    threshold_ = int32_t(float(bucketCount_) * kLoadFactor);
}

StringMap::~StringMap() { freeEntries(); }

int32_t StringMap::HashString(std::u16string_view key) {
    const size_t length = std::min<size_t>(key.size(), 65535);
    uint32_t h = 0;
    for (size_t k = 1; k <= 32; ++k) {
        size_t index = k * length / 32;
        uint32_t c = index < key.size() ? key[index] : 0;
        h = h * 31u + c;
    }
    return int32_t(h);
}

int32_t StringMap::hashOf(Key key) const {
    if (stringKeys()) return HashString(AsText(key));
    return int32_t(uint32_t(reinterpret_cast<uintptr_t>(key)));
}

int32_t StringMap::bucketOf(int32_t hash) const {
    uint32_t magnitude = hash < 0 ? uint32_t(0) - uint32_t(hash) : uint32_t(hash);
    return int32_t(magnitude % uint32_t(bucketCount_));
}

bool StringMap::sameKey(const Entry& entry, Key key) const {
    if (entry.key == key) return true;
    return stringKeys() && AsText(entry.key) == AsText(key);
}

StringMap::Entry* StringMap::find(int32_t hash, Key key) const {
    for (Entry* e = buckets_[size_t(bucketOf(hash))]; e; e = e->next)
        if (e->hash == hash && sameKey(*e, key)) return e;
    return nullptr;
}

StringMap::Entry* StringMap::findText(int32_t hash, std::u16string_view key) const {
    for (Entry* e = buckets_[size_t(bucketOf(hash))]; e; e = e->next)
        if (e->hash == hash && AsText(e->key) == key) return e;
    return nullptr;
}

StringMap::Value StringMap::insert(Key key, Value value, bool overwrite) {
    if (!key) return nullptr;
    const int32_t hash = hashOf(key);
    while (true) {
        if (Entry* existing = find(hash, key)) {
            Value previous = existing->value;
            if (overwrite) existing->value = value;
            return previous;
        }
        if (count_ < threshold_) break;
        rehash(2 * bucketCount_ + 1);
    }
    Entry*& head = buckets_[size_t(bucketOf(hash))];
    head = new Entry{hash, key, value, head};
    ++count_;
    keyOrder_.push_back(key);
    return nullptr;
}

StringMap::Value StringMap::lookup(Key key) const {
    if (!key) return nullptr;
    Entry* e = find(hashOf(key), key);
    return e ? e->value : nullptr;
}

StringMap::Value StringMap::lookup(std::u16string_view key) const {
    if (!stringKeys()) return nullptr;
    Entry* e = findText(HashString(key), key);
    return e ? e->value : nullptr;
}

StringMap::Value StringMap::remove(Key key) {
    if (!key) return nullptr;
    const int32_t hash = hashOf(key);
    Entry** link = &buckets_[size_t(bucketOf(hash))];
    while (*link && !((*link)->hash == hash && sameKey(**link, key))) link = &(*link)->next;
    Entry* entry = *link;
    if (!entry) return nullptr;
    *link = entry->next;
    --count_;
    Value value = entry->value;
    Key storedKey = entry->key;
    delete entry;
    // Give memory back once the map has shrunk well below a smaller table's
    // threshold; 65 buckets is the floor (count > 24 can never meet 32 * 0.75).
    if (count_ > 24 && float(count_) < float((bucketCount_ - 1) / 2) * kLoadFactor) rehash((bucketCount_ - 1) / 2);
    forgetKey(storedKey);
    return value;
}

void StringMap::forgetKey(Key key) {
    auto it = std::find_if(keyOrder_.begin(), keyOrder_.end(), [&](Key k) {
        return stringKeys() ? AsText(k) == AsText(key) : k == key;
    });
    if (it != keyOrder_.end()) keyOrder_.erase(it);
}

void StringMap::clear() {
    if (count_ == 0) return;
    freeEntries();
    keyOrder_.clear();
    count_ = 0;
    bucketCount_ = kInitialBuckets;
    buckets_.assign(size_t(bucketCount_), nullptr);
    threshold_ = int32_t(float(bucketCount_) * kLoadFactor);
}

void StringMap::rehash(int32_t newBucketCount) {
    std::vector<Entry*> old(size_t(newBucketCount), nullptr);
    old.swap(buckets_);
    bucketCount_ = newBucketCount;
    threshold_ = int32_t(float(bucketCount_) * kLoadFactor);
    for (size_t b = old.size(); b-- > 0;) {
        for (Entry* e = old[b]; e;) {
            Entry* next = e->next;
            Entry*& head = buckets_[size_t(bucketOf(e->hash))];
            e->next = head;
            head = e;
            e = next;
        }
    }
}

void StringMap::freeEntries() {
    for (Entry*& head : buckets_) {
        while (head) {
            Entry* next = head->next;
            delete head;
            head = next;
        }
    }
}
