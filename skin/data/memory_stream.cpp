#include "skin/data/memory_stream.h"

#include <cstring>
#include <utility>

namespace quorvane {

size_t MemoryStream::Read(void* buffer, size_t count)
{
    const size_t n = count < Remaining() ? count : Remaining();
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

void MemoryStream::Write(const void* buffer, size_t count)
{
    if (count == 0) return;
    if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ += count;
}

void MemoryStream::Clear()
{
    bytes_.clear();
    position_ = 0;
}

std::vector<uint8_t> MemoryStream::Release()
{
    position_ = 0;
    return std::exchange(bytes_, {});
}

}  // namespace quorvane
