#include "platform/win32/NamedMutex.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/win32/CodePage.h"

// How a mutex lives in the file system. Each name is one file in a directory that only the user
// can reach. Every process that holds a handle keeps one open file description of that file and
// on it:
//   - a shared lock on byte 0 for as long as it has a handle: the mutex exists while any such lock
//     is held;
//   - an exclusive lock on byte 1 while one of its threads owns the mutex;
//   - an exclusive lock on byte 2 for the moment it needs to create, open or drop the file, so that
//     "does it exist?" and "take it" happen as one step.
// The file's first data byte is 1 while the mutex is owned and 0 after a release. A process that
// dies loses its locks but cannot clear that byte, so whoever takes the lock next and finds a 1
// knows that the owner ended without releasing. The last process to let go removes the file; a
// file left behind by a killed process is taken over or removed by the next one that comes along.
// Open file description locks (F_OFD_*) belong to the open file, not the process, so two handles
// opened by two threads of one process exclude each other as well.

namespace win32 {

namespace {

// Codes of the system that only this stand-in reports.
constexpr DWORD kErrorPathNotFound = 3;
constexpr DWORD kErrorTooManyOpenFiles = 4;
constexpr DWORD kErrorNotEnoughMemory = 8;
constexpr DWORD kErrorGenFailure = 31;
constexpr DWORD kErrorDiskFull = 112;
constexpr DWORD kErrorFilenameExcedRange = 206;

constexpr off_t kExistsByte = 0;
constexpr off_t kOwnerByte = 1;
constexpr off_t kGuardByte = 2;
constexpr off_t kMarkerOffset = 0;

// A waiter looks at a mutex owned by another process this often; a release inside this process
// wakes it at once.
constexpr std::chrono::milliseconds kPollInterval{5};

DWORD ErrorFromErrno(int err) {
    switch (err) {
        case ENOENT: return ERROR_FILE_NOT_FOUND;
        case ENOTDIR: return kErrorPathNotFound;
        case EACCES:
        case EPERM:
        case ELOOP: return ERROR_ACCESS_DENIED;
        case ENAMETOOLONG: return kErrorFilenameExcedRange;
        case EMFILE:
        case ENFILE: return kErrorTooManyOpenFiles;
        case ENOMEM: return kErrorNotEnoughMemory;
        case ENOSPC:
        case EDQUOT: return kErrorDiskFull;
        case EBADF: return ERROR_INVALID_HANDLE;
        case EINVAL: return ERROR_INVALID_PARAMETER;
        default: return kErrorGenFailure;
    }
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) noexcept : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = other.release();
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const noexcept { return fd_; }
    explicit operator bool() const noexcept { return fd_ >= 0; }
    int release() noexcept { return std::exchange(fd_, -1); }
    void reset() noexcept {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// Sets, changes or removes a lock on one byte. Returns 0 or the errno; a lock held by another
// open file gives EAGAIN or EACCES when not waiting.
int LockByte(int fd, short type, off_t byte, bool wait) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = byte;
    fl.l_len = 1;
    fl.l_pid = 0;
    for (;;) {
        if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return 0;
        if (errno != EINTR) return errno;
    }
}

bool IsConflict(int err) { return err == EAGAIN || err == EACCES; }

// Holds the guard byte of a mutex file for one create, open or drop.
class GuardLock {
public:
    explicit GuardLock(int fd) : fd_(fd), error_(LockByte(fd, F_WRLCK, kGuardByte, true)) {}
    ~GuardLock() {
        if (error_ == 0) LockByte(fd_, F_UNLCK, kGuardByte, false);
    }
    GuardLock(const GuardLock&) = delete;
    GuardLock& operator=(const GuardLock&) = delete;
    int error() const noexcept { return error_; }

private:
    int fd_;
    int error_;
};

// The directory holding the mutex files of this user, created on first use. Only a directory that
// belongs to the user and that nobody else may enter is accepted, so that no other user can plant,
// take or remove a mutex.
int CheckPrivateDirectory(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) return EACCES;
    return 0;
}

int EnsurePrivateDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    return CheckPrivateDirectory(path);
}

std::optional<std::string> SessionDirectory(DWORD& error) {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    std::string base;
    if (runtimeDir != nullptr && runtimeDir[0] == '/' && CheckPrivateDirectory(runtimeDir) == 0) {
        base = std::string(runtimeDir) + "/win32-mutex";
    } else {
        base = "/tmp/win32-mutex-" + std::to_string(::geteuid());
    }
    if (int err = EnsurePrivateDirectory(base); err != 0) {
        error = ErrorFromErrno(err);
        return std::nullopt;
    }
    return base;
}

