#pragma once
// The two mutex components: TCBasicMutex holds a named mutex that other processes see, and
// TCMutex lets a program run only once at a time.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/vcl/Classes.h"
#include "platform/vcl/SysUtils.h"
#include "platform/win32/NamedMutex.h"
#include "runtime/HLDException.h"

HLD_DECLARE_EXCEPTION(ECBasicMutex, ECCCLError);
// The wait for a mutex held elsewhere ended without getting it.
HLD_DECLARE_EXCEPTION(ECBasicMutex_Timeout, ECBasicMutex);
// WaitInSeconds was given a value outside -1 .. kMaxWaitInSeconds.
HLD_DECLARE_EXCEPTION(ECBasicMutex_InvalidWait, ECBasicMutex);

// Handler of (Sender, E): told the error that made an attempt fail.
using TExceptionEvent = std::function<void(TComponent* Sender, Exception& E)>;

// Texts of the components (UTF-8; the components hand them on in the ANSI code page).
extern const char* const kMutexTimeoutText;
extern const char* const kInvalidWaitTextHead;  // followed by kMaxWaitInSeconds ...
extern const char* const kInvalidWaitTextTail;  // ... and this
extern const char* const kAlreadyRunningText;   // follows the program title
extern const char* const kNoSecondStartText;    // follows a carriage return

// Seconds times 1000 must stay below INFINITE.
inline constexpr std::int32_t kMaxWaitInSeconds = 4294967;

class TCBasicMutex : public TComponent {
public:
    explicit TCBasicMutex(TComponent* AOwner);
    ~TCBasicMutex() override;
    const char* ClassName() const noexcept override { return "TCBasicMutex"; }

    // Obtains the mutex: creates it owned, or, when it exists already and WaitInSeconds is not 0,
    // waits for it. Reports through OnSuccess / OnFailure; true when the mutex is held afterwards.
    // Holding already: true at once, without an event.
    bool Acquire();
    // Lets go of a held mutex.
    void Release();

    TNotifyEvent OnSuccess;
    TExceptionEvent OnFailure;

    bool Opened() const noexcept { return handle_ != nullptr; }

    const std::string& MutexName() const noexcept { return mutexName_; }
    // A different name (exact comparison) gives up a held mutex first.
    void SetMutexName(const std::string& value);

    std::int32_t WaitInSeconds() const noexcept { return waitInSeconds_; }
    // -1 waits without limit, 0 does not wait, n waits n seconds; other values raise
    // ECBasicMutex_InvalidWait and change nothing.
    void SetWaitInSeconds(std::int32_t value);

protected:
    // The name the mutex is taken under: MutexName unless it is blank, then the owner's class
    // name, or without an owner the component's Name.
    virtual std::string GetEffectiveMutexName();
    virtual std::unique_ptr<win32::SECURITY_ATTRIBUTES> CreateSecurityAttributes();
    virtual void DoSuccess();
    virtual void DoFailure(Exception& E);

private:
    struct HandleCloser {
        void operator()(win32::HANDLE h) const noexcept { win32::CloseHandle(h); }
    };
    using UniqueHandle = std::unique_ptr<win32::HandleObject, HandleCloser>;

    void OpenAndWait(const std::exception_ptr& createError);

    UniqueHandle handle_;
    std::string mutexName_;
    std::int32_t waitInSeconds_ = 0;
};

class TCMutex : public TComponent {
public:
    // Without an owner (made by code) or when newly placed in the designer, both switches start
    // true; a guard read from a stored form gets the stored values.
    explicit TCMutex(TComponent* AOwner);
    ~TCMutex() override;
    const char* ClassName() const noexcept override { return "TCMutex"; }

    // True when this program now holds the mutex. On failure: the warning (ShowFailureMessage),
    // OnFailure, and a quit request (TerminateApplicationOnFailure).
    bool Acquire();

    // Reading gives the stored name, or the owner's class name, or a name made from the program's
    // path; the mutex itself is taken under the stored name or else "TCMutex".
    std::string MutexName();
    void SetMutexName(const std::string& value);

    TNotifyEvent OnSuccess;
    TNotifyEvent OnFailure;
    bool TerminateApplicationOnFailure = false;
    bool ShowFailureMessage = false;

private:
    TCBasicMutex& Mutex();

    TCBasicMutex* mutex_ = nullptr;  // owned by this guard (component ownership)
};
