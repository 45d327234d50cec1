#include "platform/vcl/ModalSeam.h"

namespace {
ModalHook& CurrentHook() {
    static ModalHook hook;
    return hook;
}
}  // namespace

int ExecModal(QDialog& dialog) {
    if (const ModalHook& hook = CurrentHook()) {
        ModalHook local = hook;  // the hook may run nested dialogs that swap hooks
        const int result = local(dialog);
        dialog.setResult(result);
        return result;
    }
    return dialog.exec();
}

ScopedModalHook::ScopedModalHook(ModalHook hook) : previous_(std::move(CurrentHook())) {
    CurrentHook() = std::move(hook);
}

ScopedModalHook::~ScopedModalHook() { CurrentHook() = std::move(previous_); }
