#pragma once
// TControl: the base of every window of the layer (forms, panels, labels, buttons, the
// component set). One object = one HWND, a child of the parent given to it, destroyed with the
// object. Child controls are usually members of their form, declared after their parent so that
// they are built after it and destroyed before it.
//
// Windows are made on first need, not with the object: when the handle is first asked for (or a
// property is read that only the window knows), the form's window is made, then its children's
// in creation order, each child's with its own children's. A control's WindowsCreated runs as
// soon as its window and its children's exist: a child's before its parent's, and before the
// windows of the siblings after it are made. Setting bounds, states, a caption or a value makes
// no window: without one the object keeps them, and the window takes them when it is made, so a
// form sets its controls up in its constructor and a caller can set them before the first
// showing (showing a control on a window that exists, or working on a window's content, makes
// it). Once the form's window has been destroyed, or the program's end has begun, no window is
// made again: setters change the object only and getters answer from it.
//
//   class TMyPanel : public TPanel { ... };
//   TPanel pnlTop{&form};                 // child of the form
//   pnlTop.SetAlign(alTop); pnlTop.SetHeight(57); pnlTop.SetColor(clWindow);
//   pnlTop.OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int x, int y) { ... };
//   pnlTop.SetMessageHandler(WM_USER + 7, [&](TMessage& m) { m.Result = 1; });
//
// Messages: a derived class overrides WndProc (and calls TControl::WndProc for the rest), or
// fills the message map with SetMessageHandler, whose handler replaces the default handling.
// Exceptions thrown by handlers are caught where the message is dispatched and shown by the
// application's default error box. Notifications of system controls (WM_COMMAND, WM_NOTIFY,
// WM_DRAWITEM, WM_CTLCOLOR*) are handed back to the child control that sent them.
//
// Align: alTop, alBottom, alLeft, alRight and alClient children fill the parent's client area in
// that order (each group in creation order), within the area left by the parent's borders.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "gui/Classes.h"
#include "gui/Color.h"
#include "gui/Font.h"
#include "base/Handles.h"

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

class TForm;

class TControl : public TObject {
public:
    // Parent: the control whose window holds this one; nullptr for forms.
    explicit TControl(TControl* Parent);
    ~TControl() override;

    // The window, made (with the form's) when it does not exist yet; null when none may be made
    // any more (see above).
    HWND Handle() const;
    bool HandleAllocated() const { return FHandle != nullptr; }
    TControl* Parent() const { return FParent; }
    // The child controls, in creation order.
    const std::vector<TControl*>& Controls() const { return FControls; }
    // The form this control lies on (itself for a form).
    TForm* ParentForm() const;
    // Destroys the window now, for good (forms before they are freed).
    void DestroyHandle();
    // The control object of a window made by this layer, else nullptr.
    static TControl* FromHandle(HWND Wnd);

    // Position relative to the parent's client area (the screen for forms).
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int Value);
    void SetTop(int Value);
    void SetWidth(int Value);
    void SetHeight(int Value);
    virtual void SetBounds(int Left, int Top, int Width, int Height);
    int ClientWidth() const;
    int ClientHeight() const;
    RECT ClientRect() const;

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign Value);

    bool Visible() const;
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const;
    void SetEnabled(bool Value);

    std::string Caption() const;
    void SetCaption(const std::string& Value);

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    // The control's font; children with ParentFont (the default) follow their parent's.
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);

    // Place among the siblings in the Tab key's order (0 first).
    int TabOrder() const;
    void SetTabOrder(int Value);
    bool TabStop() const;
    void SetTabStop(bool Value);
    void SetFocus();
    bool Focused() const;

    void Invalidate();
    // Lays the aligned children out again.
    void Realign();

    // Message map: handler replaces the default handling of msg.
    void SetMessageHandler(UINT Msg, TMessageEvent Handler);
    // Sends a message to this control's window.
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0) {
        return SendMessageA(Handle(), Msg, WParam, LParam);
    }

    TMouseEvent OnMouseDown;

