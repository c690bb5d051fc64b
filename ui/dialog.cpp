#include "ui/dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QDropEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QUrl>

#include <algorithm>
#include <vector>

#include "base/text.h"
#include "ui/resources/resource.h"
#include "ui/resources/templates.h"

// The local files of one drop, as UTF-8 paths.
struct DropFiles {
  std::vector<QByteArray> paths;
};

namespace {

// What a drop gives as files: every address of a URL list when all of them
// are local files (a file manager's drag), else a text of one line that is
// a file:// address or an absolute path (a drag from a terminal or an
// editor). Anything else is no file drop. True when there is a file.
bool DroppedFiles(const QMimeData* data, DropFiles* files) {
  files->paths.clear();
  if (!data) return false;
  if (data->hasUrls()) {
    for (const QUrl& url : data->urls()) {
      if (!url.isLocalFile()) return false;
      files->paths.push_back(url.toLocalFile().toUtf8());
    }
    return !files->paths.empty();
  }
  if (!data->hasText()) return false;
  QString text = data->text().trimmed();
  if (text.isEmpty() || text.contains(u'\n')) return false;
  if (text.startsWith(QLatin1String("file:"))) {
    QUrl url(text);
    if (!url.isLocalFile()) return false;
    text = url.toLocalFile();
  }
  if (!text.startsWith(u'/')) return false;
  files->paths.push_back(text.toUtf8());
  return true;
}

QWidget* Widget(HWND hwnd) { return static_cast<QWidget*>(hwnd); }
HWND Handle(QWidget* widget) { return static_cast<void*>(widget); }

// A radio button that does not check itself when clicked: the dialog
// procedure decides which one is checked.
class PlainRadioButton : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;

 protected:
  void nextCheckState() override {}
};

// A radio button that checks itself when clicked and stays checked when
// clicked again; the dialog clears the other buttons of its group.
class AutoRadioButton : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;

 protected:
  void nextCheckState() override { setChecked(true); }
};

// Dialog units are measured in the dialog font: a horizontal unit is a
// quarter of its average character width, a vertical one an eighth of its
// height. Laying the controls out in these units keeps the template's
// proportions whatever font the desktop uses.
struct BaseUnits {
  int x, y;
};

double g_pointSize = 8;

QFont DialogFont() {
  QFont font = QApplication::font();
  font.setPointSizeF(g_pointSize);
  return font;
}

BaseUnits MeasureBaseUnits(const QFont& font) {
  QFontMetrics fm(font);
  int width = fm.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(width / 26 + 1) / 2, fm.height()};
}

int ToPixels(int du, int base, int per) { return (du * base + per / 2) / per; }

