// The few ways in which the program talks to the user outside its dialogs:
// a message box, the wait cursor and a short pause. The program installs
// its Qt versions; tests install recording ones.
#pragma once

#include "base/handles.h"
#include "ui/dialog.h"

// Message box styles and answers (IDOK, IDYES, IDNO), with the values the
// dialogs know them by.
constexpr unsigned MB_OK = 0x00;
constexpr unsigned MB_YESNO = 0x04;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// A cursor is null (the cursor each window shows by itself) or the wait
// cursor.
extern const HCURSOR IDC_WAIT;

struct UiHooks {
  // Shows text with caption, owned by owner; returns IDOK, IDYES or IDNO.
  int (*messageBox)(HWND owner, const char* text, const char* caption,
                    unsigned style);
  // Makes cursor the current cursor; returns the one current before.
  HCURSOR (*setCursor)(HCURSOR cursor);
  // Pauses the calling thread.
  void (*sleepMs)(unsigned ms);
};

// Installs hooks (null: the silent defaults, which answer every question
// with IDNO, keep no cursor and do not pause). Returns the hooks before.
const UiHooks* SetUiHooks(const UiHooks* hooks);

int MessageBoxA(HWND owner, const char* text, const char* caption,
                unsigned style);
HCURSOR LoadCursorA(HINSTANCE inst, HCURSOR id);
HCURSOR SetCursor(HCURSOR cursor);
void Sleep(unsigned ms);
