#include "framework/actions.h"

#include <algorithm>

namespace quorvane {

const TClassInfo& TAction::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TAction>("TAction", &TComponent::StaticClass(), [](PropRegistrar<TAction>& p) {
            p.AnsiText("Caption", &TAction::Caption, &TAction::SetCaption);
            p.Boolean("Enabled", &TAction::Enabled, &TAction::SetEnabled);
            p.Boolean("Checked", &TAction::Checked, &TAction::SetChecked);
            p.Boolean("Visible", &TAction::Visible, &TAction::SetVisible);
            p.Integer("ImageIndex", &TAction::ImageIndex, &TAction::SetImageIndex);
            p.Integer("ShortCut", &TAction::ShortCut, &TAction::SetShortCut);
            p.AnsiText("Hint", &TAction::Hint, &TAction::SetHint);
            p.Method("OnExecute", [](const TAction& a) { return static_cast<bool>(a.OnExecute); });
            p.Method("OnUpdate", [](const TAction& a) { return static_cast<bool>(a.OnUpdate); });
        });
    return info;
}

TAction::TAction(TComponent* owner) : TComponent(owner) {}

TAction::~TAction()
{
    BeforeDestruction();
    // A client may unregister itself while it is told; work on a copy.
    const std::vector<TActionClient*> clients = clients_;
    clients_.clear();
    for (TActionClient* client : clients) client->ActionFreed(*this);
}

void TAction::Changed()
{
    const std::vector<TActionClient*> clients = clients_;
    for (TActionClient* client : clients)
        if (std::find(clients_.begin(), clients_.end(), client) != clients_.end()) client->ActionChanged(*this);
}

void TAction::SetCaption(const std::string& caption)
{
    if (caption == caption_) return;
    caption_ = caption;
    Changed();
}

void TAction::SetEnabled(bool value)
{
    if (value == enabled_) return;
    enabled_ = value;
    Changed();
}

void TAction::SetChecked(bool value)
{
    if (value == checked_) return;
    checked_ = value;
    Changed();
}

void TAction::SetVisible(bool value)
{
    if (value == visible_) return;
    visible_ = value;
    Changed();
}

void TAction::SetImageIndex(int value)
{
    if (value == imageIndex_) return;
    imageIndex_ = value;
    Changed();
}

void TAction::SetShortCut(unsigned short value)
{
    if (value == shortCut_) return;
    shortCut_ = value;
    Changed();
}

void TAction::SetHint(const std::string& hint)
{
    if (hint == hint_) return;
    hint_ = hint;
    Changed();
}

bool TAction::Update()
{
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}

bool TAction::Execute()
{
    Update();
    if (!enabled_ || !OnExecute) return false;
    OnExecute(this);
    return true;
}

void TAction::RegisterClient(TActionClient* client)
{
    if (client && std::find(clients_.begin(), clients_.end(), client) == clients_.end()) clients_.push_back(client);
}

void TAction::UnregisterClient(TActionClient* client)
{
    clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

}  // namespace quorvane