// Mutex names are any bytes; file names are kept to a safe alphabet. A name whose escaped form
// would be too long for a file name is represented by its hash.
std::string FileNameFor(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "m-";
    for (unsigned char c : name) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
            c == '_') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    if (out.size() <= 200) return out;
    const QByteArray digest =
        QCryptographicHash::hash(QByteArrayView(name.data(), static_cast<qsizetype>(name.size())),
                                 QCryptographicHash::Sha256)
            .toHex();
    return "h-" + digest.toStdString();
}

// The file of the mutex `name`; nothing (with the last error set) when the session's folder
// cannot be used.
std::optional<std::string> PathFor(const char* name) {
    DWORD error = ERROR_SUCCESS;
    const auto dir = SessionDirectory(error);
    if (!dir) {
        SetLastError(error);
        return std::nullopt;
    }
    return *dir + "/" + FileNameFor(name);
}

class MutexObject;

// The mutexes the current thread owns; when the thread ends they are left abandoned.
struct OwnedByThread {
    std::vector<std::weak_ptr<MutexObject>> mutexes;
    ~OwnedByThread();
};
thread_local OwnedByThread tOwned;

class MutexObject : public std::enable_shared_from_this<MutexObject> {
public:
    MutexObject(FileDescriptor fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}

    ~MutexObject() {
        if (path_.empty()) return;
        // The last holder of all removes the file. Our own shared lock does not stand in the way
        // of the exclusive one: a lock is changed in place on the same open file.
        GuardLock guard(fd_.get());
        if (guard.error() == 0 && LockByte(fd_.get(), F_WRLCK, kExistsByte, false) == 0) {
            ::unlink(path_.c_str());
        }
    }
    MutexObject(const MutexObject&) = delete;
    MutexObject& operator=(const MutexObject&) = delete;

    const std::string& path() const noexcept { return path_; }

    // Marks a mutex that nobody else holds as free; used by the one who creates it.
    int ResetMarker() { return WriteMarker(0); }

    // Takes the mutex if it is free right now; called with mutex_ held. Returns WAIT_OBJECT_0 or
    // WAIT_ABANDONED when taken, WAIT_TIMEOUT when another thread or process owns it, WAIT_FAILED
    // with the last error.
    DWORD TryTake() {
        const auto me = std::this_thread::get_id();
        if (owner_ == me) {
            ++recursion_;
            return WAIT_OBJECT_0;
        }
        if (owner_ != std::thread::id{}) return WAIT_TIMEOUT;
        if (int err = LockByte(fd_.get(), F_WRLCK, kOwnerByte, false); err != 0) {
            if (IsConflict(err)) return WAIT_TIMEOUT;
            SetLastError(ErrorFromErrno(err));
            return WAIT_FAILED;
        }
        unsigned char marker = 0;
        const ssize_t got = ::pread(fd_.get(), &marker, 1, kMarkerOffset);
        int err = got < 0 ? errno : WriteMarker(1);
        if (err != 0) {
            LockByte(fd_.get(), F_UNLCK, kOwnerByte, false);
            SetLastError(ErrorFromErrno(err));
            return WAIT_FAILED;
        }
        owner_ = me;
        recursion_ = 1;
        tOwned.mutexes.push_back(weak_from_this());
        return got == 1 && marker == 1 ? WAIT_ABANDONED : WAIT_OBJECT_0;
    }

    DWORD Wait(DWORD milliseconds) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
        std::unique_lock lock(mutex_);
        for (;;) {
            const DWORD result = TryTake();
            if (result != WAIT_TIMEOUT) return result;
            auto slice = kPollInterval;
            if (milliseconds != INFINITE) {
                const auto now = Clock::now();
                if (now >= deadline) return WAIT_TIMEOUT;
                slice = std::min(slice, std::chrono::ceil<std::chrono::milliseconds>(deadline - now));
            }
            freed_.wait_for(lock, slice);
        }
    }

    bool Release() {
        std::unique_lock lock(mutex_);
        if (owner_ != std::this_thread::get_id()) {
            SetLastError(ERROR_NOT_OWNER);
            return false;
        }
        if (recursion_ > 1) {
            --recursion_;
            return true;
        }
        if (int err = WriteMarker(0); err != 0) {
            SetLastError(ErrorFromErrno(err));
            return false;
        }
        GiveUp();
        return true;
    }

    // The owning thread ended: let go without clearing the marker, so the next owner learns it.
    void Abandon(std::thread::id thread) {
        std::unique_lock lock(mutex_);
        if (owner_ == thread) GiveUp();
    }

