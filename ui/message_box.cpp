#include "ui/message_box.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

int QtMessageBox(HWND owner, const char* text, const char* caption,
                 unsigned style) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  if ((style & 0xF0) == MB_ICONEXCLAMATION) icon = QMessageBox::Warning;
  else if ((style & 0xF0) == MB_ICONQUESTION) icon = QMessageBox::Question;
  QMessageBox box(icon, QString::fromUtf8(caption), QString::fromUtf8(text),
                  QMessageBox::NoButton, static_cast<QWidget*>(owner));
  if ((style & 0x0F) != MB_YESNO) {
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return IDOK;
  }
  QPushButton* yes = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
  // Escape and the close box answer "Nein": the safe answer to a question
  // that would otherwise overwrite a file.
  QPushButton* no = box.addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes ? IDYES : IDNO;
}

// The wait cursor is an application-wide override cursor; any other cursor
// means "none", the cursor each widget shows by itself.
static HCURSOR QtSetCursor(HCURSOR cursor) {
  static HCURSOR shown = nullptr;
  HCURSOR before = shown;
  if (cursor == IDC_WAIT && shown != IDC_WAIT)
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  else if (cursor != IDC_WAIT && shown == IDC_WAIT)
    QGuiApplication::restoreOverrideCursor();
  shown = cursor;
  return before;
}

static void QtSleep(unsigned ms) { QThread::msleep(ms); }

const UiHooks kQtUiHooks = {QtMessageBox, QtSetCursor, QtSleep};
