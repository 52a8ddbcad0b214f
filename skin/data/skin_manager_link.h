// What the skin data component asks of the process-wide skin manager. The
// manager lives with the form engine (skin/form); these calls are its side
// of the conversation.
#pragma once

namespace quorvane {

class TSkinData;

// Loaded: creates the manager when none exists, registers the component,
// and (for a main-form component) installs the manager's window hook and
// requests skinning when the component is active.
void SkinManagerLoaded(TSkinData& data);
// Active changed on a component that has been loaded.
void SkinManagerActiveChanged(TSkinData& data, bool active);
// Before the component loads another skin: engines using it let go of the
// caption buttons of the old skin.
void SkinManagerBeforeSkinLoad(TSkinData& data);
// After the component loaded another skin at run time: every window using
// it takes the new skin.
void SkinManagerSkinChanged(TSkinData& data);
// The component goes away.
void SkinManagerUnregister(TSkinData& data);

}  // namespace quorvane
