#include "ui/ui_hooks.h"

static const char kWait = 0;
const HCURSOR IDC_WAIT = &kWait;

static int SilentBox(HWND, const char*, const char*, unsigned style) {
  return (style & 0x0F) == MB_YESNO ? IDNO : IDOK;
}

static HCURSOR g_current;
static HCURSOR SilentCursor(HCURSOR c) {
  HCURSOR old = g_current;
  g_current = c;
  return old;
}

static void NoSleep(unsigned) {}

static const UiHooks kSilent = {SilentBox, SilentCursor, NoSleep};
static const UiHooks* g_hooks = &kSilent;

const UiHooks* SetUiHooks(const UiHooks* hooks) {
  const UiHooks* old = g_hooks;
  g_hooks = hooks ? hooks : &kSilent;
  return old;
}

int MessageBoxA(HWND owner, const char* text, const char* caption,
                unsigned style) {
  return g_hooks->messageBox(owner, text, caption, style);
}

HCURSOR LoadCursorA(HINSTANCE, HCURSOR id) { return id; }

HCURSOR SetCursor(HCURSOR cursor) { return g_hooks->setCursor(cursor); }

void Sleep(unsigned ms) { g_hooks->sleepMs(ms); }
