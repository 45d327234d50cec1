#include "platform/data/Value.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/data/DataTexts.h"
#include "platform/vcl/SysUtils.h"
#include "platform/win32/CodePage.h"

namespace data {

namespace {

// An open file descriptor, closed when it goes.
class Fd {
public:
    explicit Fd(int fd) noexcept : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const noexcept { return fd_; }
    int release() noexcept { return std::exchange(fd_, -1); }

private:
    int fd_;
};

std::string SystemText(int err) { return std::strerror(err); }

void WriteAll(int fd, const char* data, std::size_t length) {
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EStreamError(texts::Format(texts::kTempFileWriteFailed, SystemText(errno)));
        }
        data += n;
        length -= static_cast<std::size_t>(n);
    }
}

}  // namespace

BlobContent::BlobContent() = default;

BlobContent::~BlobContent() {
    if (fd_ >= 0) ::close(fd_);
}

void BlobContent::Spill() {
    // The file is unlinked at once: it is private to this process and vanishes with the
    // descriptor, also when the program is killed.
    std::string pattern = QDir::tempPath().toStdString() + "/quillan-blob-XXXXXX";
    Fd fd(::mkstemp(pattern.data()));
    if (fd.get() < 0)
        throw EStreamError(texts::Format(texts::kTempFileCreateFailed, SystemText(errno)));
    ::unlink(pattern.c_str());
    WriteAll(fd.get(), memory_.data(), memory_.size());
    std::string().swap(memory_);
    fd_ = fd.release();
}

std::size_t BlobContent::Read(std::int64_t offset, char* buffer, std::size_t length) const {
    if (offset >= size_ || length == 0) return 0;
    const auto available = static_cast<std::size_t>(size_ - offset);
    if (length > available) length = available;
    if (fd_ < 0) {
        std::memcpy(buffer, memory_.data() + offset, length);
        return length;
    }
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd_, buffer + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EStreamError(texts::Format(texts::kTempFileReadFailed, SystemText(errno)));
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::string BlobContent::ReadAll() const {
    if (fd_ < 0) return memory_;
    std::string all(static_cast<std::size_t>(size_), '\0');
    all.resize(Read(0, all.data(), all.size()));
    return all;
}

std::shared_ptr<const BlobContent> BlobContent::FromBytes(std::string bytes) {
    Builder builder;
    builder.Append(bytes.data(), bytes.size());
    return builder.Finish();
}

std::shared_ptr<const BlobContent> BlobContent::FromFile(const std::string& path,
                                                        const TransferProgress& progress) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw EFOpenError(texts::Format(texts::kFileOpenFailed, win32::Utf8ToAnsi(path), SystemText(errno)));
    struct stat st{};
    if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode))
        throw EFOpenError(texts::Format(texts::kFileOpenFailed, win32::Utf8ToAnsi(path), SystemText(S_ISDIR(st.st_mode) ? EISDIR : errno)));
    // Opened without sharing: a program that holds a lock on the file (flock or a POSIX record
    // lock) makes the load fail instead of reading a file that is being written.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        throw EFOpenError(texts::Format(texts::kFileOpenFailed, win32::Utf8ToAnsi(path), SystemText(errno)));
    struct flock probe{};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    if (::fcntl(fd.get(), F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK)
        throw EFOpenError(texts::Format(texts::kFileOpenFailed, win32::Utf8ToAnsi(path), SystemText(EWOULDBLOCK)));

    Builder builder;
    std::string chunk(kChunkSize, '\0');
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk.data(), chunk.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EFOpenError(texts::Format(texts::kFileReadFailed, win32::Utf8ToAnsi(path), SystemText(errno)));
        }
        if (n == 0) break;
        builder.Append(chunk.data(), static_cast<std::size_t>(n));
        if (progress) progress(builder.Size(), st.st_size);
    }
    return builder.Finish();
}

BlobContent::Builder::Builder() : content_(new BlobContent) {}
BlobContent::Builder::~Builder() = default;

void BlobContent::Builder::Append(const char* data, std::size_t length) {
    BlobContent& c = *content_;
    if (c.fd_ < 0 && c.size_ + static_cast<std::int64_t>(length) > kMemoryThreshold) c.Spill();
    if (c.fd_ < 0)
        c.memory_.append(data, length);
    else
        WriteAll(c.fd_, data, length);
    c.size_ += static_cast<std::int64_t>(length);
}

std::shared_ptr<const BlobContent> BlobContent::Builder::Finish() {
    std::shared_ptr<const BlobContent> done(std::move(content_));
    content_.reset(new BlobContent);
    return done;
}

}  // namespace data
