#pragma once
// Runs the about component's Execute with the real dialog answered by a test instead of a person.

#include <QCoreApplication>
#include <QEvent>
#include <functional>

#include "about/CAboutForm.h"
#include "about/HLDGUICommonAboutForm.h"
#include "platform/vcl/ModalSeam.h"

// Shows the dialog Execute prepared, hands it to `inspect` while it is up, then closes it.
// Deferred deletions are run afterwards so that every call starts from a clean slate.
inline void ExecuteAndInspect(TCAboutForm& about,
                              const std::function<void(T_HLDGUICommonAboutForm&)>& inspect) {
    ScopedModalHook hook([&](QDialog& dialog) {
        auto& form = dynamic_cast<T_HLDGUICommonAboutForm&>(dialog);
        form.show();
        inspect(form);
        form.close();
        return int(QDialog::Rejected);
    });
    about.Execute();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The settings of the program's own about box.
inline void ApplyProgramSettings(TCAboutForm& about) {
    about.SetProductName(QStringLiteral("HALDREN クイラン！～ QUILLAN! ～"));
    about.SetProductVersion(QStringLiteral("1.2.0.0"));
    about.SetCompanyName(QStringLiteral("株式会社HALDREN"));
    about.SetCopyright(QStringLiteral("Copyright (C) 2012-2026 HALDREN Co., Ltd."));
}