private:
    int WriteMarker(unsigned char value) {
        for (;;) {
            if (::pwrite(fd_.get(), &value, 1, kMarkerOffset) == 1) return 0;
            if (errno != EINTR) return errno;
        }
    }

    void GiveUp() {
        LockByte(fd_.get(), F_UNLCK, kOwnerByte, false);
        owner_ = std::thread::id{};
        recursion_ = 0;
        auto& list = tOwned.mutexes;
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [this](const std::weak_ptr<MutexObject>& w) {
                                      auto p = w.lock();
                                      return !p || p.get() == this;
                                  }),
                   list.end());
        freed_.notify_all();
    }

    FileDescriptor fd_;
    std::string path_;  // empty for a mutex without a name
    std::mutex mutex_;
    std::condition_variable freed_;
    std::thread::id owner_;
    unsigned recursion_ = 0;
};

OwnedByThread::~OwnedByThread() {
    const auto me = std::this_thread::get_id();
    auto owned = std::move(mutexes);
    for (auto& weak : owned) {
        if (auto object = weak.lock()) object->Abandon(me);
    }
}

struct HandleEntry {
    std::shared_ptr<MutexObject> object;
    DWORD access = 0;
    bool inherit = false;
};

// This process's handle table and the named mutexes it holds, as the kernel would keep them.
struct HandleTable {
    std::mutex mutex;
    std::map<std::uintptr_t, HandleEntry> handles;
    std::map<std::string, std::weak_ptr<MutexObject>> named;
    std::uintptr_t next = 4;

    HANDLE Add(std::shared_ptr<MutexObject> object, DWORD access, bool inherit) {
        const std::uintptr_t key = next;
        next += 4;
        handles.emplace(key, HandleEntry{std::move(object), access, inherit});
        return reinterpret_cast<HANDLE>(key);
    }

    std::optional<HandleEntry> Find(HANDLE h) {
        std::lock_guard lock(mutex);
        auto it = handles.find(reinterpret_cast<std::uintptr_t>(h));
        if (it == handles.end()) return std::nullopt;
        return it->second;
    }
};

HandleTable& Table() {
    static HandleTable table;
    return table;
}

// Opens the file of a mutex and takes its guard byte. The file may have been removed by its last
// holder between opening and locking; then it is opened again.
struct GuardedFile {
    FileDescriptor fd;
    std::unique_ptr<GuardLock> guard;
};

std::optional<GuardedFile> OpenGuarded(const std::string& path, bool create, int& err) {
    for (;;) {
        const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
        FileDescriptor fd(::open(path.c_str(), flags, 0600));
        if (!fd) {
            err = errno;
            if (err == EINTR) continue;
            return std::nullopt;
        }
        auto guard = std::make_unique<GuardLock>(fd.get());
        if (guard->error() != 0) {
            err = guard->error();
            return std::nullopt;
        }
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd.get(), &opened) != 0) {
            err = errno;
            return std::nullopt;
        }
        const bool found = ::stat(path.c_str(), &named) == 0;
        if (found && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
            return GuardedFile{std::move(fd), std::move(guard)};
        }
        if (!found && !create) {
            err = ENOENT;
            return std::nullopt;
        }
    }
}

// The system counts a name's length in characters, not bytes.
bool ValidName(LPCSTR name) {
    if (AnsiToUtf16(name).size() > MAX_PATH) {
        SetLastError(kErrorFilenameExcedRange);
        return false;
    }
    return true;
}

}  // namespace

