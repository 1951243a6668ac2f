#pragma once
// A growable array of pointers that does not own what they point to. It grows
// by (capacity + 1) * 2 and gives memory back when it shrinks far below its
// capacity, which keeps the many small lists of the program small.

#include <cstdint>
#include <cstdlib>
#include <cstring>

class PtrVector {
public:
    explicit PtrVector(int initialCapacity = 0);
    ~PtrVector();
    PtrVector(const PtrVector&) = delete;
    PtrVector& operator=(const PtrVector&) = delete;

    void append(void* element);
    // Index from 0 to size; false outside.
    bool insert(int index, void* element);
    // Ignored outside 0 to size - 1.
    void removeAt(int index);
    // Removes the first occurrence; false when absent.
    bool remove(void* element);
    int indexOf(const void* element) const;
    bool contains(const void* element) const { return indexOf(element) >= 0; }
    void* at(int index) const { return index >= 0 && index < size_ ? data_[index] : nullptr; }
    template <typename T>
    T* get(int index) const {
        return static_cast<T*>(at(index));
    }
    void clear();

    int size() const { return size_; }
    int capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }

private:
    void reallocate(int capacity);
    void growIfFull();

    void** data_ = nullptr;
    int size_ = 0;
    int capacity_ = 0;
    int initialCapacity_ = 0;
    int growthAdd_ = 1;
    int growthMul_ = 2;
};
