#pragma once
// Runs a function when the block ends, however it ends (return, exception): the undoing of a
// flag, a borrow or a show that has no handle owner of its own.
//
//   FBusy = true;
//   const TScopeExit busyEnd([this] { FBusy = false; });
//
// The function must not throw: it runs from a destructor.
#include <utility>

template <class F> class TScopeExit {
public:
    explicit TScopeExit(F Function) : FFunction(std::move(Function)) {}
    ~TScopeExit() { FFunction(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    F FFunction;
};
