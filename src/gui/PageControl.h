#pragma once
// TPageControl: pages (TTabSheet) of which one shows at a time, chosen with the system's tab
// control; with tsButtons or tsFlatButtons the selectors are (flat) buttons instead of tabs.
//
//   TPageControl PageControlMain{&pnlMain};
//   PageControlMain.SetAlign(alClient); PageControlMain.SetStyle(tsFlatButtons);
//   PageControlMain.SetImages(&ImageListAbout);
//   TTabSheet tabAbout{&PageControlMain};      // pages in creation order; the first one shows
//   tabAbout.SetCaption("About"); tabAbout.SetImageIndex(0);
//   PageControlMain.OnChange = [this](TObject* s) { PageControlMainChange(s); };
//
// OnChanging (which may refuse) and OnChange fire only when the user selects another page, with
// the mouse or the keyboard; SetActivePage fires neither. Keys: Tab reaches the selectors and
// goes on into the active page; the arrows on the focused selectors (tabs or buttons), and
// Ctrl+Tab / Ctrl+Shift+Tab anywhere in the form (a filter of the application's message loop,
// see PreTranslateMessage).
#include <vector>

#include "gui/Control.h"
#include "gui/ImageList.h"
#include "gui/MessageFilter.h"

enum TTabStyle : uint8_t { tsTabs, tsButtons, tsFlatButtons };

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TTabSheet;

class TPageControl : public TControl, public TMessageFilter {
public:
    explicit TPageControl(TControl* Parent);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(FPages.size()); }
    // Page index in page order; nullptr outside 0 .. PageCount() - 1.
    TTabSheet* Pages(int Index) const;
    TTabSheet* ActivePage() const { return FActivePage; }
    // Shows page (one of this control's) and hides the others; fires no event.
    void SetActivePage(TTabSheet* Page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int Index) { SetActivePage(Pages(Index)); }

    TTabStyle Style() const { return FStyle; }
    void SetStyle(TTabStyle Value);
    // The images of the selectors (not owned); each page names its image by index.
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* Value);

    // The selector of page index in client coordinates (empty when there is none).
    RECT TabRect(int Index) const;

    // Selects the next page (the previous one unless goForward), after the last the first, as the
    // user does: OnChanging may refuse, then OnChange fires.
    void SelectNextPage(bool GoForward);
    // Ctrl+Tab (forward) and Ctrl+Shift+Tab (back), taken from the message loop before the dialog
    // manager, which would move the focus as for Tab: the page control that holds the focus turns
    // its pages, else the first shown page control of the focused form. False when Msg is not
    // such a key or is another page control's.
    bool PreTranslateMessage(const MSG& Msg) override;

    TTabChangingEvent OnChanging;
    TNotifyEvent OnChange;

protected:
    LRESULT WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    void CreateWnd() override;
    void WindowsCreated() override;
    void AdjustClientRect(RECT& Rect) const override;
    bool CNNotify(NMHDR* Header, LRESULT& Result) override;

private:
    friend class TTabSheet;
    void InsertTab(int Index);
    void InsertPage(TTabSheet* Page);
    void RemovePage(TTabSheet* Page);
    void UpdateTab(TTabSheet* Page);
    void ShowActivePage();
    // The user's selection of page index by key: OnChanging, then the page and OnChange.
    void SelectByKey(int Index);
    HWND TabIntoPage() const;
    void Changed();
    DWORD StyleBits() const;

    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
    TTabStyle FStyle = tsTabs;
    TImageList* FImages = nullptr;
};

class TTabSheet : public TControl {
public:
    explicit TTabSheet(TPageControl* PageControl);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return FPageControl; }
    int PageIndex() const;
    // Index into the page control's Images; -1 for none.
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);

protected:
    void CreateWnd() override;
    // The caption is the selector's text.
    void TextChanged() override;

private:
    friend class TPageControl;
    TPageControl* FPageControl;
    int FImageIndex = -1;
};
