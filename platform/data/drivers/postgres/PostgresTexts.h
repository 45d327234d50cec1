#pragma once
// The texts the PostgreSQL driver adds to the server's own messages (UTF-8; see texts::Format).

namespace data::texts {

inline constexpr const char* kPostgresConnectFailed = "PostgreSQL データベースに接続できません。\n%1";
inline constexpr const char* kPostgresConnectionLost =
    "PostgreSQL サーバーとの接続が切れました。保存していない変更はそのまま残っています。"
    "ログオンし直してから、もう一度保存してください。\n%1";
inline constexpr const char* kPostgresCommitAborted =
    "トランザクションが中断されていたため、コミットできませんでした。変更はデータベースに保存されていません。";
inline constexpr const char* kPostgresCursorClosed =
    "データベースとの接続が閉じられたため、残りの行を読み込めません。データを開き直してください。";

}  // namespace data::texts
