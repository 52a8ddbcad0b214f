#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include "tests/support/gtest.h"

static int g_events = 0;
static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject, LONG, DWORD, DWORD)
{
    ++g_events;
    printf("event %lx hwnd %p obj %d\n", (unsigned long)event, (void*)hwnd, (int)idObject);
}

TEST(Probe, ScrollInfo)
{
    HWND parent = CreateWindowExW(0, L"STATIC", L"p", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 300, 0, 0, 0, 0);
    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE, 10, 10, 200, 200, parent, 0, 0, 0);
    std::string text;
    for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + "\r\n";
    SetWindowTextA(edit, text.c_str());
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, OnEvent, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    printf("hook %p\n", (void*)hook);
    MSG m; while (PeekMessageW(&m, 0, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    g_events = 0;
    SCROLLINFO si{sizeof si, SIF_POS}; si.nPos = 50;
    SetScrollInfo(edit, SB_VERT, &si, TRUE);
    for (int i = 0; i < 5; ++i) { while (PeekMessageW(&m, 0, 0, 0, PM_REMOVE)) DispatchMessageW(&m); Sleep(10);}
    printf("events after SetScrollInfo: %d\n", g_events);
    SCROLLBARINFO sbi{}; sbi.cbSize = sizeof sbi;
    BOOL ok = GetScrollBarInfo(edit, OBJID_VSCROLL, &sbi);
    RECT wr; GetWindowRect(edit, &wr);
    printf("ok %d bar %d,%d,%d,%d win %d,%d,%d,%d line %d top %d bottom %d state %lx\n", ok, (int)sbi.rcScrollBar.left, (int)sbi.rcScrollBar.top, (int)sbi.rcScrollBar.right, (int)sbi.rcScrollBar.bottom,
        (int)wr.left, (int)wr.top, (int)wr.right, (int)wr.bottom, sbi.dxyLineButton, sbi.xyThumbTop, sbi.xyThumbBottom, (unsigned long)sbi.rgstate[0]);
    g_events = 0;
    SendMessageW(edit, WM_KEYDOWN, VK_NEXT, 0);
    for (int i = 0; i < 5; ++i) { while (PeekMessageW(&m, 0, 0, 0, PM_REMOVE)) DispatchMessageW(&m); Sleep(10);}
    printf("events after pgdn: %d pos %d\n", g_events, GetScrollPos(edit, SB_VERT));
    SCROLLBARINFO hb{}; hb.cbSize = sizeof hb;
    ok = GetScrollBarInfo(edit, OBJID_HSCROLL, &hb);
    printf("h ok %d state %lx\n", ok, (unsigned long)hb.rgstate[0]);
    UnhookWinEvent(hook);
}
