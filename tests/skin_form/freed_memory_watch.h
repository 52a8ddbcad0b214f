// Finds uses of freed C++ objects in a test: while a FreedMemoryWatch lives,
// memory given back with operator delete is filled with 0xDD and kept from
// the heap, so a write after the free changes the pattern (Intact() turns
// false) and a read finds the pattern instead of a newer object.
#pragma once
#include <cstddef>

namespace quorvane::enginetest {

class FreedMemoryWatch {
public:
    FreedMemoryWatch();
    ~FreedMemoryWatch();  // checks nothing; gives the memory back
    FreedMemoryWatch(const FreedMemoryWatch&) = delete;
    FreedMemoryWatch& operator=(const FreedMemoryWatch&) = delete;

    // True when no freed block has been written to since it was freed.
    bool Intact() const;
    // The number of blocks freed while watching.
    size_t Freed() const;
};

}  // namespace quorvane::enginetest
