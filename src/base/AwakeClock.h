#pragma once
// Time the machine has been awake: the clock for waits that a sleep or hibernation must not
// spend (a countdown shown before a laptop was closed goes on where it stood when it wakes).
//
//   const ULONGLONG start = AwakeMilliseconds();
//   ... if (AwakeMilliseconds() - start >= 60000) ...   // a minute awake, however long asleep
//
// Parts that keep time on it take a TMillisecondClock, so that a test can play a sleep.
#include <windows.h>

#include <functional>

// Milliseconds since the system started, without the time spent asleep or hibernating
// (QueryUnbiasedInterruptTime).
ULONGLONG AwakeMilliseconds();

using TMillisecondClock = std::function<ULONGLONG()>;
