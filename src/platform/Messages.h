#pragma once
// The window-message vocabulary of the engine: message numbers, key codes,
// window styles and the message record that queues carry. The numbers are the
// engine's own constants (scripts, settings and the game rely on the values),
// so both back ends translate their native events into them.
#include <cstdint>

namespace orrivel::platform {

// A window, as a small number; 0 is "none". Never a pointer.
using WindowId = uint32_t;
constexpr WindowId kNoWindow = 0;
// Stands for the desktop as a message-box owner (system-modal boxes).
constexpr WindowId kDesktopWindow = 0xFFFFFFFFu;

// One queued message. lParam and wParam are pointer-sized so that a sent
// message can carry the address of a request record.
struct Message {
  WindowId window = kNoWindow;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  uint32_t time = 0;
  int32_t x = 0;
  int32_t y = 0;
};

// Window messages.
constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_MOVE = 0x0003;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_KILLFOCUS = 0x0008;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUERYENDSESSION = 0x0011;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_ERASEBKGND = 0x0014;
constexpr uint32_t WM_SHOWWINDOW = 0x0018;
constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr uint32_t WM_SETCURSOR = 0x0020;
constexpr uint32_t WM_DISPLAYCHANGE = 0x007E;
constexpr uint32_t WM_NCCREATE = 0x0081;
constexpr uint32_t WM_NCDESTROY = 0x0082;
constexpr uint32_t WM_NCHITTEST = 0x0084;
constexpr uint32_t WM_NCMOUSEMOVE = 0x00A0;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_SYSCHAR = 0x0106;
constexpr uint32_t WM_IME_STARTCOMPOSITION = 0x010D;
constexpr uint32_t WM_IME_ENDCOMPOSITION = 0x010E;
constexpr uint32_t WM_IME_COMPOSITION = 0x010F;
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
constexpr uint32_t WM_ENTERMENULOOP = 0x0211;
constexpr uint32_t WM_EXITMENULOOP = 0x0212;
constexpr uint32_t WM_ENTERSIZEMOVE = 0x0231;
constexpr uint32_t WM_EXITSIZEMOVE = 0x0232;
constexpr uint32_t WM_DROPFILES = 0x0233;
constexpr uint32_t WM_IME_SETCONTEXT = 0x0281;
constexpr uint32_t WM_IME_NOTIFY = 0x0282;
constexpr uint32_t WM_USER = 0x0400;

// The main window's private messages.
constexpr uint32_t WM_APP_MODAL_NOTIFY = 0x9000;         // show (1) or hide (0) the system cursor
constexpr uint32_t WM_APP_MESSAGE_BOX = 0x9001;          // lParam: a message-box request record
constexpr uint32_t WM_APP_SCREEN_MODE = 0x9002;          // packed mode; lParam: where the result goes
constexpr uint32_t WM_APP_SHOW_FULLSCREEN_MENU = 0x9003;
constexpr uint32_t WM_APP_HIDE_FULLSCREEN_MENU = 0x9004;
constexpr uint32_t WM_APP_JOB_FINISHED = 0x9005;
constexpr uint32_t WM_APP_OBJECT_MOVIE = 0x9006;         // the object movie has events waiting
constexpr uint32_t WM_APP_IME_ENABLE = 0x9007;           // wParam: on (non-zero) or off
constexpr uint32_t WM_APP_IME_OPEN = 0x9008;             // wParam: open (non-zero) or close the IME
constexpr uint32_t WM_APP_DIALOG_REQUEST = 0x9009;       // wParam: a message-dialog request record

// WM_ACTIVATE low word.
constexpr uint32_t WA_INACTIVE = 0;
constexpr uint32_t WA_ACTIVE = 1;

// WM_SETCURSOR / WM_NCHITTEST hit-test codes.
constexpr uint32_t HTCLIENT = 1;

// WM_SYSCOMMAND commands (low four bits are the system's own).
constexpr uint32_t SC_SIZE = 0xF000;
constexpr uint32_t SC_MOVE = 0xF010;
constexpr uint32_t SC_MINIMIZE = 0xF020;
constexpr uint32_t SC_MAXIMIZE = 0xF030;
constexpr uint32_t SC_CLOSE = 0xF060;
constexpr uint32_t SC_KEYMENU = 0xF100;
constexpr uint32_t SC_RESTORE = 0xF120;
constexpr uint32_t SC_SCREENSAVE = 0xF140;

// WM_IME_* details.
constexpr uint32_t GCS_RESULTSTR = 0x0800;
constexpr uint32_t IMN_OPENSTATUSWINDOW = 0x0002;
constexpr uint32_t IMN_CLOSECANDIDATE = 0x0004;
constexpr uint32_t IMN_OPENCANDIDATE = 0x0005;
// The bits of WM_IME_SETCONTEXT's lParam that ask the system to draw its
// composition window, guideline and candidate windows.
constexpr uint32_t ISC_SHOW_SYSTEM_WINDOWS = 0xC000000Fu;

// Mouse-message key state (wParam).
constexpr uint32_t MK_LBUTTON = 0x0001;
constexpr uint32_t MK_RBUTTON = 0x0002;
constexpr uint32_t MK_SHIFT = 0x0004;
constexpr uint32_t MK_CONTROL = 0x0008;
constexpr uint32_t MK_MBUTTON = 0x0010;
constexpr int32_t WHEEL_DELTA = 120;

// Key-message lParam bits.
constexpr uint32_t KF_ALTDOWN_BIT = 1u << 29;
constexpr uint32_t KF_REPEAT_BIT = 1u << 30;
constexpr uint32_t KF_UP_BIT = 1u << 31;

// Virtual key codes.
constexpr uint32_t VK_BACK = 0x08;
constexpr uint32_t VK_TAB = 0x09;
constexpr uint32_t VK_RETURN = 0x0D;
constexpr uint32_t VK_SHIFT = 0x10;
constexpr uint32_t VK_CONTROL = 0x11;
constexpr uint32_t VK_MENU = 0x12;  // Alt
constexpr uint32_t VK_PAUSE = 0x13;
constexpr uint32_t VK_ESCAPE = 0x1B;
constexpr uint32_t VK_SPACE = 0x20;
constexpr uint32_t VK_PRIOR = 0x21;
constexpr uint32_t VK_NEXT = 0x22;
constexpr uint32_t VK_END = 0x23;
constexpr uint32_t VK_HOME = 0x24;
constexpr uint32_t VK_LEFT = 0x25;
constexpr uint32_t VK_UP = 0x26;
constexpr uint32_t VK_RIGHT = 0x27;
constexpr uint32_t VK_DOWN = 0x28;
constexpr uint32_t VK_INSERT = 0x2D;
constexpr uint32_t VK_DELETE = 0x2E;
constexpr uint32_t VK_LWIN = 0x5B;
constexpr uint32_t VK_RWIN = 0x5C;
constexpr uint32_t VK_F1 = 0x70;
constexpr uint32_t VK_F4 = 0x73;
constexpr uint32_t VK_F10 = 0x79;
constexpr uint32_t VK_F12 = 0x7B;

// Window styles.
constexpr uint32_t WS_POPUP = 0x80000000u;
constexpr uint32_t WS_VISIBLE = 0x10000000u;
constexpr uint32_t WS_MAXIMIZE = 0x01000000u;
constexpr uint32_t WS_CAPTION = 0x00C00000u;
constexpr uint32_t WS_SYSMENU = 0x00080000u;
constexpr uint32_t WS_MINIMIZEBOX = 0x00020000u;
constexpr uint32_t WS_MAXIMIZEBOX = 0x00010000u;
constexpr uint32_t WS_EX_TOPMOST = 0x00000008u;

// Show commands.
constexpr int32_t SW_HIDE = 0;
constexpr int32_t SW_SHOWNORMAL = 1;
constexpr int32_t SW_SHOW = 5;
constexpr int32_t SW_MINIMIZE = 6;
constexpr int32_t SW_RESTORE = 9;

}  // namespace orrivel::platform
