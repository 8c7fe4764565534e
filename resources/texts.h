// Every text the program shows from its code. The sources are UTF-8; the compiler turns
// the literals into code page 932 bytes, the program's only text encoding.
#pragma once

namespace verrow::text {

// Starting programs.
inline constexpr const char kStartError[] = "%s の起動エラー(CODE=%d)";

// The entry store.
inline constexpr const char kConfigFolderMissing[] = "設定フォルダが見つかりません。";

// Main window commands.
inline constexpr const char kRunFailed[] = "アプリケーションの起動に失敗しました";
inline constexpr const char kWrongDrive[] = "Verrowを起動したドライブ上のアプリケーションを登録してください。";
inline constexpr const char kConfirmDelete[] = "選択されたアイテムを削除してもよろしいですか？";

// Data exchange.
inline constexpr const char kTextTooLong[] = "%1 文字以内で入力してください。";

}  // namespace verrow::text
