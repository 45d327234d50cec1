#pragma once
// The library's exception family rooted at ECException, with its class references and the
// message provider that gives each class its standard text.

#include <memory>
#include <string>

#include "platform/vcl/SysUtils.h"
#include "runtime/HLDMsg.h"

class ECException;

// The class reference of an exception class of the family: its name and parent, and the two
// replaceable constructors, so that an exception can be made "of the class held in a variable".
struct TCExceptionClassDescriptor : TClassDescriptor {
    std::unique_ptr<ECException> (*CreateWithCode)(const std::string& Msg, int Code);
    std::unique_ptr<ECException> (*Create)();
};
using ECExceptionClass = const TCExceptionClassDescriptor*;

// Tags that route the two non-replaceable construction paths up the hierarchy.
struct TCCreateDefault {};
struct TCCreateShorthand {};

// The root of the family: a message, a Code for handlers and a presentation Style in the values
// of the message-box icons (16 error, 48 warning).
//
// Constructors:
//   (Msg, Code)  a Msg that is empty after trimming bytes 0..32 takes the class's standard text
//                (full-width blanks are not trimmed); otherwise Msg is kept as given. Style 16,
//                or what a class's replacement sets (ECWarning: 48).
//   ()           the class's standard text; Code 0, Style 0.
//   (Msg)        shorthand for ECException's own (Msg, 0): Code 0, Style 16 for every class.
class ECException : public Exception {
    VCL_DECLARE_CLASS(ECException)
public:
    static ECExceptionClass ExceptionClass() noexcept;
    ECException(const std::string& Msg, int Code);
    ECException();
    explicit ECException(const std::string& Msg);

    int Code = 0;
    int Style = 0;

protected:
    // `Self` is the class of the object being made, whose standard text a blank Msg takes.
    ECException(TClass Self, const std::string& Msg, int Code);
    ECException(TClass Self, TCCreateDefault Tag);
    ECException(TClass Self, const std::string& Msg, TCCreateShorthand Tag);
};

// Makes an exception of the class `Cls` with its (Msg, Code) or () constructor.
std::unique_ptr<ECException> CCreateException(ECExceptionClass Cls, const std::string& Msg,
                                              int Code);
std::unique_ptr<ECException> CCreateException(ECExceptionClass Cls);

// Declares a member of the family; define it with HLD_DEFINE_EXCEPTION in one source file.
#define HLD_DECLARE_EXCEPTION(Cls, ParentCls)                            \
    class Cls : public ParentCls {                                       \
        VCL_DECLARE_CLASS(Cls)                                           \
    public:                                                              \
        static ECExceptionClass ExceptionClass() noexcept;               \
        Cls(const std::string& Msg, int Code);                           \
        Cls();                                                           \
        explicit Cls(const std::string& Msg);                            \
                                                                         \
    protected:                                                           \
        Cls(TClass Self, const std::string& Msg, int Code);              \
        Cls(TClass Self, TCCreateDefault Tag);                           \
        Cls(TClass Self, const std::string& Msg, TCCreateShorthand Tag); \
    }

// Everything but the (Msg, Code) path, which a class may replace (see ECWarning).
#define HLD_DEFINE_EXCEPTION_CLASS(Cls, ParentCls)                                           \
    TClass Cls::StaticClass() noexcept { return ExceptionClass(); }                          \
    TClass Cls::ClassType() const noexcept { return StaticClass(); }                         \
    ECExceptionClass Cls::ExceptionClass() noexcept {                                        \
        static const TCExceptionClassDescriptor descriptor{                                  \
            {#Cls, ParentCls::StaticClass()},                                                \
            [](const std::string& Msg, int Code) -> std::unique_ptr<ECException> {           \
                return std::make_unique<Cls>(Msg, Code);                                     \
            },                                                                               \
            []() -> std::unique_ptr<ECException> { return std::make_unique<Cls>(); }};       \
        return &descriptor;                                                                  \
    }                                                                                        \
    Cls::Cls(const std::string& Msg, int Code) : Cls(StaticClass(), Msg, Code) {}            \
    Cls::Cls() : ParentCls(StaticClass(), TCCreateDefault{}) {}                              \
    Cls::Cls(const std::string& Msg) : ParentCls(StaticClass(), Msg, TCCreateShorthand{}) {} \
    Cls::Cls(TClass Self, TCCreateDefault Tag) : ParentCls(Self, Tag) {}                     \
    Cls::Cls(TClass Self, const std::string& Msg, TCCreateShorthand Tag)                     \
        : ParentCls(Self, Msg, Tag) {}

#define HLD_DEFINE_EXCEPTION(Cls, ParentCls)   \
    HLD_DEFINE_EXCEPTION_CLASS(Cls, ParentCls) \
    Cls::Cls(TClass Self, const std::string& Msg, int Code) : ParentCls(Self, Msg, Code) {}

HLD_DECLARE_EXCEPTION(ECPermissionError, ECException);
HLD_DECLARE_EXCEPTION(ECRecordInsertNotAllowed, ECPermissionError);
HLD_DECLARE_EXCEPTION(ECRecordEditNotAllowed, ECPermissionError);
HLD_DECLARE_EXCEPTION(ECRecordDeleteNotAllowed, ECPermissionError);
HLD_DECLARE_EXCEPTION(ECDialogCtl, ECException);
// A warning: its (Msg, Code) constructor sets Style 48.
HLD_DECLARE_EXCEPTION(ECWarning, ECDialogCtl);
HLD_DECLARE_EXCEPTION(ECIncompleteCode, ECException);
HLD_DECLARE_EXCEPTION(ECThisConstructorIsDisabled, ECIncompleteCode);
HLD_DECLARE_EXCEPTION(ECInternalError, ECException);
HLD_DECLARE_EXCEPTION(ECRuntimeError, ECException);
HLD_DECLARE_EXCEPTION(ECFormNotPermitted, ECRuntimeError);
HLD_DECLARE_EXCEPTION(ECWin32APIError, ECException);
HLD_DECLARE_EXCEPTION(ECCCLError, ECException);

// The one provider of the family's standard texts. It is created when the first source file that
// includes this header is initialised (before any of the program's own code runs) and freed when
// the last one is finalised.
extern TCMessageProvider* gExceptionMsgProvider;

namespace hld_detail {
// Creates gExceptionMsgProvider with the first instance and frees it with the last.
class HLDExceptionUnit {
public:
    HLDExceptionUnit();
    ~HLDExceptionUnit();
    HLDExceptionUnit(const HLDExceptionUnit&) = delete;
    HLDExceptionUnit& operator=(const HLDExceptionUnit&) = delete;
};
static const HLDExceptionUnit hldExceptionUnit;
}  // namespace hld_detail
