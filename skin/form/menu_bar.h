// TWinSkinMenu: the menu bar of a skinned window. The window's own menu bar
// is taken away (SetMenu(window, 0)) and its top-level entries become
// TMenuBtn objects that the engine paints in the band below the title and
// opens as drop-downs with TrackPopupMenu.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "framework/component.h"
#include "skin/data/gdi_handles.h"
#include "skin/form/nc_objects.h"

namespace quorvane {

class TMainMenu;
class TSkinData;
class TWinSkinForm;

class TWinSkinMenu : public TComponent {
    QUORVANE_CLASS(TWinSkinMenu)
public:
    TWinSkinMenu(TWinSkinForm* form, TSkinData* skinData);
    ~TWinSkinMenu() override;

    // Rebuilds the buttons from the window's menu (and the form's menu
    // component, when it has one), then takes the system menu bar away.
    void BuildButtons();
    // After the MDI frame's menu was replaced: as BuildButtons, but items
    // without text keep what the system says, and the bar is laid out.
    void BuildButtonsForFrameMenu();
    // Paints the band (window coordinates) into dc and places the buttons.
    void PaintBar(HDC dc, const RECT& band);
    // Places the buttons without painting.
    void Layout();
    // The button after (or before) the current one, wrapping around.
    TMenuBtn* NextButton(bool forward) const;
    // The same, going past the entries that cannot open (disabled or without text).
    TMenuBtn* NextOpenableButton(bool forward) const;
    // The button whose BoundsRect holds the point (window coordinates) and
    // whose caption is not empty.
    TMenuBtn* ButtonAt(POINT point) const;
    // The form's main menu the entries come from; the bar hears when it is
    // freed and forgets it and its items.
    void SetMenuComponent(TMainMenu* menu);

    std::vector<std::unique_ptr<TMenuBtn>> Buttons;
    TMainMenu* Menu = nullptr;
    RECT BandRect{0, 0, 0, 0};
    TSkinData* SkinData;
    TWinSkinForm* Form;
    // The painted band without captions, for repainting single buttons.
    UniqueBitmap Background;
    int Count = 0;
    bool Painting = false;
    HMENU MenuHandle = nullptr;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void Build(bool keepSystemValues);
    // Places the buttons in a band of the given size; with a dc, paints
    // their captions too. x0: where the first button starts.
    void PlaceButtons(HDC dc, const RECT& band, int x0);
    int StartOffset(int bandWidth) const;
};

// While one of form's drop-downs is open: closes it and opens target's
// next. False when none is open.
bool RequestMenuSwitch(TWinSkinForm* form, TMenuBtn* target);
// Whether the window is laid out right to left (WS_EX_LEFTSCROLLBAR).
bool IsRightToLeftWindow(HWND window);

}  // namespace quorvane
