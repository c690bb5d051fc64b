// The dialog layer under a recording procedure: messages, keys, buttons,
// texts and the modal run.
#include <QApplication>
#include <QTest>

#include "ui/resources/resource.h"
#include "ui_support.h"

namespace {

struct Msg {
  UINT msg;
  unsigned id, code;
  bool operator==(const Msg& o) const { return msg == o.msg && id == o.id && code == o.code; }
};
std::vector<Msg> g_msgs;
INT_PTR g_helpAnswer = 0;

INT_PTR RecordingProc(HWND, UINT msg, WPARAM w, LPARAM) {
  if (msg == WM_INITDIALOG || msg == WM_COMMAND || msg == WM_CLOSE || msg == WM_HELP)
    g_msgs.push_back({msg, msg == WM_COMMAND ? LOWORD(w) : 0, msg == WM_COMMAND ? HIWORD(w) : 0});
  return msg == WM_INITDIALOG ? 1 : msg == WM_HELP ? g_helpAnswer : 0;
}

// The messages from the first one after `from` on.
std::vector<Msg> Since(size_t from) { return {g_msgs.begin() + from, g_msgs.end()}; }

class DialogLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    g_msgs.clear();
    g_helpAnswer = 0;
  }
};

TEST_F(DialogLayer, InitialisationFocusesFirstTabStopAndEndDialogGivesTheResult) {
  bool sourceFocused = false;
  INT_PTR result = RunDialog(RecordingProc, [&](HWND dlg) {
    sourceFocused = static_cast<QWidget*>(dlg)->focusWidget() == Control(dlg, SOURCE);
    EndDialog(dlg, 42);
  });
  EXPECT_EQ(result, 42);
  ASSERT_FALSE(g_msgs.empty());
  EXPECT_EQ(g_msgs[0].msg, WM_INITDIALOG);
  EXPECT_TRUE(sourceFocused);
  EXPECT_EQ(DialogBoxParamA(nullptr, 999, nullptr, RecordingProc, 0), -1);
}

TEST_F(DialogLayer, TabWalksTheTabStopsInTemplateOrder) {
  std::vector<int> order;
  RunDialog(RecordingProc, [&](HWND dlg) {
    QWidget* d = static_cast<QWidget*>(dlg);
    const int ids[] = {SOURCE, SOURCEBTN, TARGET, TARGETBTN, TOTAL, IDPREVIEW,
                       IDOK, IDINFO, ID_HELP, IDOPT, IDCANCEL, SOURCE};
    for (size_t step = 0; step < std::size(ids); ++step) {
      for (int candidate : ids)
        if (d->focusWidget() == Control(dlg, candidate)) { order.push_back(candidate); break; }
      QTest::keyClick(d->focusWidget(), Qt::Key_Tab);
    }
  });
  EXPECT_EQ(order, (std::vector<int>{SOURCE, SOURCEBTN, TARGET, TARGETBTN, TOTAL, IDPREVIEW,
                                     IDOK, IDINFO, ID_HELP, IDOPT, IDCANCEL, SOURCE}));
}

struct KeyCase {
  int focus;  // control with the focus
  int key;
  Msg expected;
};

class DialogKeys : public DialogLayer, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(DialogKeys, SendTheirMessage) {
  const KeyCase& c = GetParam();
  std::vector<Msg> got;
  RunDialog(RecordingProc, [&](HWND dlg) {
    size_t from = g_msgs.size();
    Key(dlg, c.focus, c.key);
    got = Since(from);
  });
  EXPECT_EQ(got, std::vector<Msg>{c.expected});
}

INSTANTIATE_TEST_SUITE_P(
    Keys, DialogKeys,
    ::testing::Values(
        // Return: the default push button ("Beenden") unless a push button has the focus.
        KeyCase{SOURCE, Qt::Key_Return, {WM_COMMAND, IDCANCEL, BN_CLICKED}},
        KeyCase{SOURCE, Qt::Key_Enter, {WM_COMMAND, IDCANCEL, BN_CLICKED}},
        KeyCase{IDINFO, Qt::Key_Return, {WM_COMMAND, IDINFO, BN_CLICKED}},
        KeyCase{TOTAL, Qt::Key_Return, {WM_COMMAND, IDCANCEL, BN_CLICKED}},
        KeyCase{TARGET, Qt::Key_Escape, {WM_COMMAND, IDCANCEL, BN_CLICKED}},
        KeyCase{IDOK, Qt::Key_Escape, {WM_COMMAND, IDCANCEL, BN_CLICKED}},
        KeyCase{SOURCE, Qt::Key_F1, {WM_HELP, 0, 0}}));

