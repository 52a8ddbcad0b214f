// TSkinControl: the base of every control skinner. A skinner sits beside one
// control, takes over its message handling (the control object's WindowProc,
// or the window procedure of a bare window), lets the control do its normal
// work and paints it again from the loaded skin. It never owns the control,
// the skin data or the form engine.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "framework/controls.h"
#include "framework/properties.h"
#include "framework/subclass.h"
#include "skin/data/skin_data.h"

namespace quorvane {

class TWinSkinForm;

// Life of a skinner.
enum TSkinnerLife { lsCreated = 0, lsAttached = 1, lsDetached = 2, lsWindowGone = 6 };

// Bits of MouseState.
inline constexpr unsigned kMouseHot = 1;
inline constexpr unsigned kMousePressed = 2;

// Frame numbers of the five-frame Buttons element.
enum TButtonFrame { bfNormal = 1, bfPressed = 2, bfDisabled = 3, bfHot = 4, bfFocused = 5 };

class TSkinControl : public TComponent {
    QUORVANE_CLASS(TSkinControl)
public:
    explicit TSkinControl(TComponent* owner);
    ~TSkinControl() override;

    // Attaches to the control object that owns this skinner (the owner must
    // be a TControl). A second call changes nothing.
    virtual void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas);
    // Attaches to a bare window without a control object.
    virtual void AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas);
    // Undoes what attaching changed on the control object (its colour).
    virtual void Detach();
    // Before the control sees a message: true lets the control process it
    // (AfterMessage follows); false means it was handled here.
    virtual bool BeforeMessage(TMessage& message);
    virtual void AfterMessage(TMessage& message);
    // Paints the whole window (dc 0: the window DC).
    virtual void PaintWindow(HDC dc);
    // Draws the skinned control into dc; rect is the window rectangle moved
    // to the origin.
    virtual void DrawSkin(HDC dc, const RECT& rect);
    // A new skin was loaded.
    virtual void SkinChanged();
    virtual bool IsSkinnable() { return true; }

    // The replacement message handler.
    void SkinWndProc(TMessage& message);
    // The control's own handling of a message.
    void CallDefault(TMessage& message);
    // Repaints now (before returning).
    void Redraw();

    // --- state -----------------------------------------------------------------
    TControl* Control() const { return control_; }
    HWND Handle() const { return handle_; }
    TWinSkinForm* Form() const { return form_; }
    TSkinData* SkinData() const { return skinData_; }
    int LifeState() const { return lifeState_; }
    bool Attached() const { return attached_; }
    bool SkinEnabled() const { return skinEnabled_; }
    unsigned MouseState() const { return mouseState_; }
    bool ReplaceColor() const { return replaceColor_; }
    int Mode() const { return mode_; }
    void SetMode(int mode) { mode_ = mode; }
    const std::u16string& Caption() const { return caption_; }
    // A windowless companion control (speed buttons): redraws go to it.
    TControl* GraphicControl() const { return graphicControl_; }
    void SetGraphicControl(TControl* control) { graphicControl_ = control; }
    bool EnabledAtPaint() const { return enabledAtPaint_; }
    bool FocusedAtPaint() const { return focusedAtPaint_; }
    const RECT& WindowRect() const { return windowRect_; }

    // The window this skinner paints: the bare window, or the control's.
    HWND TargetWindow() const;
    // The Buttons frame for the control's condition: disabled 3, pressed 2,
    // hot 4, focused 5, otherwise 1.
    int ButtonStateFrame() const;
    // Follows the mouse: hot on enter/move, pressed while the left button
    // is down on the control, cleared on leave. Redraws when a state changed.
    void TrackMouse(const TMessage& message);

protected:
    // Remembers the control, its window, the skin and the engine and joins
    // the engine's list, without taking over the control's messages
    // (skinners that only change a property).
    void BindWithoutHook(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas);
    void SetLifeState(int state) { lifeState_ = state; }
    // Asks the form engine for a skinner for the control's new window.
    void AskForNewSkinner();

    // --- painting helpers ----------------------------------------------------
    void PaintClient(TMessage& message);
    void EraseBackground(TMessage& message);
    void FillSkinColor(HDC dc, const RECT& rect);
    void DrawFocusAround(HDC dc, UINT flags, const RECT& rect);
    UINT TextFlags(UINT flags) const;
    void ForwardMouseDown(const TMessage& message);
    LONG_PTR GetStyle(HWND handle, int index) const;

    TCanvas* canvas_ = nullptr;
    std::u16string caption_;
    RECT windowRect_{0, 0, 0, 0};
    bool enabledAtPaint_ = true;
    bool focusedAtPaint_ = false;
    unsigned mouseState_ = 0;
    int mode_ = 0;
    COLORREF savedColor_ = 0;

private:
    class HandleSubclass : public WindowSubclass<HandleSubclass> {
    public:
        explicit HandleSubclass(TSkinControl& owner) : owner_(owner) {}
        using WindowSubclass::CallPrevious;

    protected:
        LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    private:
        TSkinControl& owner_;
    };

    TSkinData* skinData_ = nullptr;
    HWND handle_ = nullptr;
    TControl* control_ = nullptr;
    TWinSkinForm* form_ = nullptr;
    TControl* graphicControl_ = nullptr;
    ScopedWindowProc handler_;
    HandleSubclass subclass_{*this};
    bool skinEnabled_ = true;
    bool unicodeWindow_ = true;
    bool replaceColor_ = false;
    bool attached_ = false;
    int lifeState_ = lsCreated;
    TColor savedControlColor_ = 0;
    // Set while a message is handed to the control; the destructor raises it.
    bool* destroyedFlag_ = nullptr;
};

// --- shared drawing routines (also used by the menu bar) ---------------------

// Frame `state` of an element whose frames lie side by side, nine-part
// stretched into rect with the element's margins and Tile flag; key colour
// transparent when the element's Trans is 1. Nothing for an inverted rect
// or an element without a bitmap.
void DrawElementState(HDC dc, const RECT& rect, int frames, int state, const TDataSkinObject* element);
// Frame `frame` of a strip of `frames` side-by-side frames stretched into
// rect with the key colour transparent.
void DrawKeyedFrame(HDC dc, const RECT& rect, int frames, int frame, HBITMAP strip);
// Caption text as the push button skinners draw it (see the .cpp).
void DrawCaptionText(HDC dc, const RECT& rect, UINT flags, bool enabled, std::u16string_view text, UINT extraFlags = 0);
// An image-list icon followed by a caption; align 0 left, 1 centre, 2 right.
void DrawIconCaption(HDC dc, const RECT& rect, int align, std::u16string_view text, int imageIndex,
                     HIMAGELIST imageList, bool enabled, UINT extraFlags = 0);
// A single-line caption centred in rect; align 0 left, 1 right, 2 centre.
void DrawCentredText(HDC dc, const RECT& rect, std::u16string_view text, int align, bool enabled);
// Replaces the first occurrence of `from` in text by `to`.
std::u16string ReplaceFirst(std::u16string text, std::u16string_view from, std::u16string_view to);
// The window text as UTF-16.
std::u16string ReadWindowText(HWND window);

}  // namespace quorvane