// A dialog made from a template and run by its procedure.
class DialogWindow : public QDialog {
 public:
  DialogWindow(const DialogTemplate& t, QWidget* owner, DLGPROC proc,
               HINSTANCE hinst)
      : QDialog(owner), proc_(proc), hinst_(hinst) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8(t.caption));
    setFont(DialogFont());
    BaseUnits base = MeasureBaseUnits(font());
    setFixedSize(ToPixels(t.w, base.x, 4), ToPixels(t.h, base.y, 8));
    QWidget* previousStop = nullptr;
    int group = 0;
    for (int i = 0; i < t.count; ++i) {
      const ControlTemplate& c = t.controls[i];
      // A group runs from a control that starts one up to the next such
      // control; it bounds which radio buttons clear each other.
      if (c.style & GROUP) ++group;
      QWidget* w = MakeControl(c, group);
      w->setGeometry(ToPixels(c.x, base.x, 4), ToPixels(c.y, base.y, 8),
                     ToPixels(c.w, base.x, 4), ToPixels(c.h, base.y, 8));
      if (c.style & TABSTOP) {
        w->setFocusPolicy(Qt::StrongFocus);
        if (previousStop) setTabOrder(previousStop, w);
        previousStop = w;
      }
      controls_.push_back({c.id, w, group});
    }
    FitControls(base);
  }

  INT_PTR Deliver(UINT msg, WPARAM wParam, LPARAM lParam) {
    return proc_(Handle(this), msg, wParam, lParam);
  }

  QWidget* Control(int id) const {
    for (const Entry& e : controls_)
      if (e.id == id) return e.widget;
    return nullptr;
  }

  void FocusFirstTabStop() {
    for (const Entry& e : controls_) {
      QWidget* w = e.widget;
      if (w->focusPolicy() == Qt::StrongFocus && w->isEnabled()) {
        w->setFocus(Qt::TabFocusReason);
        return;
      }
    }
  }

  // The fields would take a drop as text pasted into their path; while the
  // dialog takes files, it takes every drop on its controls itself.
  void AcceptFiles(bool accept) {
    setAcceptDrops(accept);
    for (const Entry& e : controls_)
      if (auto* edit = qobject_cast<QLineEdit*>(e.widget)) edit->setAcceptDrops(!accept);
  }

  void End(INT_PTR result) {
    result_ = result;
    ended_ = true;
    done(0);
  }
  bool Ended() const { return ended_; }
  INT_PTR Result() const { return result_; }
  HINSTANCE Instance() const { return hinst_; }

 protected:
  // Return, Escape and F1 are the dialog's own keys; Qt's default-button
  // handling is left out (every push button has autoDefault off).
  void keyPressEvent(QKeyEvent* e) override {
    switch (e->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        PressReturn();
        return;
      case Qt::Key_Escape:
        SendCommand(IDCANCEL, BN_CLICKED);
        return;
      case Qt::Key_F1:
        SendHelp();
        return;
      default:
        QWidget::keyPressEvent(e);
    }
  }

  void dragEnterEvent(QDragEnterEvent* e) override {
    DropFiles files;
    if (DroppedFiles(e->mimeData(), &files)) e->acceptProposedAction();
    else e->ignore();
  }

  void dragMoveEvent(QDragMoveEvent* e) override {
    DropFiles files;
    if (DroppedFiles(e->mimeData(), &files)) e->acceptProposedAction();
    else e->ignore();
  }

  void dropEvent(QDropEvent* e) override {
    DropFiles files;
    if (!DroppedFiles(e->mimeData(), &files)) {
      e->ignore();
      return;
    }
    e->acceptProposedAction();
    Deliver(WM_DROPFILES, reinterpret_cast<WPARAM>(&files),
            ControlAt(e->position().toPoint()));
  }

  // The close box and Alt+F4 ask the procedure; only EndDialog closes.
  void closeEvent(QCloseEvent* e) override {
    if (ended_) return;
    e->ignore();
    Deliver(WM_CLOSE, 0, 0);
  }

 private:
  QWidget* MakeControl(const ControlTemplate& c, int group) {
    QString text = QString::fromUtf8(c.text);
    const int id = c.id;
    switch (c.kind) {
      case ControlKind::Edit: {
        auto* edit = new QLineEdit(text, this);
        connect(edit, &QLineEdit::textEdited, this,
                [this, id] { SendCommand(id, EN_CHANGE); });
        return edit;
      }
      case ControlKind::PushButton: {
        auto* button = new QPushButton(text, this);
        button->setAutoDefault(false);
        if (c.style & DEFPUSHBUTTON) {
          button->setDefault(true);
          defaultId_ = id;
        }
        return Clickable(button, id);
      }
      case ControlKind::CheckBox:
        return Clickable(new QCheckBox(text, this), id);
      case ControlKind::RadioButton: {
        auto* radio = new PlainRadioButton(text, this);
        radio->setAutoExclusive(false);
        return Clickable(radio, id);
      }
      case ControlKind::AutoRadioButton: {
        auto* radio = new AutoRadioButton(text, this);
        radio->setAutoExclusive(false);
        radio->setFocusPolicy(Qt::ClickFocus);
        connect(radio, &QAbstractButton::clicked, this, [this, id, group, radio] {
          ClearGroupRadios(group, radio);
          SendCommand(id, BN_CLICKED);
        });
        return radio;
      }
      case ControlKind::GroupBox: {
        auto* box = new QGroupBox(text, this);
        box->setFocusPolicy(Qt::NoFocus);
        return box;
      }
      case ControlKind::Label:
        break;
    }
    // Static text is shown as it stands (no markup) and wraps like the
    // classic static control.
    auto* label = new QLabel(text, this);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(((c.style & CENTER) ? Qt::AlignHCenter : Qt::AlignLeft) |
                        Qt::AlignTop);
    return label;
  }

  // The width a control needs to show its text whole, or 0 when it may keep
  // its template's width (wrapping and centred texts, fields).
  static int NeededWidth(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) {
      QFontMetrics fm(label->font());
      if (label->alignment() & Qt::AlignHCenter || label->height() >= 2 * fm.height())
        return 0;
      label->setWordWrap(false);
      return fm.horizontalAdvance(label->text());
    }
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w))
      return w->sizeHint().width();
    if (auto* button = qobject_cast<QPushButton*>(w))
      return QFontMetrics(button->font()).horizontalAdvance(button->text()) + 12;
    return 0;
  }

  // The templates were laid out for a narrower font than most desktops use
  // (Noto Sans, DejaVu Sans, or any font at 120 or 144 dpi). Every label,
  // check box, radio button and push button is widened to its text rather
  // than clipped; a control that it then runs into (or, after a label,
  // comes closer than the gap) moves right, row by row, and a group box and
  // the dialog grow to hold what moved. With a font that fits the template
  // nothing moves.
  void FitControls(BaseUnits base) {
    const int gap = ToPixels(2, base.x, 4);
    const int labelGap = ToPixels(4, base.x, 4);  // an average character
    std::vector<QRect> original;
    for (const Entry& e : controls_) original.push_back(e.widget->geometry());
    for (const Entry& e : controls_) {
      int need = NeededWidth(e.widget);
      if (need > e.widget->width()) e.widget->resize(need, e.widget->height());
    }
    auto isBox = [](QWidget* w) { return qobject_cast<QGroupBox*>(w) != nullptr; };
    for (bool moved = true; moved;) {
      moved = false;
      for (const Entry& a : controls_) {
        if (isBox(a.widget)) continue;
        for (const Entry& b : controls_) {
          if (&a == &b || isBox(b.widget) || b.widget->x() < a.widget->x()) continue;
          if (b.widget->x() == a.widget->x() && &b < &a) continue;
          // A label's text keeps a character's room before the control
          // beside it, so that it never touches the field it names.
          QRect need = a.widget->geometry();
          int to = need.right() + 1 + gap;
          if (auto* label = qobject_cast<QLabel*>(a.widget); label && !label->wordWrap()) {
            int free = label->x() + QFontMetrics(label->font()).horizontalAdvance(label->text()) +
                       labelGap;
            need.setRight(std::max(need.right(), free - 1));
            to = std::max(to, free);
          }
          if (!need.intersects(b.widget->geometry())) continue;
          b.widget->move(to, b.widget->y());
          moved = true;
        }
      }
    }
    int right = width() - gap;
    for (size_t g = 0; g < controls_.size(); ++g) {
      QWidget* box = controls_[g].widget;
      if (!isBox(box)) continue;
      for (size_t k = 0; k < controls_.size(); ++k) {
        if (k == g || !original[g].contains(original[k].topLeft())) continue;
        int need = controls_[k].widget->geometry().right() + 1 + gap - box->x();
        if (need > box->width()) box->resize(need, box->height());
      }
    }
    // Group boxes that end at the same place in the template still do.
    for (size_t g = 0; g < controls_.size(); ++g) {
      if (!isBox(controls_[g].widget)) continue;
      int shared = controls_[g].widget->geometry().right();
      for (size_t k = 0; k < controls_.size(); ++k)
        if (isBox(controls_[k].widget) && original[k].right() == original[g].right())
          shared = std::max(shared, controls_[k].widget->geometry().right());
      QWidget* box = controls_[g].widget;
      box->resize(shared + 1 - box->x(), box->height());
    }
    // The dialog keeps on the right the margin its controls have on the left.
    int margin = width();
    for (const Entry& e : controls_) {
      right = std::max(right, e.widget->geometry().right() + 1);
      margin = std::min(margin, e.widget->x());
    }
    if (right + margin > width()) setFixedSize(right + margin, height());
  }

  // The identifier of the control at pos (dialog coordinates), 0 for none.
  // A control drawn over a group box is found before the box.
  int ControlAt(QPoint pos) const {
    for (QWidget* w = childAt(pos); w && w != this; w = w->parentWidget())
      for (const Entry& e : controls_)
        if (e.widget == w) return e.id;
    return 0;
  }

  void ClearGroupRadios(int group, QWidget* except) {
    for (const Entry& e : controls_)
      if (e.group == group && e.widget != except)
        if (auto* radio = dynamic_cast<AutoRadioButton*>(e.widget))
          radio->setChecked(false);
  }

  // Buttons that are no tab stop still take the focus when clicked.
  QWidget* Clickable(QAbstractButton* button, int id) {
    button->setFocusPolicy(Qt::ClickFocus);
    connect(button, &QAbstractButton::clicked, this,
            [this, id] { SendCommand(id, BN_CLICKED); });
    return button;
  }

  void SendCommand(int id, unsigned code) {
    Deliver(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), code),
            reinterpret_cast<LPARAM>(Control(id)));
  }

  // A focused push button takes Return itself; otherwise the default push
  // button's command is sent (IDOK when the template has none).
  void PressReturn() {
    for (const Entry& e : controls_) {
      if (e.widget == focusWidget() && dynamic_cast<QPushButton*>(e.widget)) {
        SendCommand(e.id, BN_CLICKED);
        return;
      }
    }
    QWidget* def = Control(defaultId_);
    if (!def || def->isEnabled()) SendCommand(def ? defaultId_ : IDOK, BN_CLICKED);
  }

  // Help goes to this dialog; a dialog that answers 0 passes it on to its
  // owner.
  void SendHelp() {
    for (DialogWindow* d = this; d;
         d = dynamic_cast<DialogWindow*>(d->parentWidget())) {
      if (d->Deliver(WM_HELP, 0, 0)) return;
    }
  }

  DLGPROC proc_;
  HINSTANCE hinst_;
  struct Entry {
    int id;
    QWidget* widget;
    int group;
  };
  std::vector<Entry> controls_;
  int defaultId_ = 0;
  bool ended_ = false;
  INT_PTR result_ = 0;
};

