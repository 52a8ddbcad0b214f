// Control skinners by class name: the control scan asks for a skinner
// class by name and gets a new, unattached skinner owned by `owner`, or
// null when this build has no such skinner yet (the control then keeps its
// own look).
#pragma once
#include <string_view>

namespace quorvane {

class TComponent;
class TSkinControl;

TSkinControl* CreateSkinner(std::string_view className, TComponent* owner);
bool HasSkinner(std::string_view className);

}  // namespace quorvane
