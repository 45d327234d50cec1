#include "components/HLDVCLControls.h"

namespace {

// Placed anew in a form designer, as opposed to read from a stored form or made at run time.
bool NewlyDesigned(const TComponent& c) {
    return c.ComponentState().Contains(TComponentStateFlag::csDesigning) &&
           (c.Owner() == nullptr ||
            !c.Owner()->ComponentState().Contains(TComponentStateFlag::csLoading));
}

}  // namespace

TCLabel::TCLabel(TComponent* AOwner, QWidget* parent) : TLabel(AOwner, parent) {
    if (NewlyDesigned(*this)) SetAutoSize(false);
}

TCLabel::~TCLabel() = default;

void TCLabel::SetEvokeCustomMsgProc(bool value) {
    evokeCustomMsgProc_ = value;
    UpdateWindowProc();
}

void TCLabel::SetCustomMsgProc(TCCustomMsgProc handler) {
    customMsgProc_ = std::move(handler);
    UpdateWindowProc();
}

void TCLabel::SetBorderStyle(TBorderStyle value) {
    if (value == borderStyle_) return;
    borderStyle_ = value;
    Paint();
}

void TCLabel::SetBorderColor(TColor value) {
    if (value == borderColor_) return;
    borderColor_ = value;
    Paint();
}

void TCLabel::Set_DomainName(const std::string& value) {
    if (value != domainName_) domainName_ = value;
}

void TCLabel::Loaded() {
    TLabel::Loaded();
    UpdateWindowProc();
}

void TCLabel::UpdateWindowProc() {
    // While loading, designing or being destroyed the choice waits; Loaded() makes it.
    if (!ComponentState().Empty()) return;
    if (evokeCustomMsgProc_ && customMsgProc_) {
        WindowProc = [this](TMessage& m) { CustomWndProc(m); };
    } else {
        WindowProc = [this](TMessage& m) { WndProc(m); };
    }
}

void TCLabel::CustomWndProc(TMessage& Message) {
    if (Message.Msg >= kFirstCustomMsg && Message.Msg <= kLastCustomMsg) {
        // A handler removed while the state was not empty leaves the routing on: the message is
        // then dropped, as nobody asked for it.
        if (customMsgProc_) customMsgProc_(Message, this);
        return;
    }
    WndProc(Message);
}

void TCLabel::Paint() {
    TLabel::Paint();
    if (borderStyle_ != bsSingle) return;
    TCanvas* canvas = Canvas();
    canvas->Pen().Color = borderColor_;
    const int r = width() - 1, b = height() - 1;
    canvas->Polyline({{0, 0}, {r, 0}, {r, b}, {0, b}, {0, 0}});
}

QString TCOpenDialog::DefaultFilter() { return QStringLiteral("すべてのファイル (*.*)|*.*"); }
QString TCOpenDialog::DefaultTitle() { return QStringLiteral("ファイルを開く"); }

TCOpenDialog::TCOpenDialog(TComponent* AOwner) : TOpenDialog(AOwner) {
    if (NewlyDesigned(*this)) {
        SetFilter(DefaultFilter());
        SetTitle(DefaultTitle());
    }
}
