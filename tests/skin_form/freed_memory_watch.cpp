#include "tests/skin_form/freed_memory_watch.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr unsigned char kFreedByte = 0xDD;
constexpr size_t kMaxBlocks = 1 << 16;

struct Block {
    void* pointer;
    size_t size;
};
// Plain storage: operator delete must not allocate.
Block g_blocks[kMaxBlocks];
size_t g_count = 0;
bool g_watching = false;

void Release(void* pointer) noexcept
{
    if (!pointer) return;
    if (g_watching && g_count < kMaxBlocks) {
        const size_t size = malloc_usable_size(pointer);
        std::memset(pointer, kFreedByte, size);
        g_blocks[g_count++] = Block{pointer, size};
        return;
    }
    std::free(pointer);
}

}  // namespace

// The program's own operator delete (operator new is the library's, which
// takes its memory from malloc).
void operator delete(void* pointer) noexcept
{
    Release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept
{
    Release(pointer);
}
void operator delete[](void* pointer) noexcept
{
    Release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept
{
    Release(pointer);
}

namespace quorvane::enginetest {

FreedMemoryWatch::FreedMemoryWatch()
{
    g_count = 0;
    g_watching = true;
}

FreedMemoryWatch::~FreedMemoryWatch()
{
    g_watching = false;
    for (size_t i = 0; i < g_count; ++i) std::free(g_blocks[i].pointer);
    g_count = 0;
}

bool FreedMemoryWatch::Intact() const
{
    for (size_t i = 0; i < g_count; ++i) {
        const auto* bytes = static_cast<const unsigned char*>(g_blocks[i].pointer);
        for (size_t k = 0; k < g_blocks[i].size; ++k)
            if (bytes[k] != kFreedByte) return false;
    }
    return true;
}

size_t FreedMemoryWatch::Freed() const
{
    return g_count;
}

}  // namespace quorvane::enginetest
