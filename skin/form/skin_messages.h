// The skin engine's private window messages. Their numbers are fixed:
// applications and skinned windows exchange them with the engine.
#pragma once
#include <windows.h>

namespace quorvane {

// Repaint the skinned frame now.
inline constexpr UINT WM_SKINNCPAINT = 0x3502;
// Posted by the skin manager (wParam 0, lParam 1000): finish skinning.
inline constexpr UINT WM_SKINSTART = 0x3503;
// Sent to a skinner: wParam > 0 switches skinning on (and redraws), 0 off.
inline constexpr UINT WM_SKINENABLE = 0x3506;
// Sent by the tab skinner when a page's close box is clicked (wParam = the
// tab control's window, lParam = page index); 0 lets the skinner free the page.
inline constexpr UINT WM_SKINTABCLOSE = 0x3507;
// Posted when a caption button without a built-in action is clicked
// (wParam = its Action), for the application.
inline constexpr UINT WM_SKINBUTTONACTION = 0x3514;
// Sent to ask whether a caption button with Visibility 1000..2000 is shown
// (wParam = Visibility, lParam = Action); an answer above 0 shows it.
inline constexpr UINT WM_SKINBUTTONVISIBLE = 0x3515;
// Sent to an MDI client (wParam = the frame window): redraw the frame fully.
inline constexpr UINT WM_SKINMDIREDRAW = 0x3516;
// wParam = a control's window: re-create the scroll bar skinner of that control.
inline constexpr UINT WM_SKINRESCROLL = 0x3517;
// lParam = a screen point: open the menu bar button under it.
inline constexpr UINT WM_SKINMENUCLICK = 0x3518;
// Every skinned window answers 1.
inline constexpr UINT WM_SKINQUERY = 0x3523;
// To the form object: re-apply the skin.
inline constexpr UINT WM_SKINREFRESH = 0x3401;
// To the form object (wParam = DC, lParam = kSkinMagic): paint the skinned
// frame into the DC; answers kSkinMagic.
inline constexpr UINT WM_SKINPRINT = 0xBC4B;
// To the form object: answers kSkinMagic when lParam is kSkinMagic, else 1.
inline constexpr UINT WM_SKINPING = 0xBC4D;
// Sent to a skinned window once skinning has finished (wParam 0, lParam kSkinMagic).
inline constexpr UINT WM_SKINAPPLIED = 0xBC4E;

inline constexpr LPARAM kSkinMagic = 0x41A2;
inline constexpr LPARAM kSkinStartParam = 1000;

}  // namespace quorvane
