#pragma once
// Cell values of the row cache, and BLOB contents that are held in memory when small and in a
// private temporary file when large, so that a file of any size moves in bounded memory.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>

namespace data {

// Bytes of a BLOB (or long text) cell, immutable once built. Up to kMemoryThreshold bytes are kept
// in memory; a larger content lives in an unlinked temporary file that disappears with the object.
// Told after each chunk of a transfer how many bytes of how many are done; throwing (EAbort when
// the user cancels) stops the transfer with nothing changed.
using TransferProgress = std::function<void(std::int64_t done, std::int64_t total)>;

class BlobContent {
public:
    static constexpr std::int64_t kMemoryThreshold = std::int64_t{1} << 20;
    static constexpr std::size_t kChunkSize = std::size_t{256} << 10;

    ~BlobContent();
    BlobContent(const BlobContent&) = delete;
    BlobContent& operator=(const BlobContent&) = delete;

    static std::shared_ptr<const BlobContent> FromBytes(std::string bytes);
    // Reads a whole file (path in UTF-8), refusing it when another program holds a lock on it (EFOpenError naming
    // the file).
    static std::shared_ptr<const BlobContent> FromFile(const std::string& path,
                                                       const TransferProgress& progress = {});

    std::int64_t Size() const noexcept { return size_; }
    // Copies up to `length` bytes from `offset`; returns the count copied.
    std::size_t Read(std::int64_t offset, char* buffer, std::size_t length) const;
    // The whole content in memory (for small values such as memo text).
    std::string ReadAll() const;

    // Collects a content chunk by chunk, spilling to a temporary file above the threshold.
    class Builder {
    public:
        Builder();
        ~Builder();
        Builder(const Builder&) = delete;
        Builder& operator=(const Builder&) = delete;
        void Append(const char* data, std::size_t length);
        std::int64_t Size() const noexcept { return content_->size_; }
        std::shared_ptr<const BlobContent> Finish();

    private:
        std::unique_ptr<BlobContent> content_;
    };

private:
    BlobContent();
    void Spill();

    std::int64_t size_ = 0;
    std::string memory_;
    int fd_ = -1;  // temporary file, already unlinked; -1 while in memory
};

using BlobPtr = std::shared_ptr<const BlobContent>;

// A BLOB cell whose content stays in the database until someone asks for it.
struct DbBlob {
    std::int64_t size = 0;
    friend bool operator==(const DbBlob&, const DbBlob&) = default;
};

// One cell: null, integer, floating point, text (also dates in ISO form "YYYY-MM-DD HH:MM:SS"),
// a BLOB left in the database, or a BLOB content loaded by the program.
using Value = std::variant<std::monostate, std::int64_t, double, std::string, DbBlob, BlobPtr>;

inline bool IsNullValue(const Value& v) noexcept { return std::holds_alternative<std::monostate>(v); }

}  // namespace data
