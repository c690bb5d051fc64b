#include "engine/convert.h"

#include <cstring>
#include <stdio_ext.h>
#include <memory>

#include "engine/output.h"
#include "engine/text.h"
#include "platform/files.h"
#include "platform/ui.h"

static const char HTMLHEAD1[] =
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"><html>\n"
    "<head><title>Playlist ";
static const char HTMLHEAD2[] =
    "</title></head>\n<body>\n"
    "<table border=\"1\" cellspacing=\"4\" cellpadding=\"4\" summary=\"Playlist ";
static const char HTMLHEAD3[] = "\">";
static const char HTMLTAIL[] = "</table>\n</body>\n</html>\n";

static const int MSGSIZE = 500;

namespace {
struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using SourceFile = std::unique_ptr<FILE, FileCloser>;
}  // namespace

READER ChooseReader(const char* path) {
  const char* dot = std::strrchr(path, '.');
  if (dot && EqualsNoCase(dot, ".pls")) return plsOutputLine;
  if (dot && EqualsNoCase(dot, ".xml")) return xmlOutputLine;
  return OutputLine;
}

void WriteListing(TextStream* inFile, FILE* outFile) {
  // One thread writes this stream: spare every small write its lock.
  __fsetlocking(outFile, FSETLOCKING_BYCALLER);
  if (g_htmlFlag) {
    // The source path stands in the head twice, escaped like every text.
    std::fputs(HTMLHEAD1, outFile);
    PutHtml(outFile, g_opnFName);
    std::fputs(HTMLHEAD2, outFile);
    PutHtml(outFile, g_opnFName);
    std::fputs(HTMLHEAD3, outFile);
  }
  const char* sep = g_kommaFlag ? "," : "\t";
  ChooseReader(g_opnFName)(inFile, outFile, sep);
  if (g_htmlFlag) std::fputs(HTMLTAIL, outFile);
}

void FormatFileMessage(char* buf, size_t cap, const char* fmt,
                       const char* name) {
  // Room for the name: the buffer less the text around "%s" and the zero.
  size_t fixed = std::strlen(fmt) - 2;
  size_t room = cap - 1 > fixed ? cap - 1 - fixed : 0;
  size_t len = std::strlen(name);
  if (len <= room) {
    FormatText(buf, cap, fmt, name);
    return;
  }
  // Keep the end of the name, which tells one file from another, behind
  // "...", and never start inside a character.
  char shortName[MAXPATH];
  size_t keep = room > 3 ? room - 3 : 0;
  const char* tail = name + len - keep;
  while (keep > 0 && (static_cast<unsigned char>(*tail) & 0xC0) == 0x80) {
    ++tail;
    --keep;
  }
  FormatText(shortName, sizeof shortName, "...%s", tail);
  FormatText(buf, cap, fmt, shortName);
}

static void Complain(HWND hDlg, const char* fmt, const char* name,
                     const char* caption) {
  char msg[MSGSIZE];
  FormatFileMessage(msg, sizeof msg, fmt, name);
  MessageBoxA(hDlg, msg, caption, MB_OK | MB_ICONEXCLAMATION);
}

// Opens the source for reading; only a regular file is a source.
static SourceFile OpenSource() {
  if (!IsRegularFile(g_opnFName)) return nullptr;
  return SourceFile(std::fopen(g_opnFName, "rb"));
}

static SourceFile OpenSourceOrComplain(HWND hDlg) {
  SourceFile src = OpenSource();
  if (!src) {
    Complain(hDlg, "Die Quelldatei %s wurde nicht gefunden!",
             PathFileName(g_opnFName), "Quelldatei öffnen");
  }
  return src;
}

int CreateTargetFile(HWND hDlg) {
  SourceFile src = OpenSourceOrComplain(hDlg);
  if (!src) return 0;
  const char* name = PathFileName(g_savFName);

  // Writing the source over itself would lose it.
  if (IsSameFile(src.get(), g_savFName)) {
    MessageBoxA(hDlg, "Quelldatei und Zieldatei sind dieselbe Datei!",
                "Zieldatei öffnen", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }

  if (PathExists(g_savFName)) {
    char msg[MSGSIZE];
    FormatFileMessage(msg, sizeof msg,
                      "Die Zieldatei %s existiert bereits! Überschreiben?", name);
    if (MessageBoxA(hDlg, msg, "Zieldatei überschreiben",
                    MB_YESNO | MB_ICONQUESTION) == IDNO) {
      return 0;
    }
  }

  TargetFile target;
  if (!OpenTargetFile(&target, g_savFName)) {
    Complain(hDlg, "Die Zieldatei %s konnte nicht geöffnet werden!", name,
             "Zieldatei öffnen");
    return 0;
  }

  TextStream in;
  TsInit(&in, src.get());
  SetMouseBusy(1);
  WriteListing(&in, target.file);
  src.reset();
  int written = CommitTargetFile(&target);

  if (written) {
    const char* slash = std::strrchr(g_savFName, '/');
    if (g_sInitDir[0] == '\0' && slash) {
      CopyTextN(g_sInitDir, sizeof g_sInitDir, g_savFName,
                static_cast<size_t>(slash - g_savFName) + 1);
    }
    Sleep(300);
  }
  SetMouseBusy(0);
  if (!written) {
    Complain(hDlg, "Die Zieldatei %s konnte nicht geschrieben werden!", name,
             "Zieldatei schreiben");
    return 0;
  }
  return 1;
}

int CreatePreviewFile(HWND, const char* PrevName) {
  SourceFile src = OpenSource();
  if (!src) return 0;
  TargetFile target;
  if (!OpenTargetFile(&target, PrevName)) return 0;
  TextStream in;
  TsInit(&in, src.get());
  WriteListing(&in, target.file);
  src.reset();
  return CommitTargetFile(&target);
}

int CreateTargetStream(HWND hDlg, FILE* outFile, const char* outName) {
  SourceFile src = OpenSourceOrComplain(hDlg);
  if (!src) return 0;
  TextStream in;
  TsInit(&in, src.get());
  WriteListing(&in, outFile);
  if (std::fflush(outFile) != 0 || std::ferror(outFile)) {
    Complain(hDlg, "Die Zieldatei %s konnte nicht geschrieben werden!",
             outName, "Zieldatei schreiben");
    return 0;
  }
  return 1;
}

void SetMouseBusy(int busy) {
  static HCURSOR old_hc = nullptr;
  if (busy) {
    old_hc = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  } else {
    SetCursor(old_hc);
  }
}
