// The conversion run's message boxes and wait cursor as Qt shows them.
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

#include "ui/message_box.h"
#include "ui_support.h"

namespace {

TEST(QtMessageBoxes, GermanButtonsIconsAndAnswers) {
  struct Case {
    unsigned style;
    QMessageBox::Icon icon;
    QStringList buttons;
    QString click;
    int result;
  };
  const Case cases[] = {
      {MB_OK | MB_ICONEXCLAMATION, QMessageBox::Warning, {"OK"}, "OK", IDOK},
      {MB_YESNO | MB_ICONQUESTION, QMessageBox::Question, {"Ja", "Nein"}, "Nein", IDNO},
      {MB_YESNO | MB_ICONQUESTION, QMessageBox::Question, {"Ja", "Nein"}, "Ja", IDYES},
  };
  for (const Case& c : cases) {
    QStringList buttons;
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenNextDialogRuns([&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      icon = box->icon();
      caption = box->windowTitle();
      text = box->text();
      for (QAbstractButton* b : box->buttons()) buttons << b->text();
      for (QAbstractButton* b : box->buttons())
        if (b->text() == c.click) b->click();
    });
    EXPECT_EQ(QtMessageBox(nullptr, "Die Zieldatei ä.txt existiert bereits!", "Zieldatei überschreiben",
                           c.style),
              c.result);
    buttons.sort();
    QStringList expected = c.buttons;
    expected.sort();
    EXPECT_EQ(buttons, expected);
    EXPECT_EQ(icon, c.icon);
    EXPECT_EQ(caption, QString::fromUtf8("Zieldatei überschreiben"));
    EXPECT_EQ(text, QString::fromUtf8("Die Zieldatei ä.txt existiert bereits!"));
  }
}

TEST(QtMessageBoxes, WaitCursorComesAndGoes) {
  const UiHooks* before = SetUiHooks(&kQtUiHooks);
  HCURSOR old = SetCursor(IDC_WAIT);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  SetCursor(old);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  SetUiHooks(before);
}

}  // namespace
