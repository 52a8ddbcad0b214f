// ScopedWindowProc: a replacement window method installed for a scope.

#include "framework/controls.h"

#include <algorithm>

namespace quorvane {

// ---- ScopedWindowProc ---------------------------------------------------------

namespace {
void CallNode(void* self, TMessage& message)
{
    auto* node = static_cast<WindowProcNode*>(self);
    if (node->handler)
        node->handler(message);
    else
        node->previous(message);
}
}  // namespace

ScopedWindowProc::ScopedWindowProc(TControl* control, TWndMethod replacement)
{
    Install(control, replacement);
}

ScopedWindowProc::~ScopedWindowProc()
{
    Restore();
}

void ScopedWindowProc::Install(TControl* control, TWndMethod replacement)
{
    Restore();
    if (!control) return;
    auto node = std::make_unique<WindowProcNode>();
    node->handler = replacement;
    node->previous = control->WindowProc();
    node->owner = this;
    control_ = control;
    node_ = node.get();
    previous_ = node->previous;
    control->windowProcNodes_.push_back(std::move(node));
    control->SetWindowProc(TWndMethod(node_, CallNode));
}

void ScopedWindowProc::Restore()
{
    if (!control_) return;
    auto& nodes = control_->windowProcNodes_;
    if (control_->WindowProc() == TWndMethod(node_, CallNode)) {
        control_->SetWindowProc(node_->previous);
        nodes.erase(std::find_if(nodes.begin(), nodes.end(), [&](const auto& n) { return n.get() == node_; }));
    } else {
        // Someone installed a handler after ours and holds ours as its
        // previous one: stay in the chain, passing everything on.
        node_->handler = {};
        node_->owner = nullptr;
    }
    control_ = nullptr;
    node_ = nullptr;
}

void ScopedWindowProc::CallPrevious(TMessage& message) const
{
    previous_(message);
}

}  // namespace quorvane
