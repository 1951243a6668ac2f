#pragma once
// Bounded reads from a byte buffer, internal to the sound subsystem. Every read
// past the end yields 0 and marks the reader as overrun, so parsers of untrusted
// files check once at the end of a stage instead of before every field.

#include <cstddef>
#include <cstdint>

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t position() const { return position_; }
    size_t size() const { return size_; }
    size_t remaining() const { return position_ < size_ ? size_ - position_ : 0; }
    bool overrun() const { return overrun_; }
    const uint8_t* here() const { return data_ + (position_ < size_ ? position_ : size_); }

    void seek(size_t position) {
        if (position > size_) {
            overrun_ = true;
            position = size_;
        }
        position_ = position;
    }
    void skip(size_t count) { seek(count > remaining() ? size_ + 1 : position_ + count); }

    uint8_t u8() {
        if (remaining() < 1) return fail();
        return data_[position_++];
    }
    uint16_t u16le() {
        if (remaining() < 2) return fail();
        uint16_t v = uint16_t(data_[position_] | (data_[position_ + 1] << 8));
        position_ += 2;
        return v;
    }
    uint16_t u16be() {
        if (remaining() < 2) return fail();
        uint16_t v = uint16_t((data_[position_] << 8) | data_[position_ + 1]);
        position_ += 2;
        return v;
    }
    uint32_t u32le() {
        uint32_t lo = u16le();
        uint32_t hi = u16le();
        return lo | (hi << 16);
    }
    int16_t s16le() { return int16_t(u16le()); }

private:
    uint8_t fail() {
        overrun_ = true;
        position_ = size_;
        return 0;
    }

    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
    bool overrun_ = false;
};
