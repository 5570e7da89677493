#pragma once
// Command ids, private messages and timer ids of the top-level window.

// WM_COMMAND ids (low word of wParam).
constexpr unsigned int ID_HIDEWINDOW = 7000;
constexpr unsigned int ID_SHOWWINDOW = 7001;
constexpr unsigned int ID_EXIT = 7002;
constexpr unsigned int ID_CHECKUPDATE = 7003;

// The tray icon's callback message (WM_USER + 1234).
constexpr unsigned int WM_TRAYNOTIFY = 0x0400 + 1234;

// Posted by the controller's link observer (any thread) to the top-level
// window: wParam is the OVLinkEvent. WM_APP + 0x26.
constexpr unsigned int WM_CONTROLLERLINK = 0x8000 + 0x26;

// The one-second timer that triggers the silent update check.
constexpr unsigned int MAINTIMER_ID = 456852;
constexpr unsigned int MAINTIMER_PERIOD_MS = 1000;

// Resource ids of the program module.
constexpr int IDI_VENTARO_LARGE = 107;
constexpr int IDI_VENTARO_SMALL = 108;
constexpr int IDC_VENTARO_ACCEL = 109;