DialogWindow* Dialog(HWND hwnd) {
  return dynamic_cast<DialogWindow*>(Widget(hwnd));
}

QString ControlText(QWidget* w) {
  if (auto* edit = dynamic_cast<QLineEdit*>(w)) return edit->text();
  if (auto* button = dynamic_cast<QAbstractButton*>(w)) return button->text();
  if (auto* label = dynamic_cast<QLabel*>(w)) return label->text();
  if (auto* box = dynamic_cast<QGroupBox*>(w)) return box->title();
  return w->windowTitle();
}

void SetControlText(QWidget* w, const QString& text) {
  if (auto* edit = dynamic_cast<QLineEdit*>(w)) edit->setText(text);
  else if (auto* button = dynamic_cast<QAbstractButton*>(w)) button->setText(text);
  else if (auto* label = dynamic_cast<QLabel*>(w)) label->setText(text);
  else if (auto* box = dynamic_cast<QGroupBox*>(w)) box->setTitle(text);
  else w->setWindowTitle(text);
}

}  // namespace

void SetDialogPointSize(double points) { g_pointSize = points; }

INT_PTR DialogBoxParamA(HINSTANCE hinst, int templateId, HWND owner,
                        DLGPROC proc, LPARAM lParam) {
  const DialogTemplate* t = FindDialogTemplate(templateId);
  if (!t || !proc) return -1;
  DialogWindow dlg(*t, Widget(owner), proc, hinst);
  // The native window exists before the initialisation, so that placing
  // the dialog there can count its frame where the platform knows it.
  dlg.winId();
  if (dlg.Deliver(WM_INITDIALOG, 0, lParam)) dlg.FocusFirstTabStop();
  if (!dlg.Ended()) dlg.exec();
  return dlg.Result();
}

