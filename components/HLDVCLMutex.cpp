#include "components/HLDVCLMutex.h"

#include <exception>

#include "components/CSecurity.h"
#include "platform/win32/CodePage.h"
#include "platform/win32/ProgramFile.h"
#include "platform/win32/QuitRequest.h"
#include "runtime/HLDFunctions.h"
#include "runtime/HLDGlobalVars.h"

HLD_DEFINE_EXCEPTION(ECBasicMutex, ECCCLError)
HLD_DEFINE_EXCEPTION(ECBasicMutex_Timeout, ECBasicMutex)
HLD_DEFINE_EXCEPTION(ECBasicMutex_InvalidWait, ECBasicMutex)

const char* const kMutexTimeoutText = "排他制御の獲得でタイムアウトが発生しました。";
const char* const kInvalidWaitTextHead = "WaitInSeconds は -1 から ";
const char* const kInvalidWaitTextTail = "までの値を設定してください。";
const char* const kAlreadyRunningText = "は既に起動されています。";
const char* const kNoSecondStartText = "プログラムを複数起動することはできません。";

// ---------------------------------------------------------------------------------------------
// TCBasicMutex

TCBasicMutex::TCBasicMutex(TComponent* AOwner) : TComponent(AOwner) {}

TCBasicMutex::~TCBasicMutex() { Release(); }

std::string TCBasicMutex::GetEffectiveMutexName() {
    if (!CIsBlank(mutexName_)) return mutexName_;
    return Owner() != nullptr ? std::string(Owner()->ClassName()) : Name();
}

std::unique_ptr<win32::SECURITY_ATTRIBUTES> TCBasicMutex::CreateSecurityAttributes() {
    return NewSecurityAttributes();
}

void TCBasicMutex::DoSuccess() {
    if (OnSuccess) OnSuccess(this);
}

void TCBasicMutex::DoFailure(Exception& E) {
    if (OnFailure) OnFailure(this, E);
}

bool TCBasicMutex::Acquire() {
    if (Opened()) return true;
    // Freed on every way out, also when the failure handler raises.
    const std::unique_ptr<win32::SECURITY_ATTRIBUTES> attributes = CreateSecurityAttributes();
    try {
        try {
            const std::string name = GetEffectiveMutexName();
            handle_.reset(win32::CreateMutexA(attributes.get(), 1, name.c_str()));
            // Also raises for a mutex that existed already: its handle comes without ownership.
            CRaiseLastWin32APIError();
        } catch (...) {
            OpenAndWait(std::current_exception());
        }
        DoSuccess();
    } catch (Exception& E) {
        DoFailure(E);
    }
    return Opened();
}

// Runs in place of a failed create: opens the mutex by name and waits for it as configured.
// Gives up every handle it got when the mutex is not obtained.
void TCBasicMutex::OpenAndWait(const std::exception_ptr& createError) {
    const std::string name = GetEffectiveMutexName();
    // The opened handle replaces the one that came back with the create step's report; opening
    // first keeps the mutex alive in between.
    handle_.reset(win32::OpenMutexA(win32::SYNCHRONIZE, 1, name.c_str()));
    if (!handle_ || waitInSeconds_ == 0) {
        handle_.reset();
        std::rethrow_exception(createError);
    }
    const win32::DWORD milliseconds =
        waitInSeconds_ < 0 ? win32::INFINITE
                           : static_cast<win32::DWORD>(waitInSeconds_) * 1000u;
    const win32::DWORD result = win32::WaitForSingleObject(handle_.get(), milliseconds);
    if (result != win32::WAIT_OBJECT_0 && result != win32::WAIT_ABANDONED) {
        handle_.reset();
        throw ECBasicMutex_Timeout(win32::Utf8ToAnsi(kMutexTimeoutText), 0);
    }
}

void TCBasicMutex::Release() {
    if (!handle_) return;
    win32::ReleaseMutex(handle_.get());
    handle_.reset();
}

