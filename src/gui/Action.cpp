#include "gui/Action.h"

#include <algorithm>

TActionClient::~TActionClient() {
    SetAction(nullptr);
}

void TActionClient::SetAction(TAction* action) {
    if (FAction == action)
        return;
    if (FAction) {
        auto& c = FAction->FClients;
        c.erase(std::remove(c.begin(), c.end(), this), c.end());
    }
    FAction = action;
    if (FAction) {
        FAction->FClients.push_back(this);
        ActionChanged();
    }
}

TActionList::~TActionList() {
    for (TAction* a : FActions)
        a->FActionList = nullptr;
}

void TActionList::UpdateActions() {
    // OnUpdate may change anything; walk a copy.
    const std::vector<TAction*> actions = FActions;
    for (TAction* a : actions)
        a->Update();
}

TAction::TAction(TActionList* list) : FActionList(list) {
    if (FActionList)
        FActionList->FActions.push_back(this);
}

TAction::~TAction() {
    for (TActionClient* c : FClients)
        c->FAction = nullptr;
    if (FActionList) {
        auto& a = FActionList->FActions;
        a.erase(std::remove(a.begin(), a.end(), this), a.end());
    }
}

void TAction::Changed() {
    const std::vector<TActionClient*> clients = FClients;
    for (TActionClient* c : clients)
        c->ActionChanged();
}

void TAction::SetCaption(const std::string& value) {
    if (FCaption != value) {
        FCaption = value;
        Changed();
    }
}

void TAction::SetImageIndex(int value) {
    if (FImageIndex != value) {
        FImageIndex = value;
        Changed();
    }
}

void TAction::SetChecked(bool value) {
    if (FChecked != value) {
        FChecked = value;
        Changed();
    }
}

void TAction::SetEnabled(bool value) {
    if (FEnabled != value) {
        FEnabled = value;
        Changed();
    }
}

void TAction::SetVisible(bool value) {
    if (FVisible != value) {
        FVisible = value;
        Changed();
    }
}

bool TAction::Update() {
    if (!OnUpdate)
        return false;
    OnUpdate(this);
    return true;
}

bool TAction::Execute() {
    Update();
    if (!FEnabled || !OnExecute)
        return false;
    OnExecute(this);
    return true;
}
