#include "platform/data/drivers/postgres/PostgresSql.h"

#include "platform/data/drivers/SqlSelect.h"

#include <cctype>
#include <cstdio>

namespace data::pg {

namespace {

// Index just past a quoted part, comment or dollar-quoted text starting at i; i when none does.
std::size_t SkipQuotedOrDollar(const std::string& s, std::size_t i) {
    if (s[i] == '$' && (i == 0 || !IsWordChar(s[i - 1]))) {
        std::size_t j = i + 1;
        while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_')) ++j;
        if (j < s.size() && s[j] == '$') {
            const std::string tag = s.substr(i, j - i + 1);
            const std::size_t e = s.find(tag, j + 1);
            return e == std::string::npos ? s.size() : e + tag.size();
        }
    }
    return SkipQuoted(s, i);
}

constexpr const char* kUserTables =
    "user_tables (table_name) as (select c.relname::varchar(128) collate \"C\" from pg_catalog.pg_class c "
    "where c.relnamespace = (select n.oid from pg_catalog.pg_namespace n where n.nspname = current_schema()) "
    "and c.relkind in ('r', 'p'))";

}  // namespace

std::string RowIdToCtid(const std::string& item) {
    const std::size_t dot = item.rfind('.');
    return (dot == std::string::npos ? std::string() : item.substr(0, dot + 1)) + "ctid";
}

std::string ProvideUserTables(const std::string& sql) {
    bool named = false;
    std::size_t first = std::string::npos;  // where the statement's first word starts
    for (std::size_t i = 0; i < sql.size();) {
        const std::size_t k = SkipQuotedOrDollar(sql, i);
        if (k != i) {
            if (first == std::string::npos && (sql[i] == '\'' || sql[i] == '"')) first = i;
            i = k;
            continue;
        }
        if (first == std::string::npos && !std::isspace(static_cast<unsigned char>(sql[i]))) first = i;
        if (KeywordAt(sql, i, "user_tables")) {
            named = true;
            break;
        }
        ++i;
    }
    if (!named) return sql;
    if (first != std::string::npos && KeywordAt(sql, first, "with")) {
        std::size_t keep = first + 4, at = keep;
        while (at < sql.size() && std::isspace(static_cast<unsigned char>(sql[at]))) ++at;
        if (KeywordAt(sql, at, "recursive")) {
            keep = at + 9;
            at = keep;
            while (at < sql.size() && std::isspace(static_cast<unsigned char>(sql[at]))) ++at;
        }
        return sql.substr(0, keep) + " " + kUserTables + ", " + sql.substr(at);
    }
    return std::string("with ") + kUserTables + " " + sql;
}

TFieldType FieldTypeOf(unsigned typeOid, int typmod, int& size) {
    size = 0;
    switch (typeOid) {
    case kInt2Oid:
    case kInt4Oid:
    case kInt8Oid:
    case kOidOid: return ftInteger;
    case kNumericOid: {
        // numeric(p) with no fraction and at most 18 digits fits an integer exactly.
        if (typmod >= 4) {
            const int precision = ((typmod - 4) >> 16) & 0xffff;
            const int scale = (typmod - 4) & 0xffff;
            if (scale == 0 && precision <= 18) return ftInteger;
        }
        return ftFloat;
    }
    case kFloat4Oid:
    case kFloat8Oid: return ftFloat;
    case kBoolOid: return ftBoolean;
    case kDateOid:
    case kTimestampOid:
    case kTimestampTzOid: return ftDateTime;
    case kByteaOid: return ftBlob;
    case kTextOid: return ftMemo;
    case kNameOid: size = 63; return ftString;
    case kVarcharOid:
    case kBpcharOid:
        if (typmod >= 4) size = typmod - 4;
        return ftString;
    default: return ftString;
    }
}

std::string NormalizeDateTime(const std::string& text) {
    int y, mo, d, n = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &n) != 3 || n != 10) return text;
    if (text.size() == 10) return text + " 00:00:00";
    int h, mi, s, m = 0;
    if (text[10] != ' ' || std::sscanf(text.c_str() + 11, "%2d:%2d:%2d%n", &h, &mi, &s, &m) != 3 || m != 8)
        return text;
    // Fractions of a second and the zone offset are not part of the cache's form.
    if (text.size() > 19 && std::string(".+-").find(text[19]) == std::string::npos) return text;
    return text.substr(0, 19);
}

void AppendHex(std::string& out, const char* bytes, std::size_t length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    const std::size_t at = out.size();
    out.resize(at + 2 * length);
    for (std::size_t i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[at + 2 * i] = kDigits[b >> 4];
        out[at + 2 * i + 1] = kDigits[b & 0xf];
    }
}

}  // namespace data::pg
