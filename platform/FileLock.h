#pragma once
// Whole-file locks (flock) waited for only a short while: a lock that another process, or another
// user, keeps for ever must never hold the program up.
#include <chrono>

// Takes the lock `operation` (LOCK_SH or LOCK_EX) on the descriptor, trying again now and then
// until the deadline; tries at least once. True when it is taken.
bool LockFileBy(int fd, int operation, std::chrono::steady_clock::time_point deadline);