int EndDialog(HWND hDlg, INT_PTR result) {
  DialogWindow* d = Dialog(hDlg);
  if (!d) return 0;
  d->End(result);
  return 1;
}

HWND GetDlgItem(HWND hDlg, int id) {
  DialogWindow* d = Dialog(hDlg);
  return d ? Handle(d->Control(id)) : nullptr;
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  QWidget* w = Widget(hwnd);
  if (!w) return 0;
  auto* button = dynamic_cast<QAbstractButton*>(w);
  switch (msg) {
    case BM_GETCHECK:
      return button && button->isChecked() ? 1 : 0;
    case BM_SETCHECK:
      if (button) button->setChecked(wParam != 0);
      return 0;
    case WM_SETICON:
      // Qt keeps one icon with all its sizes; the small one is taken from it.
      if (lParam) w->setWindowIcon(*reinterpret_cast<const QIcon*>(lParam));
      return 0;
    default:
      break;
  }
  DialogWindow* d = Dialog(hwnd);
  return d ? d->Deliver(msg, wParam, lParam) : 0;
}

UINT GetDlgItemTextA(HWND hDlg, int id, char* buf, int size) {
  if (!buf || size <= 0) return 0;
  buf[0] = '\0';
  QWidget* w = Widget(GetDlgItem(hDlg, id));
  if (!w) return 0;
  QByteArray text = ControlText(w).toUtf8();
  size_t n = Utf8CutBytes(text.constData(), static_cast<size_t>(text.size()),
                          static_cast<size_t>(size - 1));
  return static_cast<UINT>(
      CopyTextN(buf, static_cast<size_t>(size), text.constData(), n));
}

