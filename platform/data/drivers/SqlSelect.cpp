#include "platform/data/drivers/SqlSelect.h"

#include <cctype>

namespace data {

namespace {

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

}  // namespace

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || static_cast<unsigned char>(c) >= 0x80; }

bool KeywordAt(const std::string& s, std::size_t i, const char* kw) {
    std::size_t n = 0;
    while (kw[n]) {
        if (i + n >= s.size() || std::tolower(static_cast<unsigned char>(s[i + n])) != kw[n]) return false;
        ++n;
    }
    if (i > 0 && IsWordChar(s[i - 1])) return false;
    return i + n >= s.size() || !IsWordChar(s[i + n]);
}

// Index just past a quoted part or comment that starts at i, or i when none starts there.
std::size_t SkipQuoted(const std::string& s, std::size_t i) {
    const char c = s[i];
    if (c == '\'' || c == '"' || c == '`' || c == '[') {
        const char close = c == '[' ? ']' : c;
        for (std::size_t j = i + 1; j < s.size(); ++j)
            if (s[j] == close) {
                if (close != ']' && j + 1 < s.size() && s[j + 1] == close) {
                    ++j;
                    continue;
                }
                return j + 1;
            }
        return s.size();
    }
    if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
        const std::size_t e = s.find('\n', i);
        return e == std::string::npos ? s.size() : e + 1;
    }
    if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
        const std::size_t e = s.find("*/", i + 2);
        return e == std::string::npos ? s.size() : e + 2;
    }
    return i;
}


SelectParts SplitSelect(const std::string& sql) {
    SelectParts parts;
    std::size_t i = 0;
    while (i < sql.size()) {
        const std::size_t k = SkipQuoted(sql, i);
        if (k != i && sql[i] != '\'' && sql[i] != '"') { i = k; continue; }
        if (std::isspace(static_cast<unsigned char>(sql[i]))) { ++i; continue; }
        break;
    }
    if (!KeywordAt(sql, i, "select")) return parts;
    i += 6;
    int depth = 0;
    std::size_t itemStart = i;
    while (i < sql.size()) {
        const std::size_t k = SkipQuoted(sql, i);
        if (k != i) { i = k; continue; }
        const char c = sql[i];
        if (c == '(') ++depth;
        else if (c == ')') --depth;
        else if (depth == 0 && c == ',') {
            parts.items.push_back(Trim(sql.substr(itemStart, i - itemStart)));
            itemStart = i + 1;
        } else if (depth == 0 && KeywordAt(sql, i, "from")) {
            parts.items.push_back(Trim(sql.substr(itemStart, i - itemStart)));
            parts.fromRest = sql.substr(i + 4);
            parts.ok = true;
            break;
        }
        ++i;
    }
    if (!parts.ok) return parts;
    for (const std::string& item : parts.items)
        if (item.empty()) parts.ok = false;
    if (!parts.items.empty() && (KeywordAt(parts.items[0], 0, "distinct") || KeywordAt(parts.items[0], 0, "all")))
        parts.ok = false;
    return parts;
}

bool IsStarItem(const std::string& item) {
    return item == "*" || (item.size() > 2 && item.compare(item.size() - 2, 2, ".*") == 0);
}

bool IsRowIdItem(const std::string& item) {
    std::string last = item;
    const std::size_t dot = item.rfind('.');
    if (dot != std::string::npos) last = item.substr(dot + 1);
    if (last.size() != 5) return false;
    for (std::size_t i = 0; i < 5; ++i)
        if (std::tolower(static_cast<unsigned char>(last[i])) != "rowid"[i]) return false;
    return true;
}

bool IsPlainColumnItem(const std::string& item) {
    for (std::size_t i = 0; i < item.size();) {
        const std::size_t k = SkipQuoted(item, i);
        if (k != i) {
            if (item[i] == '\'') return false;
            i = k;
            continue;
        }
        if (!IsWordChar(item[i]) && item[i] != '.') return false;
        ++i;
    }
    return !item.empty();
}

std::string QuoteIdent(const std::string& name) {
    std::string q = "\"";
    for (char c : name) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

}  // namespace data
