// A growable in-memory byte stream with a read/write position, the one stream
// type of the skin decoding core (package bytes, decoded content, members).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvane {

class MemoryStream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    MemoryStream(const void* data, size_t size)
        : bytes_(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size) {}

    size_t Size() const { return bytes_.size(); }
    size_t Position() const { return position_; }
    // Positions past the end are allowed; the next write fills the gap with zeros.
    void Seek(size_t position) { position_ = position; }
    size_t Remaining() const { return position_ < bytes_.size() ? bytes_.size() - position_ : 0; }

    // Copies up to count bytes from the position and advances; returns the number copied.
    size_t Read(void* buffer, size_t count);
    // Writes at the position (growing the stream as needed) and advances.
    void Write(const void* buffer, size_t count);
    void WriteByte(uint8_t value);
    // Empties the stream and sets the position to 0.
    void Clear();
    void Reserve(size_t capacity) { bytes_.reserve(capacity); }

    const uint8_t* Data() const { return bytes_.data(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    // Hands the bytes over and leaves the stream empty.
    std::vector<uint8_t> Release();

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

inline void MemoryStream::WriteByte(uint8_t value)
{
    if (position_ == bytes_.size()) {
        bytes_.push_back(value);
        ++position_;
    } else {
        Write(&value, 1);
    }
}

}  // namespace quorvane
