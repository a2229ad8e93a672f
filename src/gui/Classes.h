#pragma once
// Basic types shared by every class of the GUI layer: the modal results, mouse
// and shift states, and the event signatures.
//
//   OnClick = [this](TObject* Sender) { ... };                  // a TNotifyEvent
//   OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, int x, int y) { ... };
//
// Events are plain std::function members, called only when assigned.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "base/Object.h"

// Results of a modal run (ShowModal, MessageDlg).
enum : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

// Keys and buttons held during a mouse event; combine with |.
enum TShiftState : uint8_t {
    ssNone = 0,
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};
inline TShiftState operator|(TShiftState A, TShiftState B) {
    return static_cast<TShiftState>(static_cast<uint8_t>(A) | static_cast<uint8_t>(B));
}

// A window message as handed to a message handler; set Result to answer it.
struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMessageEvent = std::function<void(TMessage& Message)>;
