// The clickable objects of a skinned frame: caption buttons described by the
// skin and the top-level entries of the menu bar the engine paints itself.
// Both share one hot/pressed state machine; the engine's HotObject is the
// object under the mouse or held down.
#pragma once
#include <windows.h>

#include <string>

namespace quorvane {

class TWinSkinForm;
class TDataSkinSysButton;
class TMenuItem;
class TSkinData;

enum TNCState { nsNormal = 1, nsPressed = 2, nsHot = 3 };

class TNCObject {
public:
    explicit TNCObject(TWinSkinForm* form) : Form(form) {}
    virtual ~TNCObject() = default;
    TNCObject(const TNCObject&) = delete;
    TNCObject& operator=(const TNCObject&) = delete;

    virtual void MouseDown();
    virtual void MouseUp();
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void Paint() {}
    virtual bool IsMenuButton() const { return false; }

    TWinSkinForm* Form;
    RECT BoundsRect{0, 0, 0, 0};  // window coordinates; empty when not placed
    bool Visible = false;
    int State = nsNormal;
};

// One caption button; Description belongs to the skin data.
class TWinSysButton : public TNCObject {
public:
    TWinSysButton(TWinSkinForm* form, TDataSkinSysButton* description) : TNCObject(form), Description(description) {}
    void Paint() override;
    // Action 3, 11 or 12: the system icon.
    bool IsIconButton() const;

    TDataSkinSysButton* Description;
};

// One top-level entry of the menu bar.
class TMenuBtn : public TNCObject {
public:
    TMenuBtn(TWinSkinForm* form, TSkinData* skinData) : TNCObject(form), SkinData(skinData) {}
    void Paint() override;
    bool IsMenuButton() const override { return true; }

    TMenuItem* MenuItem = nullptr;
    TSkinData* SkinData;
    int Index = 0;
    std::u16string Caption;
    bool Enabled = true;
    HMENU SubMenu = nullptr;
    UINT Command = 0;
};

}  // namespace quorvane
