#include "platform/vcl/Controls.h"

#include <QMouseEvent>

#include "platform/vcl/Application.h"

TComponent* OwnerFromParent(QWidget* parent) {
    for (QWidget* w = parent; w != nullptr; w = w->parentWidget()) {
        if (auto* c = dynamic_cast<TComponent*>(w)) return c;
    }
    return nullptr;
}

TControl::TControl(TComponent* AOwner, QWidget* parent) : QWidget(parent), TComponent(AOwner) {
    WindowProc = [this](TMessage& m) { WndProc(m); };
}

TControl::~TControl() = default;

std::intptr_t TControl::Perform(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam) {
    TMessage m{Msg, WParam, LParam, 0};
    WindowProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_LBUTTONDOWN:
            pressed_ = true;
            break;
        case WM_LBUTTONUP:
            if (pressed_ && OnClick) {
                pressed_ = false;
                OnClick(this);
            }
            pressed_ = false;
            break;
        default:
            break;
    }
}

namespace {
std::intptr_t PointParam(const QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(p.y()) << 16) |
                                      (static_cast<std::uint32_t>(p.x()) & 0xFFFFu));
}
}  // namespace

void TControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    GuardedCall([&] { Perform(WM_LBUTTONDOWN, 1, PointParam(event)); });
}

void TControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    GuardedCall([&] { Perform(WM_LBUTTONUP, 0, PointParam(event)); });
}
