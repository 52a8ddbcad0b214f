// TGraphicControl and TCustomControl: the controls that paint themselves.

#include "framework/controls.h"

#include <windowsx.h>

namespace quorvane {

// ---- TGraphicControl ----------------------------------------------------------

const TClassInfo& TGraphicControl::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TGraphicControl", &TControl::StaticClass());
    return info;
}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

void TGraphicControl::Invalidate()
{
    TControl::Invalidate();
}

void TGraphicControl::Update()
{
    TControl::Update();
}

void TGraphicControl::WndProc(TMessage& message)
{
    if (message.msg == WM_PAINT && message.wParam) {
        HDC dc = reinterpret_cast<HDC>(message.wParam);
        canvas_.SetHandle(dc);
        canvas_.Font()->Assign(*Font());
        canvas_.SetBrushColor(Color());
        try {
            Paint(dc);
        } catch (...) {
            canvas_.SetHandle(nullptr);
            throw;
        }
        canvas_.SetHandle(nullptr);
        return;
    }
    TControl::WndProc(message);
}

// ---- TCustomControl -----------------------------------------------------------

const TClassInfo& TCustomControl::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TCustomControl", &TWinControl::StaticClass());
    return info;
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::WndProc(TMessage& message)
{
    switch (message.msg) {
    case WM_ERASEBKGND:
        EraseWithColor(message);
        return;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        if (message.wParam) {
            Paint(reinterpret_cast<HDC>(message.wParam));
            PaintControls(reinterpret_cast<HDC>(message.wParam));
        } else {
            PaintDc dc(Handle());
            Paint(dc.get());
            PaintControls(dc.get());
        }
        return;
    }
    default:
        TWinControl::WndProc(message);
    }
}

}  // namespace quorvane
