// The device's worker threads. Run hands out task numbers 0..count-1 to the pool and to the
// calling thread and returns when every task is done; tasks must not depend on which thread runs
// them. Thread count: KORVO_THREADS if set, else the machine's cores; tests and benchmarks may
// change it with SetWorkerThreadCount.
#pragma once

#include <functional>

// Threads taking part in a draw, the caller's included (at least 1).
int WorkerThreadCount();
void SetWorkerThreadCount(int threads);
void RunOnWorkers(int taskCount, const std::function<void(int task)>& task);
// The same tasks, returning at once: the workers start on them while the caller goes on, and
// FinishOnWorkers (or the next run) takes the rest on the caller's thread and waits for all. One
// run at a time: a run started while another is on the workers waits for that one first.
void StartOnWorkers(int taskCount, std::function<void(int task)> task);
bool WorkersBusy();  // a started run still has tasks not done
void FinishOnWorkers();
