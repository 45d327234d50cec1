#pragma once
// Message providers: the objects that know the standard texts of the library's exceptions.

#include <string>
#include <vector>

#include "platform/vcl/SysUtils.h"

// The parameter list of a message request.
using TCMsgParams = std::vector<std::string>;

// The provider interface. Every operation of the base class that a provider does not replace
// reports the unimplemented call (CReportUnimplementedMethod) and returns an empty text.
class TCMessageProvider {
public:
    TCMessageProvider() = default;
    virtual ~TCMessageProvider();
    TCMessageProvider(const TCMessageProvider&) = delete;
    TCMessageProvider& operator=(const TCMessageProvider&) = delete;

    // The provider's class reference; ClassName() is the name of its actual class.
    static TClass StaticClass() noexcept;
    virtual TClass ClassType() const noexcept;
    const char* ClassName() const noexcept { return ClassType()->Name; }

    virtual std::string Message();
    virtual std::string Message(const TCMsgParams& iMsgParams);
    // The text of the class `iClass`; `iSubID` selects a variant of it.
    virtual std::string Message(TClass iClass, const TCMsgParams& iMsgParams, int iSubID);
    // The text of the class of `iObject`. Objects that carry a class reference in this runtime
    // are exceptions.
    virtual std::string Message(const Exception& iObject, const TCMsgParams& iMsgParams,
                                int iSubID);
    // The text with the number `iMsgID`; `iReserved` has no meaning in any provider yet.
    virtual std::string Message(int iMsgID, const TCMsgParams& iMsgParams, int iReserved);
    virtual std::string LanguageCode();
    virtual std::string LanguageName();
};

// The provider of the standard texts of the ECException family. It matches classes exactly: a
// class without a text of its own gets the generic text, not its parent's.
class TCMessageProvider_HLDException : public TCMessageProvider {
    VCL_DECLARE_CLASS(TCMessageProvider_HLDException)
public:
    using TCMessageProvider::Message;
    std::string Message(TClass iClass, const TCMsgParams& iMsgParams, int iSubID) override;
};

// Reports that `Label`, an operation of `Provider`, was called without being implemented: an
// ECIncompleteCode naming the provider's class and the operation goes to CExceptionMsg. Without an
// installed presenter the ECIncompleteCode that CExceptionMsg raises leaves this function.
void CReportUnimplementedMethod(const TCMessageProvider& Provider, const std::string& Label);
