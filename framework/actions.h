// Actions: one command (caption, state, shortcut, what it does) shared by
// every menu item linked to it.
#pragma once
#include <string>
#include <vector>

#include "framework/component.h"

namespace quorvane {

class TAction;

// Something that shows an action: told whenever one of the action's
// properties changes and when the action goes away.
class TActionClient {
public:
    virtual void ActionChanged(TAction& action) = 0;
    virtual void ActionFreed(TAction& action) = 0;

protected:
    ~TActionClient() = default;
};

class TAction : public TComponent {
    QUORVANE_CLASS(TAction)
public:
    explicit TAction(TComponent* owner);
    ~TAction() override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    unsigned short ShortCut() const { return shortCut_; }
    void SetShortCut(unsigned short value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);

    // Runs OnUpdate, where the program brings the properties up to date;
    // true when there was a handler.
    bool Update();
    // Brings the action up to date, then runs OnExecute when the action is
    // enabled; true when it ran.
    bool Execute();

    void RegisterClient(TActionClient* client);
    void UnregisterClient(TActionClient* client);

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

private:
    void Changed();

    std::string caption_;
    bool enabled_ = true, checked_ = false, visible_ = true;
    int imageIndex_ = -1;
    unsigned short shortCut_ = 0;
    std::string hint_;
    std::vector<TActionClient*> clients_;
};

}  // namespace quorvane
