// The combo box skinner: the skin's sunken frame and drop-down button over
// a combo box that keeps drawing its own text, its edit child watched so
// the frame follows the edit's clicks and paints, and a simple combo's list
// given drawn scroll bars.
#pragma once
#include <windows.h>

#include <memory>

#include "framework/subclass.h"
#include "skin/controls/skin_control.h"

namespace quorvane {

class TSkinScrollbarH;

// A window with WS_POPUP, or whose parent handle is 0x10014 (a drop-down
// list that lives on the desktop).
bool IsPopupWindow(HWND window);

class TSkinComBox : public TSkinControl {
    QUORVANE_CLASS(TSkinComBox)
public:
    explicit TSkinComBox(TComponent* owner);
    ~TSkinComBox() override;

    void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas) override;
    void AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas) override;
    void Detach() override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;

    bool DroppedDown() const { return droppedDown_; }
    HWND EditHandle() const { return editHandle_; }
    HWND ListHandle() const { return listHandle_; }
    TSkinScrollbarH* ListScrollSkinner() const { return listScroll_; }
    // Where the drop-down button was last drawn (window coordinates).
    const RECT& ButtonRect() const { return buttonRect_; }
    // The frame state the last paint used: 1 normal, 2 pressed, 3 disabled, 4 hot.
    int PaintedState() const { return paintedState_; }

private:
    class EditHook : public WindowSubclass<EditHook> {
    public:
        explicit EditHook(TSkinComBox& owner) : owner_(owner) {}

    protected:
        LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    private:
        TSkinComBox& owner_;
    };

    void FinishAttach();
    int State() const;
    void DrawFramedLook(HDC dc, const RECT& rect, int state, bool rightToLeft);
    void SetHot(bool hot);

    LONG_PTR style_ = 0;
    LONG_PTR exStyle_ = 0;
    HWND listHandle_ = nullptr;
    HWND editHandle_ = nullptr;
    bool droppedDown_ = false;
    EditHook editHook_{*this};
    TSkinScrollbarH* listScroll_ = nullptr;  // a component of this skinner
    RECT buttonRect_{0, 0, 0, 0};
    int paintedState_ = 0;
};

}  // namespace quorvane