void TCBasicMutex::SetMutexName(const std::string& value) {
    if (value != mutexName_) Release();
    mutexName_ = value;
}

void TCBasicMutex::SetWaitInSeconds(std::int32_t value) {
    if (value < -1 || value > kMaxWaitInSeconds) {
        throw ECBasicMutex_InvalidWait(win32::Utf8ToAnsi(kInvalidWaitTextHead) +
                                           std::to_string(kMaxWaitInSeconds) +
                                           win32::Utf8ToAnsi(kInvalidWaitTextTail),
                                       0);
    }
    waitInSeconds_ = value;
}

// ---------------------------------------------------------------------------------------------
// TCMutex

namespace {

// The drive part of a path as the class library gives it: "C:" for a path with a drive letter,
// "\\server\share" for a network path, nothing otherwise.
std::string ExtractFileDrive(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        // Past the server name and the share name: up to the backslash after the share.
        std::size_t separators = 0;
        std::size_t i = 2;
        for (; i < path.size(); ++i) {
            if (path[i] == '\\' && ++separators == 2) break;
        }
        return path.substr(0, i);
    }
    return {};
}

// At most the last `count` characters of an ANSI string (a double-byte character is one).
std::string LastCharacters(const std::string& ansi, std::size_t count) {
    std::u16string wide = win32::AnsiToUtf16(ansi);
    if (wide.size() <= count) return ansi;
    std::size_t start = wide.size() - count;
    // Never begin with the second half of a surrogate pair.
    if (wide[start] >= 0xDC00 && wide[start] <= 0xDFFF) ++start;
    return win32::Utf16ToAnsi(std::u16string_view(wide).substr(start));
}

std::string MutexNameFromProgramPath(const std::string& path) {
    std::string name = CRemoveChars(path, ExtractFileDrive(path));
    name = CRemoveChars(name, "\\");
    name = CRemoveChars(name, " ");
    return LastCharacters(name, win32::MAX_PATH);
}

}  // namespace

TCMutex::TCMutex(TComponent* AOwner) : TComponent(AOwner) {
    const TComponentState state = ComponentState();
    const bool newInDesigner =
        state.Contains(TComponentStateFlag::csDesigning) &&
        !(AOwner != nullptr && AOwner->ComponentState().Contains(TComponentStateFlag::csLoading));
    if (newInDesigner || state.Empty()) {
        TerminateApplicationOnFailure = true;
        ShowFailureMessage = true;
    }
}

// The inner mutex is owned by the guard and goes with it (releasing a held mutex).
TCMutex::~TCMutex() = default;

TCBasicMutex& TCMutex::Mutex() {
    if (mutex_ == nullptr) mutex_ = new TCBasicMutex(this);  // owned by this guard
    return *mutex_;
}

std::string TCMutex::MutexName() {
    const std::string& stored = Mutex().MutexName();
    if (!CIsBlank(stored)) return stored;
    if (Owner() != nullptr) return Owner()->ClassName();
    return MutexNameFromProgramPath(win32::GetProgramFileName());
}

void TCMutex::SetMutexName(const std::string& value) { Mutex().SetMutexName(value); }

bool TCMutex::Acquire() {
    if (Mutex().Acquire()) {
        if (OnSuccess) OnSuccess(this);
        return true;
    }
    if (ShowFailureMessage) {
        // Without a presenter there is no title; CExceptionMsg then refuses with its own error.
        std::string text = gMPObject ? gMPObject->ProgramTitle() : std::string();
        text += win32::Utf8ToAnsi(kAlreadyRunningText);
        if (TerminateApplicationOnFailure) {
            text += '\r';
            text += win32::Utf8ToAnsi(kNoSecondStartText);
        }
        CExceptionMsg(std::make_unique<ECWarning>(text, 0), -1, 0, 0, 0, std::string());
    }
    if (OnFailure) OnFailure(this);
    if (TerminateApplicationOnFailure) win32::PostQuitMessage(0);
    return false;
}
