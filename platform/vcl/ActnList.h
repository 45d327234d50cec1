#pragma once
// Actions and action lists. An action carries a caption (with an "&" mnemonic), an enabled and a
// visible state and an execute handler; controls bound to it follow its state. Every action
// list's update event runs when the application becomes idle.

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "platform/vcl/Classes.h"

class TActionList;

class TAction : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TAction(TComponent* AOwner);
    ~TAction() override;
    const char* ClassName() const noexcept override { return "TAction"; }

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);

    TActionList* ActionList() const noexcept { return list_; }
    void SetActionList(TActionList* list);

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

    // Runs OnExecute when the action is enabled; true when a handler ran. Exceptions propagate:
    // the control that triggered the action reports them.
    bool Execute();

    // Asks the action list, then the action's own OnUpdate, to bring the state up to date.
    void Update();

signals:
    void changed();

private:
    QString caption_;
    bool enabled_ = true;
    bool visible_ = true;
    TActionList* list_ = nullptr;
};

// Handler of (Action, Handled); setting Handled stops further update handling of that action.
using TActionEvent = std::function<void(TAction* Action, bool& Handled)>;

class TActionList : public TComponent {
public:
    explicit TActionList(TComponent* AOwner);
    ~TActionList() override;
    const char* ClassName() const noexcept override { return "TActionList"; }

    int ActionCount() const noexcept { return static_cast<int>(actions_.size()); }
    TAction* Actions(int index) const { return actions_.at(static_cast<size_t>(index)); }

    TActionEvent OnUpdate;

    // Runs the update event for each of the list's actions.
    void UpdateActions();

private:
    friend class TAction;
    std::vector<TAction*> actions_;
};

// Runs the update of every action list that exists, as the application does when it becomes
// idle (once per turn of the event loop before it waits). Errors go to the default error box.
void UpdateActions();
