#pragma once
// Every text the data layer shows, in one place. Sources are UTF-8; Format turns a text into the
// ANSI code page and fills in %1, %2, ... with arguments that already are in it.

#include <initializer_list>
#include <string>

namespace data::texts {

inline constexpr const char* kFieldNotFound = "フィールド '%1' が見つかりません。";
inline constexpr const char* kFieldRequired = "フィールド '%1' には値が必要です。";
inline constexpr const char* kNotEditing = "データセットが編集モードでも挿入モードでもありません。";
inline constexpr const char* kDataSetClosed = "データセットが開かれていません。";
inline constexpr const char* kNoCurrentRecord = "現在のレコードがありません。";
inline constexpr const char* kDataSetReadOnly = "データセットは読み取り専用なので変更できません。";
inline constexpr const char* kNoCachedUpdates =
    "キャッシュ更新が有効でないデータセットは変更できません。";
inline constexpr const char* kNoRowId =
    "キャッシュ更新を使うには、SQL 文の選択リストに rowid を含めてください。";
inline constexpr const char* kRowVanished =
    "レコードが他のユーザーによって削除されています。データを開き直してください。";
inline constexpr const char* kNoSession = "データセット '%1' にセッションが設定されていません。";
inline constexpr const char* kEmptySql = "データセット '%1' の SQL 文が空です。";
inline constexpr const char* kNotConnected = "データベースにログオンしていません。";
inline constexpr const char* kNotAnInteger = "'%1' は有効な整数値ではありません。";
inline constexpr const char* kNotAFloat = "'%1' は有効な数値ではありません。";
inline constexpr const char* kNotADateTime = "'%1' は有効な日付・時刻ではありません。";
inline constexpr const char* kNotABoolean = "'%1' は有効なブール値ではありません。";
inline constexpr const char* kValueNotInteger = "フィールド '%1' の値は整数ではありません。";
inline constexpr const char* kValueNotFloat = "フィールド '%1' の値は数値ではありません。";
inline constexpr const char* kFileOpenFailed = "ファイル '%1' を開けません。(%2)";
inline constexpr const char* kFileReadFailed = "ファイル '%1' を読み込めません。(%2)";
inline constexpr const char* kFileCreateFailed = "ファイル '%1' を作成できません。(%2)";
inline constexpr const char* kTempFileCreateFailed = "BLOB 用の一時ファイルを作成できません。(%1)";
inline constexpr const char* kTempFileWriteFailed = "BLOB 用の一時ファイルに書き込めません。(%1)";
inline constexpr const char* kTempFileReadFailed = "BLOB 用の一時ファイルを読み込めません。(%1)";
inline constexpr const char* kSqliteOpenFailed = "SQLite データベース '%1' を開けません。(%2)";
inline constexpr const char* kSqliteNoFile =
    "SQLite データベース '%1' が見つかりません。パスを確認してください。";
inline constexpr const char* kPostgresMissing =
    "PostgreSQL への接続は、このプログラムではまだ使えません (PostgreSQL ドライバーが組み込まれていません)。";
inline constexpr const char* kOracleClientMissing =
    "Oracle クライアント ライブラリ libclntsh.so を読み込めません。Oracle Instant Client を"
    "インストールし、その場所を LD_LIBRARY_PATH に設定してください。(%1)";
inline constexpr const char* kOracleDriverMissing =
    "Oracle クライアント ライブラリは見つかりましたが、このプログラムの Oracle ドライバーは"
    "まだ接続できません。SQLite か PostgreSQL のデータベースを指定してください。";
inline constexpr const char* kLogonCaption = "ログオン";
inline constexpr const char* kLogonUsername = "ユーザー名(&U):";
inline constexpr const char* kLogonPassword = "パスワード(&P):";
inline constexpr const char* kLogonDatabase = "データベース(&D):";
inline constexpr const char* kLogonOk = "OK";
inline constexpr const char* kLogonCancel = "キャンセル";

// The text in the ANSI code page with %1.. replaced.
std::string Format(const char* utf8Text, std::initializer_list<std::string> args = {});
template <class... A>
std::string Format(const char* utf8Text, const A&... args) {
    return Format(utf8Text, {std::string(args)...});
}

}  // namespace data::texts
