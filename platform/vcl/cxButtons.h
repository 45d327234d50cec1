#pragma once
// Push buttons and check boxes of the editor pack: widgets that are components, a button that
// can be bound to an action, and a check box with a change event.

#include <QCheckBox>
#include <QPointer>
#include <QPushButton>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Controls.h"

// A push button. Bound to an action it shows the action's caption (the "&" letter is its
// mnemonic), enabled and visible state, and a click executes the action; otherwise a click runs
// OnClick. A cancel button is clicked by Esc on its form (see TForm).
class TcxButton : public QPushButton, public TComponent {
    Q_OBJECT
public:
    TcxButton(TComponent* AOwner, QWidget* parent);
    explicit TcxButton(QWidget* parent = nullptr) : TcxButton(OwnerFromParent(parent), parent) {}
    ~TcxButton() override;
    const char* ClassName() const noexcept override { return "TcxButton"; }

    TAction* Action() const { return action_; }
    void SetAction(TAction* action);

    bool Cancel() const;
    void SetCancel(bool value);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }

    // Clicks the button as a person would; errors go to the default error box.
    void Click();

    TNotifyEvent OnClick;

private:
    void SyncFromAction();
    QPointer<TAction> action_;
    QMetaObject::Connection actionLink_;
};

struct TcxCheckBoxProperties {
    TNotifyEvent OnChange;  // after every change of the checked state
};

class TcxCheckBox : public QCheckBox, public TComponent {
    Q_OBJECT
public:
    TcxCheckBox(TComponent* AOwner, QWidget* parent);
    explicit TcxCheckBox(QWidget* parent = nullptr)
        : TcxCheckBox(OwnerFromParent(parent), parent) {}
    ~TcxCheckBox() override;
    const char* ClassName() const noexcept override { return "TcxCheckBox"; }

    bool Checked() const { return isChecked(); }
    void SetChecked(bool value) { setChecked(value); }
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }

    TcxCheckBoxProperties Properties;
};
