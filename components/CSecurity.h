#pragma once
// Security attributes for the kernel objects the components create: default security, handles
// inherited by child processes.

#include <memory>

#include "platform/win32/NamedMutex.h"

// A new record, zero-filled and then set by InitSecurityAttributes; freed by its owner.
std::unique_ptr<win32::SECURITY_ATTRIBUTES> NewSecurityAttributes();

// nLength 12 (the record's size), no security descriptor (the default security), and
// bInheritHandle with all bits set (true).
void InitSecurityAttributes(win32::SECURITY_ATTRIBUTES& SA);
