#include "platform/ptr_vector.h"

#include <algorithm>
#include <new>

PtrVector::PtrVector(int initialCapacity) : initialCapacity_(std::max(0, initialCapacity)) {
    if (initialCapacity_ > 0) reallocate(initialCapacity_);
}

PtrVector::~PtrVector() { std::free(data_); }

void PtrVector::reallocate(int capacity) {
    if (capacity == 0) {
        std::free(data_);
        data_ = nullptr;
        capacity_ = 0;
        return;
    }
    auto** fresh = static_cast<void**>(std::malloc(sizeof(void*) * size_t(capacity)));
    if (!fresh) throw std::bad_alloc();
    if (data_) std::memcpy(fresh, data_, sizeof(void*) * size_t(std::min(size_, capacity)));
    std::free(data_);
    data_ = fresh;
    capacity_ = capacity;
}

void PtrVector::growIfFull() {
    if (size_ == capacity_) reallocate((capacity_ + growthAdd_) * growthMul_);
}

void PtrVector::append(void* element) {
    growIfFull();
    data_[size_++] = element;
}

bool PtrVector::insert(int index, void* element) {
    if (index < 0 || index > size_) return false;
    growIfFull();
    std::memmove(data_ + index + 1, data_ + index, sizeof(void*) * size_t(size_ - index));
    data_[index] = element;
    ++size_;
    return true;
}

void PtrVector::removeAt(int index) {
    if (index < 0 || index >= size_) return;
    if (size_ > capacity_ / growthMul_ - growthAdd_) {
        std::memmove(data_ + index, data_ + index + 1, sizeof(void*) * size_t(size_ - index - 1));
        --size_;
        return;
    }
    // Far below capacity: copy the survivors into storage of the old size.
    void** old = data_;
    int oldSize = size_;
    data_ = static_cast<void**>(std::malloc(sizeof(void*) * size_t(oldSize)));
    if (!data_) throw std::bad_alloc();
    std::memcpy(data_, old, sizeof(void*) * size_t(index));
    std::memcpy(data_ + index, old + index + 1, sizeof(void*) * size_t(oldSize - index - 1));
    std::free(old);
    capacity_ = oldSize;
    size_ = oldSize - 1;
}

bool PtrVector::remove(void* element) {
    int index = indexOf(element);
    if (index < 0) return false;
    removeAt(index);
    return true;
}

int PtrVector::indexOf(const void* element) const {
    for (int i = 0; i < size_; ++i)
        if (data_[i] == element) return i;
    return -1;
}

void PtrVector::clear() {
    size_ = 0;
    if (capacity_ > initialCapacity_) reallocate(initialCapacity_);
}
