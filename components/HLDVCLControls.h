#pragma once
// House versions of the label, the file dialogs and the action list.

#include <functional>
#include <string>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/StdCtrls.h"

enum TBorderStyle { bsNone, bsSingle };

// Receives the custom messages of a label; it may set the message's Result.
using TCCustomMsgProc = std::function<void(TMessage& iMsg, TComponent* Sender)>;

// A label that can draw a one-pixel frame and hand the messages from WM_USER up to the first
// 1024 numbers after WM_APP to a handler of its own.
class TCLabel : public TLabel {
    Q_OBJECT
public:
    TCLabel(TComponent* AOwner, QWidget* parent);
    explicit TCLabel(QWidget* parent = nullptr) : TCLabel(OwnerFromParent(parent), parent) {}
    ~TCLabel() override;
    const char* ClassName() const noexcept override { return "TCLabel"; }

    // The range of message numbers handed to CustomMsgProc.
    static constexpr std::uint32_t kFirstCustomMsg = 0x0400;
    static constexpr std::uint32_t kLastCustomMsg = 0x83FF;

    bool EvokeCustomMsgProc() const noexcept { return evokeCustomMsgProc_; }
    void SetEvokeCustomMsgProc(bool value);
    const TCCustomMsgProc& CustomMsgProc() const noexcept { return customMsgProc_; }
    void SetCustomMsgProc(TCCustomMsgProc handler);
    TBorderStyle BorderStyle() const noexcept { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    TColor BorderColor() const noexcept { return borderColor_; }
    void SetBorderColor(TColor value);
    const std::string& _DomainName() const noexcept { return domainName_; }
    void Set_DomainName(const std::string& value);

    void Loaded() override;
    void Paint() override;
    virtual void CustomWndProc(TMessage& Message);
    virtual void UpdateWindowProc();

private:
    bool evokeCustomMsgProc_ = false;
    TCCustomMsgProc customMsgProc_;
    TBorderStyle borderStyle_ = bsNone;
    TColor borderColor_ = clBlack;
    std::string domainName_;
};

// The open dialog with the house presets for a dialog newly placed in a designer.
class TCOpenDialog : public TOpenDialog {
public:
    explicit TCOpenDialog(TComponent* AOwner);
    // The presets: every file, and the dialog's title.
    static QString DefaultFilter();
    static QString DefaultTitle();
    const char* ClassName() const noexcept override { return "TCOpenDialog"; }
};

class TCSaveDialog : public TSaveDialog {
public:
    using TSaveDialog::TSaveDialog;
    const char* ClassName() const noexcept override { return "TCSaveDialog"; }
};

class TCActionList : public TActionList {
public:
    using TActionList::TActionList;
    const char* ClassName() const noexcept override { return "TCActionList"; }
};
