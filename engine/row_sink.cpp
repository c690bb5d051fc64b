#include "engine/row_sink.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/entry.h"
#include "engine/json_output.h"
#include "engine/xlsx_output.h"

namespace {
// Jobs resolved ahead of the row being written.
constexpr size_t kWindow = 64;
// Files in the page cache are read fastest on one thread: several threads
// opening files contend in the kernel. A job that takes this long waited
// for a disk or a network: from then on the threads read ahead.
constexpr auto kSlowJob = std::chrono::microseconds(500);

enum SlotState { SLOT_FREE, SLOT_QUEUED, SLOT_DONE };
}  // namespace

// Runs a job's function and keeps what its files could not give.
static void Resolve(RowJob* job, const RunSettings& s) {
  TakeFileError();
  job->resolve(job, s);
  job->fileError = TakeFileError();
}

struct Pipeline {
  std::vector<RowJob> jobs;
  std::vector<SlotState> state;
  size_t head = 0;  // the oldest job not written
  size_t tail = 0;  // the next job to fill
  std::mutex lock;
  std::condition_variable work;  // a job is queued, or the workers are to stop
  std::condition_variable ready;  // a job is done
  std::deque<size_t> queue;
  std::vector<std::thread> workers;
  int idle = 0;                // workers waiting for a job
  bool ahead = false;          // jobs go to the workers (reading is slow)
  bool writerWaiting = false;  // the writer waits for a job to be done
  bool stopping = false;
  const RunSettings* s;

  explicit Pipeline(const RunSettings* settings)
      : jobs(kWindow), state(kWindow, SLOT_FREE), ahead(settings->aheadAtOnce), s(settings) {}
  ~Pipeline() {
    {
      std::lock_guard<std::mutex> g(lock);
      stopping = true;
    }
    work.notify_all();
    for (std::thread& t : workers) t.join();
  }

  // Runs the oldest queued job; called with the lock held.
  void RunOne(std::unique_lock<std::mutex>& g) {
    size_t k = queue.front();
    queue.pop_front();
    g.unlock();
    Resolve(&jobs[k], *s);
    g.lock();
    state[k] = SLOT_DONE;
    if (writerWaiting) ready.notify_one();
  }

  void Work() {
    std::unique_lock<std::mutex> g(lock);
    for (;;) {
      ++idle;
      work.wait(g, [this] { return stopping || !queue.empty(); });
      --idle;
      if (stopping) return;
      RunOne(g);
    }
  }

  // Threads are started by the first job that reads files.
  void StartWorkers() {
    if (!workers.empty()) return;
    int n = s->threads;
    for (int k = 0; k < n; ++k) workers.emplace_back([this] { Work(); });
  }
};

RowSink::RowSink() = default;
RowSink::~RowSink() = default;

void SinkInit(RowSink* sink, FILE* out, const RunSettings* s, RunControl* ctl, bool counting) {
  sink->out = out;
  sink->s = s;
  sink->cols = ColumnsFrom(*s);
  sink->tsum = 0;
  sink->rows = 0;
  sink->badLine = 0;
  sink->ctl = ctl;
  sink->counting = counting;
  sink->book = nullptr;
  sink->pipe.reset(new Pipeline(s));
}

bool Cancelled(const RowSink* sink) {
  return sink->ctl && sink->ctl->cancel.load(std::memory_order_relaxed);
}

static void CountRow(RowSink* sink) {
  ++sink->rows;
  if (sink->counting || !sink->ctl) return;
  sink->ctl->done.store(sink->rows, std::memory_order_relaxed);
  if (sink->ctl->onRow) sink->ctl->onRow(sink->ctl);
}

// A row's time into the total: a negative one counts as 0, an unknown one
// not at all. Returns the time as it counts.
static int32_t CountTime(RowSink* sink, int32_t seconds) {
  if (seconds == kNoTime) return seconds;
  if (seconds < 0) seconds = 0;
  sink->tsum += static_cast<uint64_t>(seconds);
  return seconds;
}

// One row in JSON, which takes the whole row at once.
static void WriteJsonRow(RowSink* sink, const char* artist, const char* title, int32_t seconds,
                         const char* entry) {
  CountTime(sink, seconds);
  JsonRow(sink->out, *sink->s, sink->rows == 0, artist, title, seconds, entry);
}

static void WriteNames(RowSink* sink, const char* artist, const char* title) {
  if (sink->book) {
    NameForOutput(sink->heldArtist, artist, NOARTIST);
    NameForOutput(sink->heldTitle, title, NOTITLE);
    return;
  }
  WriteNamePart(sink->out, *sink->s, sink->cols, artist, title);
}

