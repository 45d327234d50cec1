#pragma once
// The class library's base exception, class references and the platform's own error classes.

#include <exception>
#include <string>

// A class reference: one descriptor per class, with its name and its parent. C++ has no class
// references of its own, so classes whose identity matters at run time (the exception family, the
// message provider) describe themselves with one of these.
struct TClassDescriptor {
    const char* Name;
    const TClassDescriptor* Parent;

    // True when this class is `other` or derives from it.
    bool InheritsFrom(const TClassDescriptor* other) const noexcept;
};
using TClass = const TClassDescriptor*;

// Declares the class reference of a class in its body; define it with VCL_DEFINE_CLASS.
#define VCL_DECLARE_CLASS(Cls)                   \
public:                                          \
    static TClass StaticClass() noexcept;        \
    TClass ClassType() const noexcept override;

#define VCL_DEFINE_CLASS(Cls, ParentCls)                                              \
    TClass Cls::StaticClass() noexcept {                                              \
        static const TClassDescriptor descriptor{#Cls, ParentCls::StaticClass()};     \
        return &descriptor;                                                           \
    }                                                                                 \
    TClass Cls::ClassType() const noexcept { return StaticClass(); }

// The message holder from which every error of the system derives. Its text is a byte string in
// the process's ANSI code page.
class Exception : public std::exception {
public:
    explicit Exception(std::string message = {});
    ~Exception() override;
    Exception(const Exception&) = default;
    Exception& operator=(const Exception&) = default;

    const std::string& Message() const noexcept { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    const char* what() const noexcept override { return message_.c_str(); }

    static TClass StaticClass() noexcept;
    virtual TClass ClassType() const noexcept;
    const char* ClassName() const noexcept { return ClassType()->Name; }
    bool InheritsFrom(TClass cls) const noexcept { return ClassType()->InheritsFrom(cls); }

private:
    std::string message_;
};

// A text that a number, date or other typed value cannot take.
class EConvertError : public Exception {
    VCL_DECLARE_CLASS(EConvertError)
public:
    using Exception::Exception;
};

// A variant that cannot be converted to the requested type (a null value read as text).
class EVariantError : public Exception {
    VCL_DECLARE_CLASS(EVariantError)
public:
    using Exception::Exception;
};

// File errors; the message names the file.
class EStreamError : public Exception {
    VCL_DECLARE_CLASS(EStreamError)
public:
    using Exception::Exception;
};
class EFOpenError : public EStreamError {
    VCL_DECLARE_CLASS(EFOpenError)
public:
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
    VCL_DECLARE_CLASS(EFCreateError)
public:
    using EStreamError::EStreamError;
};

// An operation that the control's current situation does not allow (painting without a parent).
class EInvalidOperation : public Exception {
    VCL_DECLARE_CLASS(EInvalidOperation)
public:
    using Exception::Exception;
};

// Operation cancelled by the user (a progress dialog's Cancel); shown by nobody.
class EAbort : public Exception {
    VCL_DECLARE_CLASS(EAbort)
public:
    using Exception::Exception;
};
