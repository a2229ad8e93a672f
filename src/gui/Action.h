#pragma once
// Actions: one command shared by menu items and buttons. A bound control takes the action's
// caption, enabled and checked state and image, follows their changes, and runs the action when
// clicked.
//
//   TActionList ActionManager;  ActionManager.SetImages(&ImageListMain);
//   TAction ActionOptions{&ActionManager};
//   ActionOptions.SetCaption("Options"); ActionOptions.SetImageIndex(1);
//   ActionOptions.OnExecute = [this](TObject* s) { ActionOptionsExecute(s); };
//   ActionActive.OnUpdate = [this](TObject*) { ActionActive.SetChecked(Clock.AlarmEnabled()); };
//   btnOptions.SetAction(&ActionOptions);        // or a TMenuItem's SetAction
//
// Execute runs OnUpdate first, then OnExecute when the action is enabled (so a disabled action
// does nothing). Popup menus run OnUpdate of their items' actions before they show.
#include <string>
#include <vector>

#include "gui/Classes.h"

class TAction;
class TImageList;

// Something bound to an action (a button, a menu item).
class TActionClient {
public:
    TActionClient() = default;
    virtual ~TActionClient();
    TActionClient(const TActionClient&) = delete;
    TActionClient& operator=(const TActionClient&) = delete;

    TAction* Action() const { return FAction; }
    void SetAction(TAction* Action);

protected:
    // The bound action changed (or was bound); take over its properties.
    virtual void ActionChanged() {}

private:
    friend class TAction;
    TAction* FAction = nullptr;
};

class TActionList : public TObject {
public:
    TActionList() = default;
    ~TActionList() override;

    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* Value) { FImages = Value; }
    const std::vector<TAction*>& Actions() const { return FActions; }
    // Runs OnUpdate of every action.
    void UpdateActions();

private:
    friend class TAction;
    TImageList* FImages = nullptr;
    std::vector<TAction*> FActions;
};

// The action manager of the windows is an action list with images.
using TActionManager = TActionList;

class TAction : public TObject {
public:
    explicit TAction(TActionList* List = nullptr);
    ~TAction() override;

    TActionList* ActionList() const { return FActionList; }

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value);
    const std::string& Category() const { return FCategory; }
    void SetCategory(const std::string& Value) { FCategory = Value; }
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& Value) { FHint = Value; }
    // Index in the images of the list / menu; -1: none.
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);

    // OnUpdate, then OnExecute if enabled. True when OnExecute ran.
    bool Execute();
    // Runs OnUpdate; true when it is assigned.
    bool Update();

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

private:
    friend class TActionClient;
    friend class TActionList;
    void Changed();

    TActionList* FActionList;
    std::vector<TActionClient*> FClients;
    std::string FCaption;
    std::string FCategory;
    std::string FHint;
    int FImageIndex = -1;
    bool FChecked = false;
    bool FEnabled = true;
    bool FVisible = true;
};
