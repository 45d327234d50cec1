#include "platform/vcl/ActnList.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <algorithm>

#include "platform/vcl/Application.h"

namespace {

std::vector<TActionList*>& LiveLists() {
    static std::vector<TActionList*> lists;
    return lists;
}

// Hooks the main thread's dispatcher once: just before it blocks waiting for events the
// application is idle, which is when actions are brought up to date.
void EnsureIdleHook() {
    static bool hooked = false;
    if (hooked || QCoreApplication::instance() == nullptr) return;
    auto* dispatcher = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread());
    if (dispatcher == nullptr) return;
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, qApp,
                     [] { UpdateActions(); });
    hooked = true;
}

}  // namespace

TAction::TAction(TComponent* AOwner) : TComponent(AOwner) {}

TAction::~TAction() { SetActionList(nullptr); }

void TAction::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    emit changed();
}

void TAction::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    emit changed();
}

void TAction::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    emit changed();
}

void TAction::SetActionList(TActionList* list) {
    if (list == list_) return;
    if (list_ != nullptr) {
        auto& v = list_->actions_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    list_ = list;
    if (list_ != nullptr) list_->actions_.push_back(this);
}

bool TAction::Execute() {
    Update();
    if (!enabled_ || !OnExecute) return false;
    OnExecute(this);
    return true;
}

void TAction::Update() {
    bool handled = false;
    if (list_ != nullptr && list_->OnUpdate) list_->OnUpdate(this, handled);
    if (!handled && OnUpdate) OnUpdate(this);
}

TActionList::TActionList(TComponent* AOwner) : TComponent(AOwner) {
    LiveLists().push_back(this);
    EnsureIdleHook();
}

TActionList::~TActionList() {
    auto& lists = LiveLists();
    lists.erase(std::remove(lists.begin(), lists.end(), this), lists.end());
    while (!actions_.empty()) actions_.back()->SetActionList(nullptr);
}

void TActionList::UpdateActions() {
    // A handler may add or remove actions; work on a snapshot.
    const std::vector<TAction*> snapshot = actions_;
    for (TAction* a : snapshot) {
        if (std::find(actions_.begin(), actions_.end(), a) != actions_.end()) a->Update();
    }
}

void UpdateActions() {
    // A handler that opens a modal dialog spins a nested loop that becomes idle too; that inner
    // turn must not run the handlers again.
    static bool running = false;
    if (running) return;
    running = true;
    const std::vector<TActionList*> lists = LiveLists();
    for (TActionList* list : lists) {
        const auto& live = LiveLists();
        if (std::find(live.begin(), live.end(), list) == live.end()) continue;
        GuardedCall([list] { list->UpdateActions(); });
    }
    running = false;
}
