#pragma once
// A filter of the application's message loop: sees each key message of the thread's forms before
// the dialog manager does (TApplication::AddMessageFilter).
//
//   class TPageControl : public TControl, public TMessageFilter {
//       bool PreTranslateMessage(const MSG& Msg) override;   // true: the key is handled
//   };
#include <windows.h>

class TMessageFilter {
public:
    virtual bool PreTranslateMessage(const MSG& Msg) = 0;

protected:
    ~TMessageFilter() = default;
};
