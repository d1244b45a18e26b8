// Every message text the host units raise or show, each written once. Code
// page 932 once compiled. A "%s" or "%d" is filled by FillIn (exceptions.h).
//
// The dialogs' captions and the error report's caption and format are not
// here: the dialogs and the report load them from the string table
// (host.rc), as the program always has.
#pragma once

namespace vorn {

// The byte stream (stream.h) and ReplaceWholeFile (file_replace.h); the undo
// raises the write error too when a restored file does not read back equal.
inline constexpr char MsgCannotOpenFile[] = "ﾌｧｲﾙ %s は開けません";
inline constexpr char MsgCannotCreateFile[] = "ﾌｧｲﾙ %s を作成できません";
inline constexpr char MsgStreamReadError[] = "ｽﾄﾘｰﾑからの読み込みｴﾗｰ";
inline constexpr char MsgStreamWriteError[] = "ｽﾄﾘｰﾑへの書き込みｴﾗｰ";
inline constexpr char MsgMemoryStreamFull[] = "ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました";
inline constexpr char MsgAbstractError[] = "Abstract ｴﾗｰ";

// The registry (registry.h); %s is the value name.
inline constexpr char MsgRegistryReadFailed[] = "'%s' の取得に失敗しました";
inline constexpr char MsgRegistryWrongType[] = "'%s' のﾃﾞｰﾀ型が不正です";
inline constexpr char MsgRegistryWriteFailed[] = "'%s' の設定に失敗しました";

// The profile writer (ini_file.h); %s is the profile's path.
inline constexpr char MsgCannotWriteProfile[] = "%s に書き込めません";

// The string list (string_list.h); %d is the index.
inline constexpr char MsgListIndexOutOfBounds[] = "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (%d)";

// A failed Win32 call (win32_error.h): with the system's error code, or
// without one.
inline constexpr char MsgWin32Error[] = "Win32 ｴﾗｰ。ｺｰﾄﾞ: %d.";
inline constexpr char MsgWin32CallFailed[] = "Win32 API 呼び出しに失敗しました";

// Start-up (startup.h, application.h).
inline constexpr char MsgWindowClassFailed[] = "ｳｨﾝﾄﾞｳｸﾗｽの作成でｴﾗｰが発生しました";
inline constexpr char MsgOutOfMemory[] = "ﾒﾓﾘが足りません";

// Processor faults (processor_faults.h); %s is eight hexadecimal digits: the
// fault code, or the address whose access was refused.
inline constexpr char MsgExternalException[] = "外部例外 %s";
inline constexpr char MsgAccessViolationRead[] = "ｱﾄﾞﾚｽ %s の読み込みでｱｸｾｽ違反が発生しました";
inline constexpr char MsgAccessViolationWrite[] = "ｱﾄﾞﾚｽ %s への書き込みでｱｸｾｽ違反が発生しました";
inline constexpr char MsgAccessViolationExecute[] = "ｱﾄﾞﾚｽ %s の実行でｱｸｾｽ違反が発生しました";
inline constexpr char MsgDivByZero[] = "整数を 0 で除算しました";
inline constexpr char MsgZeroDivide[] = "浮動小数点数を 0 で除算しました";
inline constexpr char MsgRangeError[] = "配列の範囲を超えました";
inline constexpr char MsgStackOverflow[] = "ｽﾀｯｸｵｰﾊﾞｰﾌﾛｰ";
inline constexpr char MsgFloatOverflow[] = "浮動小数点ｵｰﾊﾞｰﾌﾛｰ";
inline constexpr char MsgFloatUnderflow[] = "浮動小数点ｱﾝﾀﾞｰﾌﾛｰ";
inline constexpr char MsgInvalidFloatOp[] = "無効な浮動小数点演算です";
inline constexpr char MsgIntOverflow[] = "整数ｵｰﾊﾞｰﾌﾛｰ";
inline constexpr char MsgControlC[] = "Control+C で中断されました";
inline constexpr char MsgPrivilege[] = "特権命令です";

// The runtime-error box, shown when no error report can be: the number and
// the address are written over the template's blanks and zeros.
inline constexpr char MsgRuntimeErrorTemplate[] = "Runtime error     at ";
inline constexpr char MsgRuntimeErrorCaption[] = "Error";

} // namespace vorn
