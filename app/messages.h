// Every text the patch run shows. Code page 932 once compiled.
#pragma once

namespace vorn {

inline constexpr char MsgFontInstall[] = "Korvelフォントをインストールします";
inline constexpr char MsgFontCopyFailed[] = "Korvelフォントのコピーに失敗しました";
inline constexpr char MsgClientNotInstalled[] = "ICQがインストールされていません";
inline constexpr char MsgApplyLocalePatchFirst[] =
    "このプログラムより先に日本語化パッチをあてて下さい";
inline constexpr char MsgQuitClient[] = "ICQが起動している場合はただちに終了して下さい";
inline constexpr char MsgBackupExists[] =
    "すでにバックアップファイルが存在します。代替フォント名のみ変更しますか？";
inline constexpr char MsgKeepBackup[] = "バックアップファイルを更新しないでおきますか？";
inline constexpr char MsgFontPromptCaption[] = "ICQ履歴日本語化";
inline constexpr char MsgFontPrompt[] = "置き換えフォント名を入力";
inline constexpr char MsgArchiveFontNeverSet[] =
    "Message Archiveのフォント設定が一度も変更されていません";
inline constexpr char MsgNoAccount[] = "ICQのアカウント登録が行われていません";
inline constexpr char MsgIniMissing[] = "win.iniが見つかりません。手動で書き換えてください";
inline constexpr char MsgRestartWindows[] = "変更を有効にするにはWindowsを再起動して下さい";
inline constexpr char MsgArchiveFailed[] = "Message Archiveの日本語化に失敗しました";

// Suffixes, shown directly behind a run value.
inline constexpr char MsgReplaceWithFont[] = "フォントで置き換えます";
inline constexpr char MsgRewriting[] = "を書き換えます";

inline constexpr char kDefaultFontName[] = "Korvel";

} // namespace vorn