int SetDlgItemTextA(HWND hDlg, int id, const char* text) {
  QWidget* w = Widget(GetDlgItem(hDlg, id));
  if (!w) return 0;
  SetControlText(w, QString::fromUtf8(text ? text : ""));
  if (dynamic_cast<QLineEdit*>(w))
    SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), EN_CHANGE),
                 reinterpret_cast<LPARAM>(w));
  return 1;
}

int EnableWindow(HWND hwnd, int enable) {
  QWidget* w = Widget(hwnd);
  if (!w) return 0;
  int wasDisabled = w->isEnabled() ? 0 : 1;
  w->setEnabled(enable != 0);
  return wasDisabled;
}

int SetWindowTextA(HWND hwnd, const char* text) {
  QWidget* w = Widget(hwnd);
  if (!w) return 0;
  QString s = QString::fromUtf8(text ? text : "");
  if (w->isWindow()) w->setWindowTitle(s);
  else SetControlText(w, s);
  return 1;
}

HWND SetFocus(HWND hwnd) {
  HWND before = Handle(QApplication::focusWidget());
  if (QWidget* w = Widget(hwnd)) w->setFocus(Qt::OtherFocusReason);
  return before;
}

int GetWindowRect(HWND hwnd, RECT* rect) {
  QWidget* w = Widget(hwnd);
  if (!w || !rect) return 0;
  QRect r = w->isWindow() ? w->frameGeometry()
                          : QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
  *rect = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  return 1;
}

int GetSystemMetrics(int index) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 0;
  QRect r = screen->geometry();
  if (index == SM_CXSCREEN) return r.width();
  if (index == SM_CYSCREEN) return r.height();
  return 0;
}

int SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
  QWidget* w = Widget(hwnd);
  if (!w) return 0;
  if (!(flags & SWP_NOMOVE)) w->move(x, y);  // a window's frame goes to x, y
  if (!(flags & SWP_NOSIZE)) w->resize(cx, cy);
  return 1;
}

HICON LoadIconA(HINSTANCE, int id) {
  if (id != IDI_MIRTUN) return nullptr;
  // Made once and kept for the whole run, as a loaded resource is.
  static QIcon* icon = [] {
    auto* i = new QIcon;
    for (int size : {16, 24, 32, 48, 64})
      i->addFile(QStringLiteral(":/mirtun/mirtun-%1.png").arg(size), QSize(size, size));
    return i;
  }();
  return icon;
}

HWND GetForegroundWindow() {
  // A modal window always stands in front of the windows it blocks.
  QWidget* w = QApplication::activeModalWidget();
  return Handle(w ? w : QApplication::activeWindow());
}

intptr_t GetWindowLongA(HWND hwnd, int index) {
  QWidget* w = Widget(hwnd);
  if (!w || index != GWL_HINSTANCE) return 0;
  DialogWindow* d = dynamic_cast<DialogWindow*>(w->window());
  return d ? reinterpret_cast<intptr_t>(d->Instance()) : 0;
}

void DragAcceptFiles(HWND hDlg, int accept) {
  if (DialogWindow* d = Dialog(hDlg)) d->AcceptFiles(accept != 0);
}

UINT DragQueryFileA(HDROP drop, UINT index, char* buf, UINT size) {
  if (!drop) return 0;
  if (index == 0xFFFFFFFFu) return static_cast<UINT>(drop->paths.size());
  if (index >= drop->paths.size()) return 0;
  const QByteArray& path = drop->paths[index];
  if (!buf) return static_cast<UINT>(path.size());
  if (size == 0) return 0;
  size_t n = Utf8CutBytes(path.constData(), static_cast<size_t>(path.size()), size - 1);
  return static_cast<UINT>(CopyTextN(buf, size, path.constData(), n));
}

UINT IsDlgButtonChecked(HWND hDlg, int id) {
  return static_cast<UINT>(SendMessageA(GetDlgItem(hDlg, id), BM_GETCHECK, 0, 0));
}

int CheckDlgButton(HWND hDlg, int id, UINT check) {
  HWND button = GetDlgItem(hDlg, id);
  if (!button) return 0;
  SendMessageA(button, BM_SETCHECK, check, 0);
  return 1;
}
