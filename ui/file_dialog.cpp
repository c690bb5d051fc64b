// The file chooser on Qt's own file dialog (the same on every desktop, so
// the filter labels read exactly as given).
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include <cstring>

#include "base/path.h"
#include "base/text.h"
#include "ui/choosers.h"

// "label\0pattern\0...\0" as Qt name filters "label (glob glob)". "*.*"
// means every file, with or without a dot; each glob is also given in upper
// case, since Linux file names are matched case-sensitively.
static QStringList NameFilters(const char* list) {
  QStringList filters;
  for (const char* p = list; p && *p;) {
    QString label = QString::fromUtf8(p);
    p += std::strlen(p) + 1;
    if (!*p) break;
    QStringList globs;
    for (const QString& glob : QString::fromUtf8(p).split(u';', Qt::SkipEmptyParts)) {
      if (glob == QLatin1String("*.*")) {
        globs << QStringLiteral("*");
        continue;
      }
      globs << glob;
      if (glob.toUpper() != glob) globs << glob.toUpper();
    }
    p += std::strlen(p) + 1;
    filters << label + QStringLiteral(" (") + globs.join(u' ') + u')';
  }
  return filters;
}

int QtGetOpenFileName(OPENFILENAMEA* ofn) {
  QFileDialog dlg(static_cast<QWidget*>(ofn->hwndOwner),
                  QString::fromUtf8(ofn->lpstrTitle ? ofn->lpstrTitle : ""));
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setOption(QFileDialog::HideNameFilterDetails);
  if (ofn->Flags & OFN_SAVEDIALOG) {
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setOption(QFileDialog::DontConfirmOverwrite);
  } else {
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
  }
  dlg.setFileMode(ofn->Flags & OFN_FOLDER          ? QFileDialog::Directory
                  : ofn->Flags & OFN_FILEMUSTEXIST ? QFileDialog::ExistingFile
                                                   : QFileDialog::AnyFile);
  if (ofn->Flags & OFN_FOLDER) dlg.setOption(QFileDialog::ShowDirsOnly);
  QStringList filters = NameFilters(ofn->lpstrFilter);
  dlg.setNameFilters(filters);
  int index = ofn->nFilterIndex > 0 ? static_cast<int>(ofn->nFilterIndex) - 1 : 0;
  if (index < filters.size()) dlg.selectNameFilter(filters[index]);
  // The type list is as wide as its longest label, so no label is cut; the
  // dialog widens with it.
  if (auto* types = dlg.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
    types->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    types->setMinimumWidth(types->sizeHint().width());
  }
  if (ofn->lpstrDefExt && std::strncmp(ofn->lpstrDefExt, "*.", 2) == 0)
    dlg.setDefaultSuffix(QString::fromUtf8(ofn->lpstrDefExt + 2));
  if (ofn->lpstrInitialDir && *ofn->lpstrInitialDir)
    dlg.setDirectory(QString::fromUtf8(ofn->lpstrInitialDir));
  if (*ofn->lpstrFile) dlg.selectFile(QString::fromUtf8(ofn->lpstrFile));

  while (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty()) {
    QString chosen = dlg.selectedFiles().first();
    QByteArray path = chosen.toUtf8();
    if ((ofn->Flags & OFN_PATHMUSTEXIST) && !(ofn->Flags & OFN_FOLDER) &&
        !QFileInfo(chosen).dir().exists()) {
      QMessageBox::warning(&dlg, dlg.windowTitle(),
                           QStringLiteral("Der Ordner %1 existiert nicht.")
                               .arg(QFileInfo(chosen).path()));
      continue;
    }
    // A cut path would name another file; it has to fit as it is.
    if (path.size() > static_cast<int>(ofn->nMaxFile) - 1) {
      QMessageBox::warning(&dlg, dlg.windowTitle(),
                           QStringLiteral("Der Pfad ist zu lang."));
      continue;
    }
    CopyText(ofn->lpstrFile, ofn->nMaxFile, path.constData());
    ofn->nFileOffset = static_cast<unsigned short>(PathFolderLen(ofn->lpstrFile));
    return 1;
  }
  return 0;
}

int SourceFromArgument(const char* arg, char* out, size_t cap) {
  if (!arg || !*arg || cap == 0) return 0;
  QString text = QString::fromUtf8(arg);
  QString path;
  if (text.startsWith(QLatin1String("file:"))) {
    QUrl url(text);
    if (!url.isLocalFile()) return 0;
    path = url.toLocalFile();
  } else if (text.contains(QLatin1String("://"))) {
    return 0;  // an address of another kind names no file here
  } else {
    path = QDir::current().absoluteFilePath(text);
  }
  QByteArray bytes = QDir::cleanPath(path).toUtf8();
  if (bytes.isEmpty() || static_cast<size_t>(bytes.size()) >= cap) return 0;
  CopyText(out, cap, bytes.constData());
  return 1;
}
