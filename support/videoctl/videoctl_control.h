// What the parts of VideoCtl.dll share: the module, its object and lock
// counts, the controls' window class, and the controls seen from the
// server (creation) and from the test entry points (events). Private to
// the module.
#pragma once

#include "support/videoctl/videoctl.h"

#include "base/com_server.h"

namespace videoctl {

extern HMODULE g_hModule;
extern ComServerCounts g_counts;

inline constexpr char kWindowClass[] = "VideoCtlStandIn";

LRESULT CALLBACK ControlWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Makes a local or remote control and queries it for riid into *ppv;
// licence (null: none) is recorded in its log.
HRESULT CreateControl(bool local, REFIID riid, void** ppv, const wchar_t* licence);

// Fires an event of the local control whose window is hWnd now;
// E_INVALIDARG for any other window or more than two arguments.
HRESULT FireEvent(HWND hWnd, DISPID dispid, int nArgs, long arg1, long arg2);

}  // namespace videoctl
