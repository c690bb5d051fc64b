// A conversion run off the UI thread: the dialogs keep repainting, and a run
// that takes longer than about half a second shows a small progress dialog
// ("Eintrag 1.234 von 5.000") whose "Abbrechen" stops it.
#pragma once

#include <functional>

#include "base/handles.h"
#include "engine/convert.h"

// Runs work on a thread of its own, giving it a RunControl to report to and
// to be stopped through, and returns its result when it ends. The progress
// dialog is owned by owner. User input that comes before the dialog shows
// is held back until the run ends.
ConvertResult RunWithProgress(HWND owner, const std::function<ConvertResult(RunControl*)>& work);

// How long a run goes before the progress dialog shows, in milliseconds
// (tests set 0). Returns the value before.
int SetProgressDelay(int ms);

// The progress dialog while it shows, else null.
HWND ProgressDialog();

// Stops the run going on, if any, as "Abbrechen" does. Safe to call from a
// signal handler.
void StopCurrentRun();
