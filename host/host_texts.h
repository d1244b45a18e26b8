// Every message text the host units raise or show, each written once. Code
// page 932 once compiled. A "%s" or "%d" is filled by FillIn (exceptions.h).
// Pointers to literals, not arrays: an array per text would be aligned and
// kept apart, and the program would grow by some hundred bytes.
//
// The dialogs' captions and the error report's caption and format are not
// here: the dialogs and the report load them from the string table
// (host.rc), as the program always has.
#pragma once

namespace vorn {

// The byte stream (stream.h) and ReplaceWholeFile (file_replace.h); the undo
// raises the write error too when a restored file does not read back equal.
constexpr const char* MsgCannotOpenFile = "ﾌｧｲﾙ %s は開けません";
constexpr const char* MsgCannotCreateFile = "ﾌｧｲﾙ %s を作成できません";
constexpr const char* MsgStreamReadError = "ｽﾄﾘｰﾑからの読み込みｴﾗｰ";
constexpr const char* MsgStreamWriteError = "ｽﾄﾘｰﾑへの書き込みｴﾗｰ";
constexpr const char* MsgMemoryStreamFull = "ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました";
constexpr const char* MsgAbstractError = "Abstract ｴﾗｰ";

// The registry (registry.h); %s is the value name.
constexpr const char* MsgRegistryReadFailed = "'%s' の取得に失敗しました";
constexpr const char* MsgRegistryWrongType = "'%s' のﾃﾞｰﾀ型が不正です";
constexpr const char* MsgRegistryWriteFailed = "'%s' の設定に失敗しました";

// The profile writer (ini_file.h); %s is the profile's path.
constexpr const char* MsgCannotWriteProfile = "%s に書き込めません";

// The string list (string_list.h); %d is the index.
constexpr const char* MsgListIndexOutOfBounds = "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (%d)";

// A failed Win32 call (win32_error.h): with the system's error code, or
// without one.
constexpr const char* MsgWin32Error = "Win32 ｴﾗｰ。ｺｰﾄﾞ: %d.";
constexpr const char* MsgWin32CallFailed = "Win32 API 呼び出しに失敗しました";

// Start-up (startup.h, application.h).
constexpr const char* MsgWindowClassFailed = "ｳｨﾝﾄﾞｳｸﾗｽの作成でｴﾗｰが発生しました";
constexpr const char* MsgOutOfMemory = "ﾒﾓﾘが足りません";

// Processor faults (processor_faults.h); %s is eight hexadecimal digits: the
// fault code, or the address whose access was refused.
constexpr const char* MsgExternalException = "外部例外 %s";
constexpr const char* MsgAccessViolationRead = "ｱﾄﾞﾚｽ %s の読み込みでｱｸｾｽ違反が発生しました";
constexpr const char* MsgAccessViolationWrite = "ｱﾄﾞﾚｽ %s への書き込みでｱｸｾｽ違反が発生しました";
constexpr const char* MsgAccessViolationExecute = "ｱﾄﾞﾚｽ %s の実行でｱｸｾｽ違反が発生しました";
constexpr const char* MsgDivByZero = "整数を 0 で除算しました";
constexpr const char* MsgZeroDivide = "浮動小数点数を 0 で除算しました";
constexpr const char* MsgRangeError = "配列の範囲を超えました";
constexpr const char* MsgStackOverflow = "ｽﾀｯｸｵｰﾊﾞｰﾌﾛｰ";
constexpr const char* MsgFloatOverflow = "浮動小数点ｵｰﾊﾞｰﾌﾛｰ";
constexpr const char* MsgFloatUnderflow = "浮動小数点ｱﾝﾀﾞｰﾌﾛｰ";
constexpr const char* MsgInvalidFloatOp = "無効な浮動小数点演算です";
constexpr const char* MsgIntOverflow = "整数ｵｰﾊﾞｰﾌﾛｰ";
constexpr const char* MsgControlC = "Control+C で中断されました";
constexpr const char* MsgPrivilege = "特権命令です";

// The runtime-error box, shown when no error report can be: the number and
// the address are written over the template's blanks and zeros.
constexpr const char* MsgRuntimeErrorTemplate = "Runtime error     at ";
constexpr const char* MsgRuntimeErrorCaption = "Error";

} // namespace vorn
