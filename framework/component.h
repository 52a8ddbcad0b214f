// Persistent objects and components: named, tagged objects that own the
// components created with them as owner and free them when they are freed.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/liveness.h"
#include "framework/object.h"

namespace quorvane {

class TComponent;

using TNotifyEvent = std::function<void(TObject* sender)>;

// An object with published properties that is not a component (fonts, image
// lists' helpers, string lists...).
class TPersistent : public TObject {
    QUORVANE_CLASS(TPersistent)
};

enum TOperation { opInsert, opRemove };

enum TComponentStateKind { csLoading, csDestroying };
using TComponentState = unsigned;

class TComponent : public TPersistent {
    QUORVANE_CLASS(TComponent)
public:
    // A component created while its owner is loading is loading as well,
    // until it receives Loaded.
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const;
    int ComponentIndex() const;  // position in the owner's list, -1 without owner
    TComponent* FindComponent(std::string_view name) const;  // case-insensitive

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    TComponentState ComponentState() const { return state_; }
    bool IsLoading() const { return InSet(state_, csLoading); }
    bool IsDestroying() const { return InSet(state_, csDestroying); }

    // Moves ownership. Insert tells the new owner (and its components) with
    // opInsert; Remove tells the old one with opRemove.
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    // Frees the owned components, newest first.
    void DestroyComponents();

    // `component` is told (Notification opRemove) when this one is freed,
    // even if it is not the owner.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Expires when this component is destroyed. Code that runs an event
    // handler of this component and goes on using it afterwards takes a
    // watch first and stops when it has expired.
    std::weak_ptr<const bool> Liveness() const { return liveness_.Watch(); }

    // Marks this component and every owned one as loading (stored properties
    // are being applied), and ends it: Loaded on self, then on the owned
    // components in creation order. A Loaded that throws ends it there: the
    // components not yet loaded leave the loading state without their Loaded
    // and the exception goes on to the caller.
    void BeginLoading();
    void EndLoading();

    // Runs while the object is still whole, before any destructor: tells the
    // free-notification list and frees the owned components. Free() calls it;
    // a plain delete calls it from ~TComponent as a fallback.
    virtual void BeforeDestruction();

    // opRemove: `component` is going away; drop every reference to it.
    // The default passes the notice on to the owned components.
    virtual void Notification(TComponent* component, TOperation operation);

protected:
    // Stored properties have all been applied.
    virtual void Loaded();

private:
    void AbandonLoading();
    void Insert(TComponent* component);
    void Remove(TComponent* component);

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    std::string name_;
    int tag_ = 0;
    TComponentState state_ = 0;
    bool beforeDestructionDone_ = false;
    LivenessToken liveness_;
};

// The way to free a component (or any object): BeforeDestruction while the
// object is whole, then delete. Null is fine.
void Free(TObject* object);

}  // namespace quorvane
