#include "components/CSecurity.h"

std::unique_ptr<win32::SECURITY_ATTRIBUTES> NewSecurityAttributes() {
    auto sa = std::make_unique<win32::SECURITY_ATTRIBUTES>();  // value-initialised: all zero
    InitSecurityAttributes(*sa);
    return sa;
}

void InitSecurityAttributes(win32::SECURITY_ATTRIBUTES& SA) {
    SA.nLength = sizeof(win32::SECURITY_ATTRIBUTES);
    SA.lpSecurityDescriptor = 0;
    SA.bInheritHandle = -1;
}