TEST_F(DialogLayer, CloseBoxAsksTheProcedureAndKeepsTheDialogOpen) {
  bool openAfter = false;
  RunDialog(RecordingProc, [&](HWND dlg) {
    static_cast<QWidget*>(dlg)->close();
    openAfter = IsOpen(dlg);
  });
  EXPECT_EQ(g_msgs.back(), (Msg{WM_CLOSE, 0, 0}));
  EXPECT_TRUE(openAfter);
}

TEST_F(DialogLayer, HelpAnsweredWithZeroGoesOnToTheOwner) {
  for (INT_PTR answer : {0, 1}) {
    g_helpAnswer = answer;
    int helpCount = 0;
    RunDialog(RecordingProc, [&](HWND owner) {
      RunDialog(RecordingProc, [&](HWND nested) {
        size_t from = g_msgs.size();
        Key(nested, SOURCE, Qt::Key_F1);
        for (const Msg& m : Since(from)) helpCount += m.msg == WM_HELP;
      }, owner);
    });
    EXPECT_EQ(helpCount, answer ? 1 : 2) << "answer " << answer;
  }
}

TEST_F(DialogLayer, CheckBoxTogglesItselfPlainRadioButtonDoesNot) {
  bool total = false, html = true;
  std::vector<Msg> got;
  RunDialog(RecordingProc, [&](HWND dlg) {
    size_t from = g_msgs.size();
    Click(dlg, TOTAL);
    Click(dlg, HTML);
    got = Since(from);
    total = Checked(dlg, TOTAL);
    html = Checked(dlg, HTML);
    SendMessageA(GetDlgItem(dlg, HTML), BM_SETCHECK, 4, 0);  // any non-zero checks
    html = html || !Checked(dlg, HTML);
  });
  EXPECT_TRUE(total);
  EXPECT_FALSE(html);
  EXPECT_EQ(got, (std::vector<Msg>{{WM_COMMAND, TOTAL, BN_CLICKED}, {WM_COMMAND, HTML, BN_CLICKED}}));
}

TEST_F(DialogLayer, ProgramSetTextReportsChangeLikeTypingEvenWhenUnchanged) {
  std::vector<Msg> got;
  RunDialog(RecordingProc, [&](HWND dlg) {
    size_t from = g_msgs.size();
    SetDlgItemTextA(dlg, SOURCE, "a");
    SetDlgItemTextA(dlg, SOURCE, "a");
    Type(dlg, TARGET, "b");
    got = Since(from);
  });
  Msg src{WM_COMMAND, SOURCE, EN_CHANGE}, tgt{WM_COMMAND, TARGET, EN_CHANGE};
  EXPECT_EQ(got, (std::vector<Msg>{src, src, tgt}));
}

TEST_F(DialogLayer, ReadTextIsCutToTheBufferWithoutSplittingACharacter) {
  struct Case {
    std::string text;
    int size;
    std::string expected;
  };
  std::string umlauts;
  for (int i = 0; i < 300; ++i) umlauts += "ä";
  const Case cases[] = {
      {"", 512, ""},
      {"abc", 3, "ab"},
      {"aää", 4, "aä"},
      {"aää", 5, "aä"},
      {umlauts, 512, umlauts.substr(0, 510)},
      {std::string(600, 'x'), 512, std::string(511, 'x')},
  };
  RunDialog(RecordingProc, [&](HWND dlg) {
    for (const Case& c : cases) {
      SetDlgItemTextA(dlg, SOURCE, c.text.c_str());
      char buf[MAXPATH];
      UINT n = GetDlgItemTextA(dlg, SOURCE, buf, c.size);
      EXPECT_EQ(std::string(buf), c.expected) << c.text.size() << " bytes into " << c.size;
      EXPECT_EQ(n, c.expected.size());
    }
  });
}

}  // namespace
