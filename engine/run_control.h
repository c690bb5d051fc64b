// How a running conversion is watched and stopped from outside: the count
// of entries written and of all entries, and a request to stop. The front
// ends read the counts (a progress dialog, a progress line) and set the
// request (a button, a signal); the conversion checks it between entries.
#pragma once

#include <atomic>
#include <cstdint>

struct RunControl {
  bool countFirst = true;  // count the entries before the rows (for total)
  std::atomic<bool> cancel{false};
  std::atomic<int64_t> done{0};    // rows written so far
  std::atomic<int64_t> total{-1};  // entries of the source; -1 until counted
  // Called on the converting thread after every row when set; it may look
  // at the counts and must return quickly.
  void (*onRow)(RunControl* ctl) = nullptr;
  void* context = nullptr;  // for onRow and onUnreadable
  // Called on the converting thread, in the order of the rows, for an entry
  // whose file exists but could not be read (error: its errno); the row
  // then shows what the file's name gives.
  void (*onUnreadable)(RunControl* ctl, const char* entry, int error) = nullptr;
};