protected:
    // Makes this control's window (CreateHandle or CreateSystemHandle) and sets on it what the
    // class itself needs. Runs once the parent's window exists, when the window is first needed.
    virtual void CreateWnd() = 0;
    // Runs once this window and its children's exist, before the parent's WindowsCreated: for
    // what only a window can do.
    virtual void WindowsCreated() {}
    // False when no window may be made for this control any more.
    virtual bool CanMakeWindow() const;
    // This control as a form; nullptr for other controls.
    virtual TForm* AsForm() const { return nullptr; }
    // Makes the windows of children that were added after this window was made; a control
    // without a window makes it, with every child's.
    void CreateChildHandles();
    // Makes the window of a class of this layer; the class is registered on first use.
    void CreateHandle(const char* ClassName, DWORD Style, DWORD ExStyle, int Left, int Top,
                      int Width, int Height, HWND ParentOrOwner = nullptr);
    // Makes a window of a system class (BUTTON, SysMonthCal32...) and routes its messages
    // through WndProc.
    void CreateSystemHandle(const char* ClassName, DWORD Style, DWORD ExStyle, int Left, int Top,
                            int Width, int Height);
    // Makes the system window anew, for styles the system reads only when it is made: the new
    // window takes over the old one's bounds, text, place in the Tab order and enabled, visible
    // and focused states. prepare runs once the new window holds the text, before it is shown.
    void RecreateSystemHandle(const char* ClassName, DWORD Style, DWORD ExStyle,
                              const std::function<void()>& Prepare);

    virtual LRESULT WndProc(UINT Msg, WPARAM WParam, LPARAM LParam);
    // What the window's class does with a message.
    LRESULT DefaultHandler(UINT Msg, WPARAM WParam, LPARAM LParam);

    // Painting of the classes of this layer: the background is filled with Color first.
    virtual void Paint(HDC DC, const RECT& ClientRect);
    // The area left to aligned children.
    virtual void AdjustClientRect(RECT& Rect) const;
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void FontChanged();
    // Caption changed.
    virtual void TextChanged() { Invalidate(); }
    // Notifications sent by this control's window to its parent.
    virtual bool CNCommand(WORD Code);
    virtual bool CNNotify(NMHDR* Header, LRESULT& Result);
    virtual bool CNDrawItem(DRAWITEMSTRUCT* Item);
    virtual HBRUSH CtlColor(HDC DC);

    HBRUSH ColorBrush();
    static TShiftState ShiftFromKeys(WPARAM Keys);

private:
    static LRESULT CALLBACK StaticWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
    static LRESULT CALLBACK SubclassProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam,
                                         UINT_PTR Id, DWORD_PTR Data);
    LRESULT Dispatch(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
    void HandleNeeded();
    void MakeWindows();
    // The child window's id: 101 for the parent's first control, 102 for the second...
    int ControlId() const;
    void Detach();
    void ApplyFont();

    void UseStoredBounds(int& Left, int& Top, int& Width, int& Height) const;
    void ApplyState();
    void ApplyChildTabOrders();
    void SaveState();

    HWND FHandle = nullptr;
    bool FCreating = false;
    // Destroyed otherwise than to be made anew: made no more.
    bool FWindowGone = false;
    // The window's state while there is none (before it is made, after it has gone).
    std::string FCaption;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = -1; // -1: the class's own size
    int FHeight = -1;
    bool FEnabled = true;
    int FPendingVisible = -1; // -1: as the class makes it
    int FPendingTabStop = -1;
    int FPendingTabOrder = -1;
    bool FSystemClass = false;
    TControl* FParent;
    std::vector<TControl*> FControls;
    TAlign FAlign = alNone;
    bool FRealigning = false;
    TColor FColor = clBtnFace;
    GdiObject<HBRUSH> FBrush;
    TColor FBrushColor = 0;
    TFont FFont;
    bool FParentFont = true;
    std::map<UINT, TMessageEvent> FMessageHandlers;
};
