// Helpers of the UI tests: the main dialog run with a scenario inside its
// modal loop, real mouse and keyboard input on its controls, and recording
// stand-ins for the file chooser, the help viewer and the file opener.
#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "support.h"
#include "ui/choosers.h"
#include "ui/dialog.h"
#include "ui/ui_hooks.h"

// Start values of the settings and of the program's run-time state.
void FreshState();

// Records every message box and answers questions with `answer`.
struct MessageLog {
  struct Entry {
    std::string text, caption;
    unsigned style;
  };
  std::vector<Entry> entries;
  int answer = IDYES;
  int busy = 0;  // wait cursor switched on minus switched off
  unsigned paused = 0;  // milliseconds of pauses asked for
};

// Installs a recording UI for the lifetime of the object.
struct RecordingUi {
  explicit RecordingUi(MessageLog* log);
  ~RecordingUi();
  const UiHooks* previous;
};

// Runs dialog template 100 with proc, calling scenario(dialog) once its
// modal loop runs. The dialog is ended afterwards (result -2) if the
// scenario left it open, so a failing scenario never hangs.
INT_PTR RunDialog(DLGPROC proc, const std::function<void(HWND)>& scenario,
                  HWND owner = nullptr, LPARAM param = 0);
// The same with the main dialog's procedure; file is the source the program
// was started with, or null.
INT_PTR RunMainDialog(const std::function<void(HWND)>& scenario,
                      const char* file = nullptr);

// Clicks button of the main dialog and calls scenario(dialog) once the
// dialog it opens runs; that dialog is ended afterwards (result -2) if the
// scenario left it open.
void OpenNested(HWND main, int button, const std::function<void(HWND)>& scenario);

// Calls action once the next modal loop (a nested dialog) runs.
void WhenNextDialogRuns(const std::function<void()>& action);

QWidget* Control(HWND dlg, int id);
// A left click: push buttons in the middle, check boxes and radio buttons
// on their indicator.
void Click(HWND dlg, int id);
// Types text into a field, key by key.
void Type(HWND dlg, int id, const std::string& text);
// Empties a field with the keyboard and types text into it.
void Retype(HWND dlg, int id, const std::string& text);
void Key(HWND dlg, int id, int qtKey);
bool Checked(HWND dlg, int id);
bool Enabled(HWND dlg, int id);
std::string Text(HWND dlg, int id);
bool IsOpen(HWND dlg);

// A chooser stand-in: answers with `path` (or cancels when empty) and
// records what it was asked.
struct FakeChooser {
  std::string path;
  int calls = 0;
  std::string title, firstLabel, initialDir, defExt, offered;
  unsigned flags = 0;
};
extern FakeChooser g_fakeChooser;
int FakeGetOpenFileName(OPENFILENAMEA* ofn);

extern std::vector<std::string> g_helpPages;
extern std::vector<std::string> g_openedFiles;

// A fresh start for each test: start values, no stored settings, recording
// message boxes, chooser, help viewer and file opener.
class UiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Stores the settings as they are now and goes back to start values, so
  // that the dialog loads them as stored settings.
  void Store();
  TempDir dir;
  MessageLog log;
  RecordingUi* ui = nullptr;
};

// Path of the stored settings file.
std::string SettingsFile();
