#include "gui/Action.h"

#include <algorithm>

TActionClient::~TActionClient() {
    SetAction(nullptr);
}

void TActionClient::SetAction(TAction* Action) {
    if (FAction == Action)
        return;
    if (FAction) {
        auto& c = FAction->FClients;
        c.erase(std::remove(c.begin(), c.end(), this), c.end());
    }
    FAction = Action;
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

TAction::TAction(TActionList* List) : FActionList(List) {
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

void TAction::SetCaption(const std::string& Value) {
    if (FCaption != Value) {
        FCaption = Value;
        Changed();
    }
}

void TAction::SetImageIndex(int Value) {
    if (FImageIndex != Value) {
        FImageIndex = Value;
        Changed();
    }
}

void TAction::SetChecked(bool Value) {
    if (FChecked != Value) {
        FChecked = Value;
        Changed();
    }
}

void TAction::SetEnabled(bool Value) {
    if (FEnabled != Value) {
        FEnabled = Value;
        Changed();
    }
}

void TAction::SetVisible(bool Value) {
    if (FVisible != Value) {
        FVisible = Value;
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