static void WriteTime(RowSink* sink, int32_t seconds) {
  char timefmt[TIMEFMT_SIZE] = "";
  seconds = CountTime(sink, seconds);
  if (seconds != kNoTime) FormatTime(timefmt, seconds);
  if (sink->book) {
    XlsxRow(sink->book, sink->heldArtist, sink->heldTitle, seconds);
    return;
  }
  WriteTimePart(sink->out, *sink->s, timefmt);
}

// Waits for job k, or for the run to be stopped: a stop request comes
// without a notification, so it is looked at now and then.
static void WaitDone(RowSink* sink, std::unique_lock<std::mutex>& g, size_t k) {
  Pipeline* p = sink->pipe.get();
  while (p->state[k] != SLOT_DONE && !Cancelled(sink)) {
    // Rather than wait idle, the writer takes a queued job itself.
    if (!p->queue.empty()) {
      p->RunOne(g);
      continue;
    }
    p->writerWaiting = true;
    p->ready.wait_for(g, std::chrono::milliseconds(50));
    p->writerWaiting = false;
  }
}

// Writes the jobs that are done, oldest first; with wait, also waits for
// the oldest until none is pending. Called with the lock held.
static void WriteDone(RowSink* sink, std::unique_lock<std::mutex>& g, bool wait) {
  Pipeline* p = sink->pipe.get();
  while (p->head < p->tail && !Cancelled(sink)) {
    size_t k = p->head % kWindow;
    if (p->state[k] != SLOT_DONE) {
      if (!wait) return;
      WaitDone(sink, g, k);
      if (p->state[k] != SLOT_DONE) return;  // stopped
    }
    RowJob& job = p->jobs[k];
    g.unlock();
    if (job.fileError && sink->ctl && sink->ctl->onUnreadable)
      sink->ctl->onUnreadable(sink->ctl, job.text, job.fileError);
    if (sink->s->json) {
      WriteJsonRow(sink, job.artist, job.title, job.seconds, job.text);
    } else {
      WriteNames(sink, job.artist, job.title);
      WriteTime(sink, job.seconds);
    }
    CountRow(sink);
    g.lock();
    p->state[k] = SLOT_FREE;
    ++p->head;
  }
}

RowJob* NextJob(RowSink* sink) {
  if (Cancelled(sink)) return nullptr;
  Pipeline* p = sink->pipe.get();
  if (sink->counting) return &p->jobs[0];
  std::unique_lock<std::mutex> g(p->lock);
  WriteDone(sink, g, false);
  while (p->tail - p->head >= kWindow) {
    WaitDone(sink, g, p->head % kWindow);
    if (Cancelled(sink)) return nullptr;
    WriteDone(sink, g, false);
  }
  RowJob* job = &p->jobs[p->tail % kWindow];
  job->fileError = 0;
  job->text[0] = '\0';
  return job;
}

void SubmitJob(RowSink* sink, RowJob* job, bool readsFiles) {
  Pipeline* p = sink->pipe.get();
  if (sink->counting) {
    ++sink->rows;
    return;
  }
  size_t k = p->tail % kWindow;
  bool parallel = readsFiles && job->resolve && sink->s->threads > 1 && p->ahead;
  if (!parallel && job->resolve) {
    auto start = std::chrono::steady_clock::now();
    Resolve(job, *sink->s);
    if (readsFiles && std::chrono::steady_clock::now() - start > kSlowJob) p->ahead = true;
  }
  std::unique_lock<std::mutex> g(p->lock);
  ++p->tail;
  if (parallel) {
    p->StartWorkers();
    p->state[k] = SLOT_QUEUED;
    p->queue.push_back(k);
    if (p->idle > 0) p->work.notify_one();
  } else {
    p->state[k] = SLOT_DONE;
  }
  WriteDone(sink, g, false);
}

// Every job before a row that is written directly.
static void Drain(RowSink* sink) {
  Pipeline* p = sink->pipe.get();
  if (p->head == p->tail) return;
  std::unique_lock<std::mutex> g(p->lock);
  WriteDone(sink, g, true);
}

void AddRow(RowSink* sink, const char* artist, const char* title, int32_t seconds) {
  if (sink->counting) {
    ++sink->rows;
    return;
  }
  Drain(sink);
  if (sink->s->json) {
    WriteJsonRow(sink, artist, title, seconds, "");
  } else {
    WriteNames(sink, artist, title);
    WriteTime(sink, seconds);
  }
  CountRow(sink);
}

void Finish(RowSink* sink) {
  if (sink->counting) return;
  Drain(sink);
  if (Cancelled(sink)) return;
  if (sink->s->json)
    JsonEnd(sink->out, sink->tsum);
  else if (sink->book)
    XlsxTotal(sink->book, sink->tsum, sink->rows);
  else
    CreateTotalTime(sink->out, *sink->s, sink->tsum, sink->rows);
}
