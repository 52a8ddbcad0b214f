#include "framework/window_slots.h"

#include <functional>
#include <unordered_map>

namespace quorvane::window_slots {

namespace {

struct Key {
    HWND window;
    const void* tag;
    bool operator==(const Key&) const = default;
};

struct KeyHash {
    size_t operator()(const Key& key) const noexcept
    {
        const size_t a = std::hash<const void*>()(key.window);
        const size_t b = std::hash<const void*>()(key.tag);
        return a ^ (b + 0x9E3779B97F4A7C15ull + (a << 6) + (a >> 2));
    }
};

// Windows of several threads may be looked up at once; readers share the lock.
struct Table {
    SRWLOCK lock = SRWLOCK_INIT;
    std::unordered_map<Key, void*, KeyHash> slots;
};

Table& TheTable()
{
    static Table* table = new Table;  // never freed: windows may outlive static destructors
    return *table;
}

}  // namespace

void Set(HWND window, const void* tag, void* value)
{
    if (!window) return;
    Table& table = TheTable();
    AcquireSRWLockExclusive(&table.lock);
    if (value)
        table.slots[{window, tag}] = value;
    else
        table.slots.erase({window, tag});
    ReleaseSRWLockExclusive(&table.lock);
}

void* Get(HWND window, const void* tag)
{
    if (!window) return nullptr;
    Table& table = TheTable();
    AcquireSRWLockShared(&table.lock);
    auto it = table.slots.find({window, tag});
    void* value = it == table.slots.end() ? nullptr : it->second;
    ReleaseSRWLockShared(&table.lock);
    return value;
}

void Remove(HWND window, const void* tag)
{
    Set(window, tag, nullptr);
}

size_t Count()
{
    Table& table = TheTable();
    AcquireSRWLockShared(&table.lock);
    const size_t count = table.slots.size();
    ReleaseSRWLockShared(&table.lock);
    return count;
}

}  // namespace quorvane::window_slots
