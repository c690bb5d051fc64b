#include "platform/cpu.h"

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

int UsableCores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    int n = CPU_COUNT(&set);
    if (n > 0) return n;
  }
  long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<int>(online) : 1;
}

int64_t ThreadSleeps() {
  struct rusage u;
  if (getrusage(RUSAGE_THREAD, &u) != 0) return 0;
  return u.ru_nvcsw;
}
