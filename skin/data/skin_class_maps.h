// The Skin3rd class maps: lines "ClassName=kind" that tell the control scan
// which skinner other control classes get.
#pragma once
#include <string>
#include <vector>

namespace quorvane {

// The map every TSkinData starts with (117 lines).
const std::vector<std::string>& BuiltInSkin3rd();
// The reader window's stored map (95 lines), which replaces the built-in one.
const std::vector<std::string>& ReaderSkin3rd();

}  // namespace quorvane
