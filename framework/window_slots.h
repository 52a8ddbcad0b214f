// Objects attached to windows, looked up in the process's own memory.
//
// The framework finds the object behind a window (a control, a subclasser's
// block) on every message the window receives. Window properties live in the
// window server: under Wine each GetProp is a round trip to it, and a list
// view filled with 10,000 rows sends hundreds of thousands of messages
// through the chains. The slots answer the same question from a hash table.
// The window property is still set beside each slot, so the attachment stays
// visible to anything that looks at the window; only the look-up is local.
//
// A slot is keyed by window and by a tag (any address that names the kind of
// attachment). Whoever sets a slot removes it when the attachment ends, at the
// latest on WM_NCDESTROY.
#pragma once
#include <windows.h>

namespace quorvane::window_slots {

void Set(HWND window, const void* tag, void* value);
// Null when the window has no slot of that tag.
void* Get(HWND window, const void* tag);
void Remove(HWND window, const void* tag);
// Slots currently held, for tests.
size_t Count();

}  // namespace quorvane::window_slots
