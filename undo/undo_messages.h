// The texts the undo shows besides those it shares with the patch run
// (app/messages.h). Code page 932 once compiled.
#pragma once

namespace vorn {

inline constexpr char MsgUndoConfirm[] = "ICQ履歴日本語化を元に戻します";
inline constexpr char MsgNoBackup[] = "バックアップファイルが見つかりません";
inline constexpr char MsgBackupRewritten[] =
    "バックアップファイルも書き換え済みのため、プログラムファイルは元に戻せません";
inline constexpr char MsgAlreadyRestored[] = "プログラムファイルはすでに元に戻っています";
inline constexpr char MsgBackupMismatch[] =
    "バックアップファイルが現在のファイルと一致しません。プログラムファイルは元に戻しません";
inline constexpr char MsgDeleteFonts[] = "Korvelフォントを削除しますか？";
inline constexpr char MsgFontsNotDeleted[] =
    "Korvelフォントを削除できませんでした。Windowsを再起動した後で削除して下さい";

// Suffix, shown directly behind the full path of the client's program file.
inline constexpr char MsgRestoring[] = "を元に戻します";

} // namespace vorn
