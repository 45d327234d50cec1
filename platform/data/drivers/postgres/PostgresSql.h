#pragma once
// The PostgreSQL dialect of the window's statements: what stands behind "rowid" and USER_TABLES,
// how the server's types become field types, and how its date texts become the cache's form.

#include <string>

#include "platform/data/FieldTypes.h"

namespace data::pg {

// Type numbers of the server's built-in types that the driver tells apart.
enum : unsigned {
    kBoolOid = 16,
    kByteaOid = 17,
    kNameOid = 19,
    kInt8Oid = 20,
    kInt2Oid = 21,
    kInt4Oid = 23,
    kTextOid = 25,
    kOidOid = 26,
    kTidOid = 27,
    kFloat4Oid = 700,
    kFloat8Oid = 701,
    kBpcharOid = 1042,
    kVarcharOid = 1043,
    kDateOid = 1082,
    kTimestampOid = 1114,
    kTimestampTzOid = 1184,
    kNumericOid = 1700,
};

// "rowid" / "T.rowid" (any letter case) become the physical row address "ctid" / "T.ctid".
std::string RowIdToCtid(const std::string& item);

// When the statement names USER_TABLES outside quotes and comments, puts a common table
// expression of that name in front of it: one column table_name (varchar(128), sorted bytewise),
// one row per ordinary or partitioned table of the current schema. Nothing is created in the
// database. Other statements come back unchanged.
std::string ProvideUserTables(const std::string& sql);

// Field type and size (characters; 0 when unbounded or not text) of a column of the given type
// and type modifier.
TFieldType FieldTypeOf(unsigned typeOid, int typmod, int& size);

// A date or timestamp in the server's ISO output ("2024-05-06", "2024-05-06 07:08:09.5+09") as
// "YYYY-MM-DD HH:MM:SS"; texts of another shape ("infinity") come back unchanged.
std::string NormalizeDateTime(const std::string& text);

// Hexadecimal digits of the bytes, two per byte, lower case.
void AppendHex(std::string& out, const char* bytes, std::size_t length);

}  // namespace data::pg
