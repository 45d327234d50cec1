// Fields: value access on the current record and the text conversion rules of each type.

#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/data/DB.h"
#include "platform/data/DataTexts.h"
#include "platform/data/drivers/Driver.h"
#include "platform/win32/CodePage.h"

namespace {

std::string Trimmed(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

// Cuts UTF-8 text to `chars` characters.
std::string CutToChars(const std::string& utf8, int chars) {
    if (chars <= 0) return utf8;
    int count = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c & 0xC0) != 0x80) {
            if (count == chars) return utf8.substr(0, i);
            ++count;
        }
    }
    return utf8;
}

std::string FloatText(double v) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    (void)ec;
    return std::string(buf, end);
}

bool ParseInt(const std::string& text, std::int64_t& out) {
    std::string t = Trimmed(text);
    if (!t.empty() && t[0] == '+') t.erase(0, 1);
    if (t.empty()) return false;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
    return ec == std::errc() && end == t.data() + t.size();
}

bool ParseFloat(const std::string& text, double& out) {
    std::string t = Trimmed(text);
    if (!t.empty() && t[0] == '+') t.erase(0, 1);
    if (t.empty()) return false;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
    return ec == std::errc() && end == t.data() + t.size() && std::isfinite(out);
}

// "YYYY/MM/DD", "YYYY-MM-DD", each optionally followed by " HH:MM" or " HH:MM:SS" (also 'T').
bool ParseDateTime(const std::string& text, std::string& iso) {
    const std::string t = Trimmed(text);
    int y, mo, d, h = 0, mi = 0, s = 0, n = 0;
    char sep1, sep2;
    if (std::sscanf(t.c_str(), "%4d%c%2d%c%2d%n", &y, &sep1, &mo, &sep2, &d, &n) != 5) return false;
    if (!((sep1 == '/' && sep2 == '/') || (sep1 == '-' && sep2 == '-'))) return false;
    std::string rest = t.substr(static_cast<std::size_t>(n));
    if (!rest.empty()) {
        if (rest[0] != ' ' && rest[0] != 'T') return false;
        int m = 0;
        const std::string tm = Trimmed(rest.substr(1));
        if (std::sscanf(tm.c_str(), "%2d:%2d:%2d%n", &h, &mi, &s, &m) == 3 && m == static_cast<int>(tm.size())) {
        } else if (s = 0, std::sscanf(tm.c_str(), "%2d:%2d%n", &h, &mi, &m) == 2 && m == static_cast<int>(tm.size())) {
        } else {
            return false;
        }
    }
    if (y < 1 || mo < 1 || mo > 12 || d < 1 || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0) return false;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (d > days[mo - 1] + (mo == 2 && leap ? 1 : 0)) return false;
    char buf[64];  // room for any int, so the compiler can prove nothing is cut
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
    iso = buf;
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TField::TField(TDataSet* dataSet, int index, std::string fieldName, TFieldType type, int size)
    : dataSet_(dataSet), index_(index), fieldName_(std::move(fieldName)), dataType_(type), size_(size) {}

TField::~TField() = default;

const data::Value& TField::CurrentValue() const { return dataSet_->CellValue(dataSet_->CurrentRow(), index_); }

void TField::SetCurrentValue(data::Value value) { dataSet_->EditValue(index_) = std::move(value); dataSet_->FieldChanged(); }

void TField::CheckEditing() const { dataSet_->EditValue(index_); }

bool TField::IsNull() const {
    if (dataSet_->CurrentRow() < 0) return true;
    return data::IsNullValue(CurrentValue());
}

std::string TField::AsString() const {
    if (dataSet_->CurrentRow() < 0) return {};
    return TextOf(CurrentValue());
}

void TField::SetAsString(const std::string& text) { SetCurrentValue(FromText(text)); }

std::int64_t TField::AsInteger() const {
    if (dataSet_->CurrentRow() < 0) return 0;
    const data::Value& v = CurrentValue();
    if (data::IsNullValue(v)) return 0;
    if (auto i = std::get_if<std::int64_t>(&v)) return *i;
    if (auto d = std::get_if<double>(&v)) return static_cast<std::int64_t>(std::llround(*d));
    std::int64_t out = 0;
    if (auto s = std::get_if<std::string>(&v); s && ParseInt(*s, out)) return out;
    throw EConvertError(data::texts::Format(data::texts::kValueNotInteger, fieldName_));
}

void TField::SetAsInteger(std::int64_t value) { SetAsString(std::to_string(value)); }

double TField::AsFloat() const {
    if (dataSet_->CurrentRow() < 0) return 0;
    const data::Value& v = CurrentValue();
    if (data::IsNullValue(v)) return 0;
    if (auto i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
    if (auto d = std::get_if<double>(&v)) return *d;
    double out = 0;
    if (auto s = std::get_if<std::string>(&v); s && ParseFloat(*s, out)) return out;
    throw EConvertError(data::texts::Format(data::texts::kValueNotFloat, fieldName_));
}

void TField::SetAsFloat(double value) { SetAsString(FloatText(value)); }

void TField::Clear() { SetCurrentValue(data::Value{}); }

std::string TField::TextOf(const data::Value& value) const {
    struct {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(std::int64_t i) const { return std::to_string(i); }
        std::string operator()(double d) const { return FloatText(d); }
        std::string operator()(const std::string& s) const { return win32::Utf8ToAnsi(s); }
        std::string operator()(const data::DbBlob&) const { return "(BLOB)"; }
        std::string operator()(const data::BlobPtr&) const { return "(BLOB)"; }
    } visitor;
    return std::visit(visitor, value);
}

data::Value TField::FromText(const std::string& text) const {
    if (text.empty()) return {};
    return win32::AnsiToUtf8(text);
}

TStringField::TStringField(TDataSet* dataSet, int index, std::string fieldName, int size)
    : TField(dataSet, index, std::move(fieldName), ftString, size) {}

data::Value TStringField::FromText(const std::string& text) const {
    if (text.empty()) return {};
    return CutToChars(win32::AnsiToUtf8(text), Size());
}

TIntegerField::TIntegerField(TDataSet* dataSet, int index, std::string fieldName)
    : TField(dataSet, index, std::move(fieldName), ftInteger, 0) {}

data::Value TIntegerField::FromText(const std::string& text) const {
    if (Trimmed(text).empty()) return {};
    std::int64_t v = 0;
    if (!ParseInt(text, v)) throw EConvertError(data::texts::Format(data::texts::kNotAnInteger, text));
    return v;
}

TFloatField::TFloatField(TDataSet* dataSet, int index, std::string fieldName)
    : TField(dataSet, index, std::move(fieldName), ftFloat, 0) {}

std::string TFloatField::TextOf(const data::Value& value) const {
    if (auto i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
    return TField::TextOf(value);
}

data::Value TFloatField::FromText(const std::string& text) const {
    if (Trimmed(text).empty()) return {};
    double v = 0;
    if (!ParseFloat(text, v)) throw EConvertError(data::texts::Format(data::texts::kNotAFloat, text));
    return v;
}

TDateTimeField::TDateTimeField(TDataSet* dataSet, int index, std::string fieldName)
    : TField(dataSet, index, std::move(fieldName), ftDateTime, 0) {}

std::string TDateTimeField::TextOf(const data::Value& value) const {
    auto s = std::get_if<std::string>(&value);
    std::string iso;
    if (!s || !ParseDateTime(*s, iso)) return TField::TextOf(value);
    std::string shown = iso.substr(0, 10);
    std::replace(shown.begin(), shown.end(), '-', '/');
    if (iso.compare(11, 8, "00:00:00") != 0) shown += iso.substr(10);
    return shown;
}

data::Value TDateTimeField::FromText(const std::string& text) const {
    if (Trimmed(text).empty()) return {};
    std::string iso;
    if (!ParseDateTime(text, iso)) throw EConvertError(data::texts::Format(data::texts::kNotADateTime, text));
    return iso;
}

TBooleanField::TBooleanField(TDataSet* dataSet, int index, std::string fieldName)
    : TField(dataSet, index, std::move(fieldName), ftBoolean, 0) {}

std::string TBooleanField::TextOf(const data::Value& value) const {
    if (auto i = std::get_if<std::int64_t>(&value)) return *i ? "True" : "False";
    return TField::TextOf(value);
}

data::Value TBooleanField::FromText(const std::string& text) const {
    const QString t = QString::fromStdString(Trimmed(text)).toLower();
    if (t.isEmpty()) return {};
    if (t == "true" || t == "1") return std::int64_t{1};
    if (t == "false" || t == "0") return std::int64_t{0};
    throw EConvertError(data::texts::Format(data::texts::kNotABoolean, text));
}

// ---------------------------------------------------------------------------------------------

TBlobField::TBlobField(TDataSet* dataSet, int index, std::string fieldName)
    : TField(dataSet, index, std::move(fieldName), ftBlob, 0) {}

void TBlobField::LoadFromFile(const std::string& fileName, const data::TransferProgress& progress) {
    // Checked before the file is read, so that a record in browse mode fails at once.
    CheckEditing();
    SetCurrentValue(data::BlobContent::FromFile(win32::AnsiToUtf8(fileName), progress));
}

void TBlobField::SaveToFile(const std::string& fileName,
                            const data::TransferProgress& progress) const {
    QSaveFile file(QString::fromStdString(win32::AnsiToUtf8(fileName)));
    auto fail = [&](const QString& why) {
        throw EFCreateError(data::texts::Format(data::texts::kFileCreateFailed, fileName, win32::Utf8ToAnsi(why.toStdString())));
    };
    if (!file.open(QIODevice::WriteOnly)) fail(file.errorString());
    const std::int64_t total = progress ? BlobSize() : 0;
    std::int64_t done = 0;
    ReadContent([&](const char* chunk, std::size_t length) {
        if (file.write(chunk, static_cast<qint64>(length)) != static_cast<qint64>(length)) fail(file.errorString());
        done += static_cast<std::int64_t>(length);
        if (progress) progress(done, total);
    });
    if (!file.commit()) fail(file.errorString());
}

std::int64_t TBlobField::BlobSize() const {
    if (DataSet()->CurrentRow() < 0) return 0;
    return DataSet()->BlobSize(DataSet()->CurrentRow(), Index());
}

void TBlobField::ReadContent(const std::function<void(const char*, std::size_t)>& sink) const {
    if (DataSet()->CurrentRow() < 0) return;
    const data::Value& v = CurrentValue();
    std::string chunk(data::BlobContent::kChunkSize, '\0');
    if (auto s = std::get_if<std::string>(&v)) {
        sink(s->data(), s->size());
    } else if (auto b = std::get_if<data::BlobPtr>(&v)) {
        for (std::int64_t at = 0;;) {
            const std::size_t n = (*b)->Read(at, chunk.data(), chunk.size());
            if (n == 0) break;
            sink(chunk.data(), n);
            at += static_cast<std::int64_t>(n);
        }
    } else if (std::holds_alternative<data::DbBlob>(v)) {
        auto reader = DataSet()->OpenBlobReader(DataSet()->CurrentRow(), Index());
        for (std::int64_t at = 0;;) {
            const std::size_t n = reader->Read(at, chunk.data(), chunk.size());
            if (n == 0) break;
            sink(chunk.data(), n);
            at += static_cast<std::int64_t>(n);
        }
    }
}

void TBlobField::WriteContent(const std::function<std::size_t(char*, std::size_t)>& source) {
    CheckEditing();
    data::BlobContent::Builder builder;
    std::string chunk(data::BlobContent::kChunkSize, '\0');
    for (;;) {
        const std::size_t n = source(chunk.data(), chunk.size());
        if (n == 0) break;
        builder.Append(chunk.data(), n);
    }
    SetCurrentValue(builder.Finish());
}

std::string TBlobField::AsString() const {
    std::string all;
    ReadContent([&](const char* chunk, std::size_t n) { all.append(chunk, n); });
    return all;
}

std::string TBlobField::TextOf(const data::Value& value) const {
    return data::IsNullValue(value) ? std::string() : std::string("(BLOB)");
}

data::Value TBlobField::FromText(const std::string& text) const {
    if (text.empty()) return {};
    return data::BlobContent::FromBytes(text);
}

TMemoField::TMemoField(TDataSet* dataSet, int index, std::string fieldName)
    : TBlobField(dataSet, index, std::move(fieldName)) {
    SetDataType(ftMemo);
}

std::string TMemoField::AsString() const { return win32::Utf8ToAnsi(TBlobField::AsString()); }

std::string TMemoField::TextOf(const data::Value& value) const {
    return data::IsNullValue(value) ? std::string() : std::string("(MEMO)");
}

data::Value TMemoField::FromText(const std::string& text) const {
    if (text.empty()) return {};
    return data::BlobContent::FromBytes(win32::AnsiToUtf8(text));
}

// ---------------------------------------------------------------------------------------------

TField* TFields::Fields(int index) const {
    if (index < 0 || index >= Count())
        throw EDatabaseError(data::texts::Format(data::texts::kFieldNotFound, std::to_string(index)));
    return fields_[static_cast<std::size_t>(index)].get();
}

TField* TFields::FindField(const std::string& fieldName) const {
    // Names compare without regard to ASCII letter case, byte by byte otherwise, so that the
    // rule holds in every code page.
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (const auto& f : fields_) {
        const std::string& name = f->FieldName();
        if (name.size() == fieldName.size() &&
            std::equal(name.begin(), name.end(), fieldName.begin(),
                       [&](char a, char b) { return lower(a) == lower(b); }))
            return f.get();
    }
    return nullptr;
}

TField* TFields::FieldByName(const std::string& fieldName) const {
    if (TField* f = FindField(fieldName)) return f;
    throw EDatabaseError(data::texts::Format(data::texts::kFieldNotFound, fieldName));
}
