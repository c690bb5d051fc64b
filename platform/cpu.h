// The processors this process runs on, and how its threads have waited.
#pragma once

#include <cstdint>

// The processors the process is allowed to use (its affinity mask, which a
// container or taskset narrows), at least 1.
int UsableCores();

// How often the calling thread has gone to sleep in the kernel of its own
// accord so far: waiting for a disk or a network, a lock, a pipe. Being
// preempted, or the virtual machine's processor being taken away, does not
// count. 0 when it cannot be had.
int64_t ThreadSleeps();
