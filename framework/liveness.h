// Telling whether an object survived a call. An event handler may free the
// object whose event it handles (a close button that frees its panel, Escape
// in an edit that frees its form); the code that ran the handler takes a
// watch before the call and touches nothing of the object afterwards when
// the watch has expired.
#pragma once
#include <memory>

namespace quorvane {

// Held as a member by the object it watches: every watch expires when the
// member is destroyed. The shared flag is made on the first watch, so objects
// nobody watches pay only for an empty pointer.
class LivenessToken {
public:
    LivenessToken() = default;
    // A copied or assigned object is another object: it gets its own flag.
    LivenessToken(const LivenessToken&) {}
    LivenessToken& operator=(const LivenessToken&) { return *this; }

    std::weak_ptr<const bool> Watch() const
    {
        if (!alive_) alive_ = std::make_shared<const bool>(true);
        return alive_;
    }

private:
    mutable std::shared_ptr<const bool> alive_;
};

}  // namespace quorvane
