#pragma once
// Controls: widgets that are also components, with a window-procedure stand-in through which
// messages reach them.

#include <QWidget>
#include <cstdint>
#include <functional>

#include "platform/vcl/Classes.h"

// A window message: number, two parameters and the result the receiver leaves.
struct TMessage {
    std::uint32_t Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

// The procedure every message sent to a control passes through.
using TWndMethod = std::function<void(TMessage& Message)>;

// Message numbers the controls know.
constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
constexpr std::uint32_t WM_USER = 0x0400;
constexpr std::uint32_t WM_APP = 0x8000;

// The component that owns a control created with only a parent widget (as a .ui file creates
// it): the nearest ancestor that is a component, normally the form.
TComponent* OwnerFromParent(QWidget* parent);

// A control: a widget owned by a component (its form) and placed on a parent widget.
class TControl : public QWidget, public TComponent {
    Q_OBJECT
public:
    TControl(TComponent* AOwner, QWidget* parent);
    explicit TControl(QWidget* parent = nullptr) : TControl(OwnerFromParent(parent), parent) {}
    ~TControl() override;
    const char* ClassName() const noexcept override { return "TControl"; }

    // Replaceable; starts as WndProc.
    TWndMethod WindowProc;

    // Sends a message straight to the control through WindowProc and returns its result.
    std::intptr_t Perform(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam);

    // The standard window procedure of controls: mouse messages make clicks; others are left
    // alone with result 0.
    virtual void WndProc(TMessage& Message);

    QWidget* Parent() const { return parentWidget(); }
    TNotifyEvent OnClick;

protected:
    // Mouse input arrives as window messages, as from a parent passing them on.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};
