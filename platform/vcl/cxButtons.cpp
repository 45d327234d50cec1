#include "platform/vcl/cxButtons.h"

#include "platform/vcl/Application.h"

namespace {
constexpr const char* kCancel = "Cancel";  // dynamic property read by TForm for Esc
}

TcxButton::TcxButton(TComponent* AOwner, QWidget* parent) : QPushButton(parent), TComponent(AOwner) {
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] {
        GuardedCall([this] {
            if (action_ != nullptr) {
                action_->Execute();
            } else if (OnClick) {
                OnClick(this);
            }
        });
    });
}

TcxButton::~TcxButton() = default;

void TcxButton::SetAction(TAction* action) {
    disconnect(actionLink_);
    action_ = action;
    if (action != nullptr) {
        actionLink_ = connect(action, &TAction::changed, this, [this] { SyncFromAction(); });
        SyncFromAction();
    }
}

void TcxButton::SyncFromAction() {
    if (action_ == nullptr) return;
    setText(action_->Caption());
    setEnabled(action_->Enabled());
    // A button without a parent would become a window of its own when shown.
    if (parentWidget() != nullptr || !action_->Visible()) setVisible(action_->Visible());
}

bool TcxButton::Cancel() const { return property(kCancel).toBool(); }

void TcxButton::SetCancel(bool value) { setProperty(kCancel, value); }

void TcxButton::Click() {
    if (isEnabled()) click();
}

TcxCheckBox::TcxCheckBox(TComponent* AOwner, QWidget* parent) : QCheckBox(parent), TComponent(AOwner) {
    connect(this, &QCheckBox::toggled, this, [this] {
        if (Properties.OnChange) GuardedCall([this] { Properties.OnChange(this); });
    });
}

TcxCheckBox::~TcxCheckBox() = default;
