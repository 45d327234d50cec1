#include "runtime/HLDException.h"

#include <utility>

namespace {

// Trim's notion of blank: every byte from 0 to 32. Full-width blanks are text.
bool IsEmptyAfterTrim(const std::string& s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) > 32) return false;
    }
    return true;
}

std::string StandardMessage(TClass cls) {
    if (gExceptionMsgProvider == nullptr) return {};
    return gExceptionMsgProvider->Message(cls, TCMsgParams{}, 0);
}

int unitUsers = 0;

}  // namespace

TCMessageProvider* gExceptionMsgProvider = nullptr;

namespace hld_detail {

HLDExceptionUnit::HLDExceptionUnit() {
    if (unitUsers++ == 0 && gExceptionMsgProvider == nullptr) {
        gExceptionMsgProvider = std::make_unique<TCMessageProvider_HLDException>().release();
    }
}

HLDExceptionUnit::~HLDExceptionUnit() {
    if (--unitUsers == 0) {
        // Take the provider back into an owner that frees it here.
        std::unique_ptr<TCMessageProvider> last(std::exchange(gExceptionMsgProvider, nullptr));
    }
}

}  // namespace hld_detail

TClass ECException::StaticClass() noexcept { return ExceptionClass(); }
TClass ECException::ClassType() const noexcept { return StaticClass(); }

ECExceptionClass ECException::ExceptionClass() noexcept {
    static const TCExceptionClassDescriptor descriptor{
        {"ECException", Exception::StaticClass()},
        [](const std::string& Msg, int Code) -> std::unique_ptr<ECException> {
            return std::make_unique<ECException>(Msg, Code);
        },
        []() -> std::unique_ptr<ECException> { return std::make_unique<ECException>(); }};
    return &descriptor;
}

ECException::ECException(const std::string& Msg, int Code)
    : ECException(StaticClass(), Msg, Code) {}
ECException::ECException() : ECException(StaticClass(), TCCreateDefault{}) {}
ECException::ECException(const std::string& Msg)
    : ECException(StaticClass(), Msg, TCCreateShorthand{}) {}

ECException::ECException(TClass Self, const std::string& Msg, int Code)
    : Exception(IsEmptyAfterTrim(Msg) ? StandardMessage(Self) : Msg), Code(Code), Style(16) {}

ECException::ECException(TClass Self, TCCreateDefault /*Tag*/) : Exception(StandardMessage(Self)) {}

// The shorthand runs ECException's own (Msg, 0), never a replacement further down.
ECException::ECException(TClass Self, const std::string& Msg, TCCreateShorthand /*Tag*/)
    : ECException(Self, Msg, 0) {}

std::unique_ptr<ECException> CCreateException(ECExceptionClass Cls, const std::string& Msg,
                                              int Code) {
    return Cls->CreateWithCode(Msg, Code);
}

std::unique_ptr<ECException> CCreateException(ECExceptionClass Cls) { return Cls->Create(); }

HLD_DEFINE_EXCEPTION(ECPermissionError, ECException)
HLD_DEFINE_EXCEPTION(ECRecordInsertNotAllowed, ECPermissionError)
HLD_DEFINE_EXCEPTION(ECRecordEditNotAllowed, ECPermissionError)
HLD_DEFINE_EXCEPTION(ECRecordDeleteNotAllowed, ECPermissionError)
HLD_DEFINE_EXCEPTION(ECDialogCtl, ECException)
HLD_DEFINE_EXCEPTION_CLASS(ECWarning, ECDialogCtl)
ECWarning::ECWarning(TClass Self, const std::string& Msg, int Code) : ECDialogCtl(Self, Msg, Code) {
    Style = 48;
}
HLD_DEFINE_EXCEPTION(ECIncompleteCode, ECException)
HLD_DEFINE_EXCEPTION(ECThisConstructorIsDisabled, ECIncompleteCode)
HLD_DEFINE_EXCEPTION(ECInternalError, ECException)
HLD_DEFINE_EXCEPTION(ECRuntimeError, ECException)
HLD_DEFINE_EXCEPTION(ECFormNotPermitted, ECRuntimeError)
HLD_DEFINE_EXCEPTION(ECWin32APIError, ECException)
HLD_DEFINE_EXCEPTION(ECCCLError, ECException)
