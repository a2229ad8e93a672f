#pragma once
// Checks of what the code takes for granted (a precondition, an invariant), in debug builds:
// a failed one writes its condition and place to stderr and the debugger and ends the program,
// so that a test run cannot pass over it. Release builds drop them; VERIFY still evaluates its
// expression there (a call whose result only a debug build looks at).
//
//   ASSERT(FHandle);                                        // set by the constructor
//   VERIFY(ImageListMain.AddResourceBitmap(IDB_ACTIONS) >= 0);   // the program's own resource
//   ASSERT(InMainThread());                                 // windows live on one thread
#ifdef NDEBUG
#define ASSERT(condition) ((void)0)
#define VERIFY(expression) ((void)(expression))
#else
#define ASSERT(condition) ((condition) ? (void)0 : AssertionFailed(#condition, __FILE__, __LINE__))
#define VERIFY(expression) ASSERT(expression)
#endif

[[noreturn]] void AssertionFailed(const char* Condition, const char* File, int Line);

// True on the thread the program started on: its windows, its message loop and whatever reaches
// them (the application's hooks, the window layer) live there and nowhere else.
bool InMainThread();
