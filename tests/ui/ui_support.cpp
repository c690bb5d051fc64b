#include "ui_support.h"

#include <QApplication>
#include <QPushButton>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>

#include "base/text.h"
#include "settings/store.h"
#include "ui/app_state.h"
#include "ui/help.h"
#include "ui/main_dialog.h"
#include "ui/preview.h"
#include "ui/resources/resource.h"

void FreshState() {
  FreshSettings();
  ResetAppState();
}

static MessageLog* g_log;
static HCURSOR g_cursor;

static int RecordBox(HWND, const char* text, const char* caption, unsigned style) {
  g_log->entries.push_back({text, caption, style});
  return (style & 0x0F) == MB_YESNO ? g_log->answer : IDOK;
}

static HCURSOR RecordCursor(HCURSOR c) {
  g_log->busy += c == IDC_WAIT ? 1 : -1;
  HCURSOR old = g_cursor;
  g_cursor = c;
  return old;
}

static void RecordPause(unsigned ms) { g_log->paused += ms; }

static const UiHooks kRecording = {RecordBox, RecordCursor, RecordPause};

RecordingUi::RecordingUi(MessageLog* log) {
  g_log = log;
  g_cursor = nullptr;
  previous = SetUiHooks(&kRecording);
}

RecordingUi::~RecordingUi() { SetUiHooks(previous); }

FakeChooser g_fakeChooser;
std::vector<std::string> g_helpPages;
std::vector<std::string> g_openedFiles;

// Calls scenario with the dialog of the next modal loop, and ends that
// dialog (result -2) if the scenario left it open.
static void InNextDialog(const std::function<void(HWND)>& scenario) {
  QTimer::singleShot(0, [scenario] {
    HWND dlg = static_cast<void*>(QApplication::activeModalWidget());
    scenario(dlg);
    if (IsOpen(dlg)) EndDialog(dlg, -2);
  });
}

INT_PTR RunDialog(DLGPROC proc, const std::function<void(HWND)>& scenario,
                  HWND owner, LPARAM param) {
  InNextDialog(scenario);
  return DialogBoxParamA(nullptr, IDD_MAIN, owner, proc, param);
}

void OpenNested(HWND main, int button, const std::function<void(HWND)>& scenario) {
  InNextDialog(scenario);
  Click(main, button);
}

INT_PTR RunMainDialog(const std::function<void(HWND)>& scenario, const char* file) {
  return RunDialog(DialogFunc, scenario, nullptr, reinterpret_cast<LPARAM>(file));
}

void WhenNextDialogRuns(const std::function<void()>& action) {
  QTimer::singleShot(0, action);
}

QWidget* Control(HWND dlg, int id) { return static_cast<QWidget*>(GetDlgItem(dlg, id)); }

void Click(HWND dlg, int id) {
  QWidget* w = Control(dlg, id);
  ASSERT_NE(w, nullptr) << id;
  QPoint at = w->rect().center();
  if (!qobject_cast<QPushButton*>(w)) at = QPoint(6, w->height() / 2);
  QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at);
}

void Type(HWND dlg, int id, const std::string& text) {
  QWidget* w = Control(dlg, id);
  w->setFocus();
  QTest::keyClicks(w, QString::fromUtf8(text.c_str()));
}

void Retype(HWND dlg, int id, const std::string& text) {
  QWidget* w = Control(dlg, id);
  w->setFocus();
  QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(w, Qt::Key_Backspace);
  QTest::keyClicks(w, QString::fromUtf8(text.c_str()));
}

void Key(HWND dlg, int id, int qtKey) {
  QWidget* w = id ? Control(dlg, id) : static_cast<QWidget*>(dlg);
  w->setFocus();
  QTest::keyClick(w, static_cast<Qt::Key>(qtKey));
}

bool Checked(HWND dlg, int id) { return SendMessageA(GetDlgItem(dlg, id), BM_GETCHECK, 0, 0) == 1; }
bool Enabled(HWND dlg, int id) { return Control(dlg, id)->isEnabled(); }

std::string Text(HWND dlg, int id) {
  char buf[4096];
  GetDlgItemTextA(dlg, id, buf, sizeof buf);
  return buf;
}

bool IsOpen(HWND dlg) { return dlg && static_cast<QWidget*>(dlg)->isVisible(); }

int FakeGetOpenFileName(OPENFILENAMEA* ofn) {
  FakeChooser& f = g_fakeChooser;
  ++f.calls;
  f.title = ofn->lpstrTitle;
  f.firstLabel = ofn->lpstrFilter;
  f.initialDir = ofn->lpstrInitialDir;
  f.defExt = ofn->lpstrDefExt;
  f.offered = ofn->lpstrFile;
  f.flags = ofn->Flags;
  if (f.path.empty()) return 0;
  CopyText(ofn->lpstrFile, ofn->nMaxFile, f.path.c_str());
  const char* slash = std::strrchr(ofn->lpstrFile, '/');
  ofn->nFileOffset = static_cast<unsigned short>(slash ? slash - ofn->lpstrFile + 1 : 0);
  return 1;
}

static void RecordHelp(HWND, const char* page) { g_helpPages.push_back(page); }
static void RecordOpen(HWND, const char* path) { g_openedFiles.push_back(path); }

std::string SettingsFile() {
  return std::string(std::getenv("XDG_CONFIG_HOME")) + "/mirtun/mirtun.reg";
}

void UiTest::SetUp() {
  FreshState();
  std::remove(SettingsFile().c_str());
  ui = new RecordingUi(&log);
  g_fakeChooser = FakeChooser();
  g_helpPages.clear();
  g_openedFiles.clear();
  SetFileChooser(FakeGetOpenFileName);
  SetHelpViewer(RecordHelp);
  SetFileOpener(RecordOpen);
}

void UiTest::TearDown() {
  SetFileChooser(nullptr);
  SetHelpViewer(nullptr);
  SetFileOpener(nullptr);
  delete ui;
  std::remove(SettingsFile().c_str());
}

void UiTest::Store() {
  SaveRecentData();
  FreshState();
}