HANDLE CreateMutexA(const SECURITY_ATTRIBUTES* lpMutexAttributes, BOOL bInitialOwner, LPCSTR name) {
    if (lpMutexAttributes != nullptr && lpMutexAttributes->lpSecurityDescriptor != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const bool inherit = lpMutexAttributes != nullptr && lpMutexAttributes->bInheritHandle != 0;
    auto& table = Table();

    if (name == nullptr || name[0] == '\0') {
        FileDescriptor fd(::memfd_create("win32-mutex", MFD_CLOEXEC));
        if (!fd) {
            SetLastError(ErrorFromErrno(errno));
            return nullptr;
        }
        auto object = std::make_shared<MutexObject>(std::move(fd), std::string{});
        if (bInitialOwner != 0 && object->Wait(0) == WAIT_FAILED) return nullptr;
        std::lock_guard lock(table.mutex);
        SetLastError(ERROR_SUCCESS);
        return table.Add(std::move(object), MUTEX_ALL_ACCESS, inherit);
    }
    if (!ValidName(name)) return nullptr;

    std::lock_guard lock(table.mutex);
    const auto found = PathFor(name);
    if (!found) return nullptr;
    const std::string& path = *found;
    if (auto existing = table.named[path].lock()) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return table.Add(std::move(existing), MUTEX_ALL_ACCESS, inherit);
    }

    int err = 0;
    auto file = OpenGuarded(path, true, err);
    if (!file) {
        SetLastError(ErrorFromErrno(err));
        return nullptr;
    }
    const int probe = LockByte(file->fd.get(), F_WRLCK, kExistsByte, false);
    if (probe != 0 && !IsConflict(probe)) {
        SetLastError(ErrorFromErrno(probe));
        return nullptr;
    }
    const bool isNew = probe == 0;
    // Turn the probe into (or take) the shared lock that every holder keeps.
    if (int e = LockByte(file->fd.get(), F_RDLCK, kExistsByte, false); e != 0) {
        SetLastError(ErrorFromErrno(e));
        return nullptr;
    }
    // The guard goes before the object that closes its file.
    std::shared_ptr<MutexObject> object;
    auto guard = std::move(file->guard);
    object = std::make_shared<MutexObject>(std::move(file->fd), path);
    if (isNew) {
        if (int e = object->ResetMarker(); e != 0) {
            SetLastError(ErrorFromErrno(e));
            return nullptr;
        }
        if (bInitialOwner != 0 && object->Wait(0) == WAIT_FAILED) return nullptr;
    }
    guard.reset();
    table.named[path] = object;
    SetLastError(isNew ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
    return table.Add(std::move(object), MUTEX_ALL_ACCESS, inherit);
}

HANDLE OpenMutexA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR name) {
    if (name == nullptr || name[0] == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!ValidName(name)) return nullptr;
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    const auto found = PathFor(name);
    if (!found) return nullptr;
    const std::string& path = *found;
    if (auto existing = table.named[path].lock()) {
        return table.Add(std::move(existing), dwDesiredAccess, bInheritHandle != 0);
    }
    table.named.erase(path);

    int err = 0;
    auto file = OpenGuarded(path, false, err);
    if (!file) {
        SetLastError(ErrorFromErrno(err));
        return nullptr;
    }
    const int probe = LockByte(file->fd.get(), F_WRLCK, kExistsByte, false);
    if (probe == 0) {
        // Nobody holds it: a file left behind by a process that was killed. Tidy it away.
        ::unlink(path.c_str());
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    if (!IsConflict(probe)) {
        SetLastError(ErrorFromErrno(probe));
        return nullptr;
    }
    if (int e = LockByte(file->fd.get(), F_RDLCK, kExistsByte, false); e != 0) {
        SetLastError(ErrorFromErrno(e));
        return nullptr;
    }
    // The guard goes before the object that closes its file.
    std::shared_ptr<MutexObject> object;
    auto guard = std::move(file->guard);
    object = std::make_shared<MutexObject>(std::move(file->fd), path);
    guard.reset();
    table.named[path] = object;
    return table.Add(std::move(object), dwDesiredAccess, bInheritHandle != 0);
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    const auto entry = Table().Find(hHandle);
    if (!entry) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if ((entry->access & SYNCHRONIZE) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return WAIT_FAILED;
    }
    return entry->object->Wait(dwMilliseconds);
}

BOOL ReleaseMutex(HANDLE hMutex) {
    const auto entry = Table().Find(hMutex);
    if (!entry) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return entry->object->Release() ? 1 : 0;
}

BOOL CloseHandle(HANDLE hObject) {
    auto& table = Table();
    std::shared_ptr<MutexObject> dropped;  // let go outside the table's lock
    {
        std::lock_guard lock(table.mutex);
        auto it = table.handles.find(reinterpret_cast<std::uintptr_t>(hObject));
        if (it == table.handles.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        dropped = std::move(it->second.object);
        table.handles.erase(it);
    }
    return 1;
}

BOOL GetHandleInformation(HANDLE hObject, DWORD* lpdwFlags) {
    const auto entry = Table().Find(hObject);
    if (!entry || lpdwFlags == nullptr) {
        SetLastError(entry ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return 0;
    }
    *lpdwFlags = entry->inherit ? HANDLE_FLAG_INHERIT : 0;
    return 1;
}

}  // namespace win32
