#include "engine/row_sink.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/entry.h"
#include "engine/json_output.h"
#include "engine/xlsx_output.h"
#include "platform/cpu.h"

namespace {
// Jobs resolved ahead of the row being written.
constexpr size_t kWindow = 128;
// Files in the page cache cost processor time only. The first ones are read
// on the writer's thread alone, as threads would not pay for a short list;
// once reading has taken this long, the list is long enough, and as many
// threads as there are processors share it, in batches large enough that
// handing them over costs little beside the reading. (Starting a thread
// takes well under a tenth of this.)
constexpr auto kBusyReading = std::chrono::milliseconds(1);

enum SlotState { SLOT_FREE, SLOT_QUEUED, SLOT_DONE };
// How the jobs that read files are run: on the writer's thread; on one
// thread per processor (the files are in the page cache); on every thread
// the run may have, a few jobs at a time, so that many reads are under way
// at once (a thread had to wait for a disk or a network).
enum AheadMode { AHEAD_NONE, AHEAD_BUSY, AHEAD_SLOW };

using Clock = std::chrono::steady_clock;
}  // namespace

// Runs a job's function and keeps what its files could not give.
static void Resolve(RowJob* job, const RunSettings& s) {
  TakeFileError();
  job->resolve(job, s);
  job->fileError = TakeFileError();
}

// A run of jobs handed to a worker at once: positions [first, end) of the
// list; the ones among them still queued are its to resolve.
struct Batch {
  size_t first, end;
};

struct Pipeline {
  std::unique_ptr<RowJob[]> jobs{new RowJob[kWindow]};
  std::vector<SlotState> state;
  size_t head = 0;  // the oldest job not written
  size_t tail = 0;  // the next job to fill
  size_t held = 0;  // the first job not yet handed to the workers
  size_t heldQueued = 0;  // jobs from held on that wait for a worker
  std::mutex lock;
  std::condition_variable work;  // a batch is queued, or the workers are to stop
  std::condition_variable ready;  // a job is done
  std::deque<Batch> queue;
  std::vector<std::thread> workers;
  int idle = 0;                // workers waiting for a batch
  AheadMode mode = AHEAD_NONE;
  size_t batch = 1;            // jobs handed over at once
  Clock::duration reading{0};  // time the writer's thread spent reading files
  int64_t sleeps;              // the writer thread's sleeps before its last job
  int cores = 0;               // processors to use; 0: not asked yet
  bool slowSeen = false;       // a worker had to wait for a file
  bool writerWaiting = false;  // the writer waits for a job to be done
  bool stopping = false;
  const RunSettings* s;

  explicit Pipeline(const RunSettings* settings)
      : state(kWindow, SLOT_FREE), sleeps(ThreadSleeps()), s(settings) {
    if (settings->aheadAtOnce == AHEAD_PER_CORE) GoAhead(AHEAD_BUSY);
    if (settings->aheadAtOnce == AHEAD_EVERY_THREAD) GoAhead(AHEAD_SLOW);
  }
  ~Pipeline() {
    {
      std::lock_guard<std::mutex> g(lock);
      stopping = true;
    }
    work.notify_all();
    for (std::thread& t : workers) t.join();
  }

  // Hands the held jobs to the workers; called with the lock held.
  void Publish() {
    if (heldQueued > 0) {
      queue.push_back(Batch{held, tail});
      if (idle > 0) work.notify_one();
    }
    held = tail;
    heldQueued = 0;
  }

  // Resolves the queued jobs of the oldest batch; called with the lock held.
  void RunBatch(std::unique_lock<std::mutex>& g) {
    Batch b = queue.front();
    queue.pop_front();
    size_t mine[kWindow];
    size_t n = 0;
    for (size_t i = b.first; i < b.end; ++i)
      if (state[i % kWindow] == SLOT_QUEUED) mine[n++] = i % kWindow;
    // Whether reading made this thread sleep; no longer asked once every
    // thread reads.
    bool ask = mode != AHEAD_SLOW;
    g.unlock();
    int64_t before = ask ? ThreadSleeps() : 0;
    for (size_t j = 0; j < n; ++j) Resolve(&jobs[mine[j]], *s);
    bool waited = ask && ThreadSleeps() > before;
    g.lock();
    for (size_t j = 0; j < n; ++j) state[mine[j]] = SLOT_DONE;
    slowSeen |= waited;
    if (writerWaiting) ready.notify_one();
  }

  void Work() {
    std::unique_lock<std::mutex> g(lock);
    for (;;) {
      ++idle;
      work.wait(g, [this] { return stopping || !queue.empty(); });
      --idle;
      if (stopping) return;
      RunBatch(g);
    }
  }

  // From now on jobs that read files go to the workers: when reading is
  // slow, to every thread the run may have, a few jobs at a time; when it
  // is only long, to one thread per processor beside the writer's, which
  // helps whenever it would wait. Each worker has about four batches of
  // the window, so that it finds the next one queued when it is done.
  void GoAhead(AheadMode m) {
    if (m <= mode) return;
    int threads = s->threads;
    if (m == AHEAD_BUSY) {
      if (cores == 0) cores = UsableCores();
      threads = std::min(threads, cores);
    }
    if (threads < 2) return;  // the writer's thread is one of them
    --threads;
    mode = m;
    while (static_cast<int>(workers.size()) < threads) workers.emplace_back([this] { Work(); });
    batch = std::max<size_t>(1, kWindow / (4 * workers.size()));
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
    // Rather than wait idle, the writer takes a queued batch itself, the
    // oldest first; with none queued, the jobs not yet handed over, which
    // the job waited for may be among.
    if (p->queue.empty()) p->Publish();
    if (!p->queue.empty()) {
      p->RunBatch(g);
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
  bool toWorkers = readsFiles && job->resolve && p->mode != AHEAD_NONE;
  if (!toWorkers && job->resolve) {
    Clock::time_point start = Clock::now();
    Resolve(job, *sink->s);
    if (readsFiles && sink->s->threads > 1) {
      p->reading += Clock::now() - start;
      // The thread slept since its last job: it waited for a disk or a
      // network (now and then for a slow reader of the listing, which
      // reading ahead does not harm).
      int64_t sleeps = ThreadSleeps();
      if (sleeps > p->sleeps)
        p->GoAhead(AHEAD_SLOW);
      else if (p->reading > kBusyReading)
        p->GoAhead(AHEAD_BUSY);
      p->sleeps = sleeps;
    }
  }
  std::unique_lock<std::mutex> g(p->lock);
  ++p->tail;
  if (toWorkers) {
    p->state[k] = SLOT_QUEUED;
    if (++p->heldQueued >= p->batch) p->Publish();
  } else {
    p->state[k] = SLOT_DONE;
    if (p->heldQueued == 0) p->held = p->tail;
  }
  if (p->slowSeen) p->GoAhead(AHEAD_SLOW);
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
