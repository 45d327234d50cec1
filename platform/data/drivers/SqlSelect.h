#pragma once
// Splits a simple query into its select list and the rest, so that drivers can find the row
// identifier's place and choose what to fetch. Only the outermost level is looked at.

#include <cstddef>
#include <string>
#include <vector>

namespace data {

struct SelectParts {
    bool ok = false;                 // false when the text is not "select <list> from <rest>"
    std::vector<std::string> items;  // the select list, trimmed
    std::string fromRest;            // everything after the top-level "from"
};

SelectParts SplitSelect(const std::string& sql);

// "*" or "qualifier.*".
bool IsStarItem(const std::string& item);
// "rowid" or "qualifier.rowid", letter case ignored.
bool IsRowIdItem(const std::string& item);
// A plain (possibly qualified, possibly quoted) column reference without alias or expression.
bool IsPlainColumnItem(const std::string& item);
// Scanning helpers shared by the drivers' statement rewriting.
bool IsWordChar(char c);
// True when the keyword `kw` (lower case) stands at `i` as a whole word, letter case ignored.
bool KeywordAt(const std::string& s, std::size_t i, const char* kw);
// Index just past a quoted text, quoted name or comment that starts at i, or i when none does.
std::size_t SkipQuoted(const std::string& s, std::size_t i);

// Quotes an identifier with double quotes.
std::string QuoteIdent(const std::string& name);

}  // namespace data
