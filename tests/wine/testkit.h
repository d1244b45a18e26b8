// Fixtures and helpers for the tests of the host units on Wine's Win32, in the
// manner of a conformance suite: each test makes its own scratch registry key
// or folder and removes it again, and checks the exact bytes a write left.
//
// Linking vorn_wine_testkit also gives the test program its main() (in
// testkit_main.cpp) unless the test defines its own: that main reads the
// system facts as start-up does, answers the helper modes below and runs the
// tests. A test with its own main() must call RunHelperMode() first to have
// the helpers that start the test program again.
#pragma once

#include "host/exceptions.h"
#include "host/handles_win32.h"

#include <gtest/gtest.h>
#include <optional>
#include <windows.h>

namespace vorn::testkit {

// A name no other test run on this machine uses at the same time.
String UniqueName(const char* prefix);

// A key HKEY_CURRENT_USER\Software\VornTest-..., created empty, removed with
// everything below it (tools/tree_removal). Relative names below are relative
// to that key; "" is the key itself.
class ScratchKey {
  public:
    ScratchKey();
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    // The key's path below HKEY_CURRENT_USER, without a leading backslash.
    const String& Path() const { return path_; }
    // Path() + "\" + relative (Path() itself for "").
    String Below(const String& relative) const;

    void CreateKey(const String& relative) const;
    bool KeyExists(const String& relative) const;
    void SetValue(const String& relative, const String& name, DWORD type,
                  const String& bytes) const;
    // REG_SZ with the text's terminating zero.
    void SetText(const String& relative, const String& name, const String& text) const;

    struct Value {
        DWORD type;
        String bytes;
        bool operator==(const Value&) const = default;
    };
    std::optional<Value> GetValue(const String& relative, const String& name) const;

  private:
    String path_;
};

// A folder in the Windows temp folder, removed with its content, read-only
// files included (tools/tree_removal).
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Without a trailing backslash.
    const String& Path() const { return path_; }
    // Path() + "\" + name.
    String File(const String& name) const;

  private:
    String path_;
};

// Creates or truncates `path` and writes exactly `bytes`; fails the current
// test when it cannot.
void WriteFileBytes(const String& path, const String& bytes);
// The exact bytes of `path`, or nothing when it cannot be read.
std::optional<String> ReadFileBytes(const String& path);
void SetReadOnly(const String& path, bool readOnly);
// Sets the last-write time of `path` to noon UTC of the given date.
void SetLastWriteTime(const String& path, WORD year, WORD month, WORD day);
// Bytes shown with \r, \n, \0 and other control and high bytes escaped.
String Printable(const String& bytes);

// Non-fatal check that `path` holds exactly `expected`, reported at the
// caller's file and line.
void ExpectFileBytes(const char* file, int line, const String& path, const String& expected);
#define EXPECT_FILE_BYTES(path, expected)                                                          \
    ::vorn::testkit::ExpectFileBytes(__FILE__, __LINE__, (path), (expected))

// Non-fatal check that `action` raises exactly class E with `message`,
// reported at the caller's line.
template <class E, class F>
void ExpectRaise(const char* file, int line, F action, const String& message) {
    try {
        action();
        ADD_FAILURE_AT(file, line) << "nothing was raised";
    } catch (const E& e) {
        const char* wanted = E("").ClassName();
        if (String(e.ClassName()) != wanted)
            ADD_FAILURE_AT(file, line) << "raised " << e.ClassName() << ", not " << wanted;
        if (e.Message() != message)
            ADD_FAILURE_AT(file, line)
                << "message\n  " << Printable(e.Message()) << "\nwanted\n  " << Printable(message);
    }
}
#define EXPECT_RAISE(E, action, message)                                                           \
    ::vorn::testkit::ExpectRaise<E>(                                                               \
        __FILE__, __LINE__, [&] { action; }, (message))

// The full path of the running test program.
String OwnProgram();

// Another process, the test program itself started again, that holds `path`
// open with no sharing from construction to destruction. Holding() is false
// when that process could not open the file.
class FileHeldElsewhere {
  public:
    explicit FileHeldElsewhere(const String& path);
    ~FileHeldElsewhere();
    FileHeldElsewhere(const FileHeldElsewhere&) = delete;
    FileHeldElsewhere& operator=(const FileHeldElsewhere&) = delete;
    bool Holding() const { return holding_; }

  private:
    // Destroyed in reverse: the process is waited for before the events go.
    ScopedHandle ready_;
    ScopedHandle release_;
    ScopedHandle process_;
    bool holding_ = false;
};

// The command line that makes the test program create `fileName` (relative to
// its current folder) holding `content`, then end.
String TouchCommand(const String& fileName, const String& content);

// The helper modes of the test program: returns the exit code when the
// arguments ask for one, -1 otherwise.
int RunHelperMode(int argc, char** argv);

} // namespace vorn::testkit
