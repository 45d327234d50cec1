#include "platform/vcl/SysUtils.h"

bool TClassDescriptor::InheritsFrom(const TClassDescriptor* other) const noexcept {
    for (const TClassDescriptor* c = this; c != nullptr; c = c->Parent) {
        if (c == other) return true;
    }
    return false;
}

Exception::Exception(std::string message) : message_(std::move(message)) {}
Exception::~Exception() = default;

TClass Exception::StaticClass() noexcept {
    static const TClassDescriptor descriptor{"Exception", nullptr};
    return &descriptor;
}
TClass Exception::ClassType() const noexcept { return StaticClass(); }

VCL_DEFINE_CLASS(EConvertError, Exception)
VCL_DEFINE_CLASS(EVariantError, Exception)
VCL_DEFINE_CLASS(EStreamError, Exception)
VCL_DEFINE_CLASS(EFOpenError, EStreamError)
VCL_DEFINE_CLASS(EFCreateError, EStreamError)
VCL_DEFINE_CLASS(EInvalidOperation, Exception)
VCL_DEFINE_CLASS(EAbort, Exception)
