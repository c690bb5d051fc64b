// The dialog layer: dialogs built from templates and driven by a dialog
// procedure, with the calls and messages the dialog procedures know from the
// classic dialog manager, on Qt Widgets. An HWND is a pointer to the QWidget
// of the dialog or of one of its controls.
#pragma once

#include <cstdint>

#include "base/handles.h"

typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef intptr_t INT_PTR;
typedef unsigned UINT;
typedef void* HICON;

// A dialog procedure: answers a message it handled with 1, others with 0.
typedef INT_PTR (*DLGPROC)(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);

// Messages a dialog procedure receives.
constexpr UINT WM_CLOSE = 16;
constexpr UINT WM_HELP = 83;
constexpr UINT WM_INITDIALOG = 272;
constexpr UINT WM_COMMAND = 273;
// Files dropped on a dialog that accepts them (DragAcceptFiles): wParam is
// the HDROP, lParam the identifier of the control under the drop point (0:
// the dialog itself, away from its controls). The drop is valid during the
// message only.
constexpr UINT WM_DROPFILES = 0x0233;
// Messages sent to controls and dialogs.
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;

// Notifications in the high half of a command's first parameter.
constexpr unsigned BN_CLICKED = 0;
constexpr unsigned EN_CHANGE = 768;

constexpr int IDOK = 1;      // the command of Return without a default button
constexpr int IDCANCEL = 2;  // the command of the Escape key
constexpr WPARAM ICON_SMALL = 0;
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr int GWL_HINSTANCE = -6;

constexpr unsigned LOWORD(WPARAM w) { return static_cast<unsigned>(w & 0xFFFF); }
constexpr unsigned HIWORD(WPARAM w) { return static_cast<unsigned>((w >> 16) & 0xFFFF); }
constexpr WPARAM MAKEWPARAM(unsigned lo, unsigned hi) {
  return static_cast<WPARAM>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16));
}

// The files of one drop, read with DragQueryFileA.
typedef struct DropFiles* HDROP;

struct RECT {
  int left, top, right, bottom;
};

// The size of the dialog font, 8 points; tests set 10 to see the dialogs as
// a screen of 120 dpi shows them.
void SetDialogPointSize(double points);

// Builds dialog templateId, delivers WM_INITDIALOG (lParam passed on), runs
// it modally over owner (null: no owner) and returns the value given to
// EndDialog; -1 when there is no such template.
INT_PTR DialogBoxParamA(HINSTANCE hinst, int templateId, HWND owner,
                        DLGPROC proc, LPARAM lParam);
// Ends the modal run of hDlg with result; 1 when hDlg is a dialog.
int EndDialog(HWND hDlg, INT_PTR result);

HWND GetDlgItem(HWND hDlg, int id);
// Check state of a check box or radio button of hDlg: 1 checked, 0 not.
UINT IsDlgButtonChecked(HWND hDlg, int id);
// Sets it; any non-zero check checks the button. 1 when the control exists.
int CheckDlgButton(HWND hDlg, int id, UINT check);
// BM_GETCHECK/BM_SETCHECK on a check box or radio button, WM_SETICON on a
// dialog; any other message to a dialog goes to its procedure.
LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Copies the control's text (UTF-8) into buf: at most size - 1 bytes, never
// splitting a character, always terminated. Returns the bytes copied.
UINT GetDlgItemTextA(HWND hDlg, int id, char* buf, int size);
// Sets the control's text. An edit field then reports EN_CHANGE exactly as
// after a user edit, also when the text stays the same.
int SetDlgItemTextA(HWND hDlg, int id, const char* text);

int EnableWindow(HWND hwnd, int enable);
int SetWindowTextA(HWND hwnd, const char* text);
HWND SetFocus(HWND hwnd);

// Window rectangle in screen pixels, frame included.
int GetWindowRect(HWND hwnd, RECT* rect);
// Size of the primary screen.
int GetSystemMetrics(int index);
// Moves and resizes a window unless SWP_NOMOVE / SWP_NOSIZE say otherwise;
// insertAfter is not used.
int SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                 UINT flags);

// The icon resource id (images of 16 to 64 pixels), or null.
HICON LoadIconA(HINSTANCE hinst, int id);
// The window in front: the top modal window (the dialog or message box
// that blocks the others), else the active window.
HWND GetForegroundWindow();
// GWL_HINSTANCE: the instance the dialog was made with.
intptr_t GetWindowLongA(HWND hwnd, int index);

// Lets hDlg receive WM_DROPFILES for files dropped on it or on any of its
// controls (accept 0: back to the controls' own handling). A drop gives
// local files: file:// addresses percent-decoded, or text that is an
// absolute path.
void DragAcceptFiles(HWND hDlg, int accept);
// index 0xFFFFFFFF: the number of files. Else copies file index (UTF-8)
// into buf as GetDlgItemTextA does and returns its length; with buf null
// only the length is returned. 0 for a file that is not there.
UINT DragQueryFileA(HDROP drop, UINT index, char* buf, UINT size);
