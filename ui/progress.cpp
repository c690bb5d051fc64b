#include "ui/progress.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocale>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <thread>

namespace {
int g_delay = 500;
QPointer<QProgressDialog> g_dialog;
std::atomic<RunControl*> g_current{nullptr};  // the run going on

QString EntryText(int64_t done, int64_t total) {
  QLocale german(QLocale::German, QLocale::Germany);
  if (total < 0) return QStringLiteral("Einträge werden gezählt …");
  return QStringLiteral("Eintrag %1 von %2")
      .arg(german.toString(qint64(done)), german.toString(qint64(total)));
}

QProgressDialog* MakeDialog(QWidget* owner, RunControl* ctl) {
  auto* dlg = new QProgressDialog(owner);
  dlg->setWindowTitle(QStringLiteral("Mirtun"));
  dlg->setCancelButtonText(QStringLiteral("Abbrechen"));
  dlg->setWindowModality(Qt::ApplicationModal);
  dlg->setAutoClose(false);
  dlg->setAutoReset(false);
  dlg->setMinimumDuration(0);
  // "Abbrechen", Escape and the close box stop the run; nothing more is said.
  QObject::connect(dlg, &QProgressDialog::canceled, dlg, [ctl] { ctl->cancel.store(true); });
  return dlg;
}

void Update(QProgressDialog* dlg, RunControl* ctl) {
  int64_t done = ctl->done.load(), total = ctl->total.load();
  dlg->setLabelText(EntryText(done, total));
  if (total > 0) {
    // The bar counts in int; a list of more entries shows in proportion.
    int scale = total > 1000000000 ? 1000 : 1;
    dlg->setMaximum(static_cast<int>(total / scale));
    dlg->setValue(static_cast<int>((done < total ? done : total) / scale));
  } else {
    dlg->setMaximum(0);  // no count: a busy bar
  }
}
}  // namespace

int SetProgressDelay(int ms) {
  int before = g_delay;
  g_delay = ms;
  return before;
}

HWND ProgressDialog() { return g_dialog.data(); }

void StopCurrentRun() {
  RunControl* ctl = g_current.load();
  if (ctl) ctl->cancel.store(true);
}

ConvertResult RunWithProgress(HWND owner, const std::function<ConvertResult(RunControl*)>& work) {
  RunControl ctl;
  g_current.store(&ctl);
  std::atomic<bool> finished{false};
  ConvertResult result = CONVERT_CANCELLED;
  QEventLoop loop;
  std::thread worker([&] {
    result = work(&ctl);
    finished.store(true);
    QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
  });

  // Until the dialog shows, the dialogs repaint but take no input: a click
  // now waits for the run's end, as it would with the run on this thread.
  bool show = false;
  QTimer later;
  later.setSingleShot(true);
  QObject::connect(&later, &QTimer::timeout, &loop, [&] {
    show = true;
    loop.quit();
  });
  later.start(g_delay);
  if (!finished.load()) loop.exec(QEventLoop::ExcludeUserInputEvents);

  if (show && !finished.load()) {
    QProgressDialog* dlg = MakeDialog(static_cast<QWidget*>(owner), &ctl);
    g_dialog = dlg;
    Update(dlg, &ctl);
    dlg->show();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, dlg, [dlg, &ctl] { Update(dlg, &ctl); });
    tick.start(100);
    if (!finished.load()) loop.exec();
    tick.stop();
    delete dlg;
  }
  worker.join();
  g_current.store(nullptr);
  return result;
}
