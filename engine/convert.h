// The conversion run: opens the source and the target, writes the HTML
// frame, hands both streams to the reader chosen by the source's extension.
#pragma once

#include <cstdio>

#include "engine/textstream.h"
#include "settings/settings.h"

// A reader: writes every row of the source and the total line.
typedef void (*READER)(TextStream* inFile, FILE* outFile, const char* sep);

void OutputLine(TextStream* inFile, FILE* outFile, const char* sep);
void plsOutputLine(TextStream* inFile, FILE* outFile, const char* sep);
void xmlOutputLine(TextStream* inFile, FILE* outFile, const char* sep);

// The reader for a source path: ".pls" and ".xml" (ignoring case) from the
// last "." of the path to its end, anything else the list reader.
READER ChooseReader(const char* path);

// HTML head, reader, HTML tail for the current source g_opnFName.
void WriteListing(TextStream* inFile, FILE* outFile);

// Writes g_savFName from g_opnFName, talking to the user. 1 when written.
int CreateTargetFile(HWND hDlg);

// Writes the preview file PrevName silently. 1 when written.
int CreatePreviewFile(HWND hDlg, const char* PrevName);

// Writes the listing of g_opnFName to an already open stream (standard
// output), with the source messages of CreateTargetFile. outName names the
// stream in a write-error message. 1 when everything was written.
int CreateTargetStream(HWND hDlg, FILE* outFile, const char* outName);

// Wait cursor on (non-zero) or back to the cursor from before (zero).
void SetMouseBusy(int busy);

// Builds a message from fmt (one "%s") and a file name into a buffer of
// cap bytes; a name that does not fit is shortened visibly with "...".
void FormatFileMessage(char* buf, size_t cap, const char* fmt,
                       const char* name);
