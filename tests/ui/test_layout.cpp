// Every dialog shows every text whole, no control covers another, no
// label's text touches the control beside it and the group boxes share their
// right edge, in the fonts of today's desktops (Noto Sans, DejaVu Sans) at
// 96, 120 and 144 dpi.
// ctest runs this suite once per font and resolution; MIRTUN_TEST_FONT names
// the font and MIRTUN_TEST_DPI the resolution (tests/ui/main.cpp).
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <string>
#include <vector>

#include "ui/dialog.h"
#include "ui/resources/resource.h"
#include "ui_support.h"

namespace {

INT_PTR QuietProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG ? 1 : 0; }

std::string Name(QWidget* w) {
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text().toStdString();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text().toStdString();
  return w->metaObject()->className();
}

// The width the control's text needs, or 0 for a text that may wrap.
int Needed(QWidget* w) {
  QFontMetrics fm(w->font());
  if (auto* l = qobject_cast<QLabel*>(w)) {
    if (l->wordWrap() || (l->alignment() & Qt::AlignHCenter)) return 0;
    return fm.horizontalAdvance(l->text());
  }
  if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) return w->sizeHint().width();
  if (auto* b = qobject_cast<QPushButton*>(w)) return fm.horizontalAdvance(b->text());
  return 0;
}

void CheckLayout(QWidget* dlg, int id) {
  std::vector<QWidget*> controls;
  for (QWidget* w : dlg->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    if (w->isVisibleTo(dlg)) controls.push_back(w);
  ASSERT_FALSE(controls.empty()) << id;
  for (QWidget* w : controls) {
    EXPECT_GE(w->width(), Needed(w)) << id << " clips " << Name(w);
    if (auto* l = qobject_cast<QLabel*>(w); l && l->wordWrap()) {
      EXPECT_LE(l->heightForWidth(l->width()), l->height()) << id << " cuts the lines of " << Name(w);
    }
    EXPECT_TRUE(dlg->rect().contains(w->geometry())) << id << " cuts " << Name(w);
    auto* box = qobject_cast<QGroupBox*>(w);
    for (QWidget* other : controls) {
      if (other == w) continue;
      if (box) {
        if (box->geometry().contains(other->geometry().topLeft())) {
          EXPECT_TRUE(box->geometry().contains(other->geometry()))
              << id << " box " << Name(w) << " cuts " << Name(other);
        }
        continue;
      }
      if (qobject_cast<QGroupBox*>(other)) continue;
      EXPECT_FALSE(w->geometry().intersects(other->geometry()))
          << id << ": " << Name(w) << " covers " << Name(other);
      // A control to the right of a label's text, on its row, starts at
      // least a few pixels after it.
      auto* label = qobject_cast<QLabel*>(w);
      bool sameRow = other->y() < w->geometry().bottom() && w->y() < other->geometry().bottom();
      if (label && !label->wordWrap() && sameRow && other->x() > w->x()) {
        EXPECT_GE(other->x() - (w->x() + Needed(w)), 4)
            << id << ": " << Name(w) << " touches " << Name(other);
      }
    }
  }
  int boxRight = -1;
  for (QWidget* w : controls) {
    if (!qobject_cast<QGroupBox*>(w)) continue;
    if (boxRight >= 0) {
      EXPECT_EQ(w->geometry().right(), boxRight) << id << " box " << Name(w);
    }
    boxRight = w->geometry().right();
  }
}

}  // namespace

TEST(Layout, EveryTextWholeAndNothingCovered) {
  for (int id : {IDD_MAIN, IDD_OPTIONS, IDD_INFO}) {
    WhenNextDialogRuns([id] {
      QWidget* dlg = QApplication::activeModalWidget();
      ASSERT_NE(dlg, nullptr);
      CheckLayout(dlg, id);
      EndDialog(dlg, 0);
    });
    DialogBoxParamA(nullptr, id, nullptr, QuietProc, 0);
  }
}
