// Implements tests/wine/testkit.h.
#include "tests/wine/testkit.h"

#include "tools/tree_removal/tree_removal.h"

#include <cstdio>
#include <cstring>

namespace vorn::testkit {

String UniqueName(const char* prefix) {
    static unsigned serial = 0;
    char name[96];
    std::snprintf(name, sizeof name, "%s-%lu-%lu-%u", prefix, GetCurrentProcessId(), GetTickCount(),
                  ++serial);
    return name;
}

ScratchKey::ScratchKey() : path_("Software\\" + UniqueName("VornTest")) {
    CreateKey("");
}

ScratchKey::~ScratchKey() {
    const LONG result = tree_removal::DeleteKeyTree(HKEY_CURRENT_USER, path_);
    if (result != ERROR_SUCCESS)
        ADD_FAILURE() << "scratch key " << path_ << " not removed: " << result;
}

String ScratchKey::Below(const String& relative) const {
    return relative.empty() ? path_ : path_ + "\\" + relative;
}

void ScratchKey::CreateKey(const String& relative) const {
    ScopedKey key;
    const LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, Below(relative).c_str(), 0, nullptr, 0,
                                        KEY_ALL_ACCESS, nullptr, key.Put(), nullptr);
    ASSERT_EQ(result, ERROR_SUCCESS) << "creating " << Below(relative);
}

bool ScratchKey::KeyExists(const String& relative) const {
    ScopedKey key;
    return RegOpenKeyExA(HKEY_CURRENT_USER, Below(relative).c_str(), 0, KEY_READ, key.Put()) ==
           ERROR_SUCCESS;
}

void ScratchKey::SetValue(const String& relative, const String& name, DWORD type,
                          const String& bytes) const {
    ScopedKey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Below(relative).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, key.Put(), nullptr),
              ERROR_SUCCESS);
    const LONG result = RegSetValueExA(key.Get(), name.c_str(), 0, type,
                                       reinterpret_cast<const BYTE*>(bytes.data()),
                                       static_cast<DWORD>(bytes.size()));
    ASSERT_EQ(result, ERROR_SUCCESS) << "setting " << name;
}

void ScratchKey::SetText(const String& relative, const String& name, const String& text) const {
    SetValue(relative, name, REG_SZ, String(text.c_str(), text.size() + 1));
}

std::optional<ScratchKey::Value> ScratchKey::GetValue(const String& relative,
                                                      const String& name) const {
    ScopedKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, Below(relative).c_str(), 0, KEY_READ, key.Put()) !=
        ERROR_SUCCESS)
        return std::nullopt;
    Value value{0, String()};
    DWORD size = 0;
    LONG result = RegQueryValueExA(key.Get(), name.c_str(), nullptr, &value.type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        value.bytes.resize(size);
        result = RegQueryValueExA(key.Get(), name.c_str(), nullptr, &value.type,
                                  reinterpret_cast<BYTE*>(value.bytes.data()), &size);
        value.bytes.resize(size);
    }
    if (result != ERROR_SUCCESS) return std::nullopt;
    return value;
}

ScratchFolder::ScratchFolder() {
    char temp[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof temp, temp);
    String base(temp, n);
    if (!base.empty() && base.back() == '\\') base.pop_back();
    path_ = base + "\\" + UniqueName("vorn");
    if (!CreateDirectoryA(path_.c_str(), nullptr))
        ADD_FAILURE() << "scratch folder " << path_ << " not created: " << GetLastError();
}

ScratchFolder::~ScratchFolder() {
    if (const auto failure = tree_removal::RemoveTree(path_))
        ADD_FAILURE() << "scratch folder " << path_ << " not removed: " << failure->path
                      << " stayed, error " << failure->error;
}

String ScratchFolder::File(const String& name) const {
    return path_ + "\\" + name;
}

void WriteFileBytes(const String& path, const String& bytes) {
    BOOL written = FALSE;
    DWORD done = 0;
    {
        ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file) << "creating " << path << ": " << GetLastError();
        written =
            WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    }
    ASSERT_TRUE(written && done == bytes.size()) << "writing " << path;
}

std::optional<String> ReadFileBytes(const String& path) {
    ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    String bytes(GetFileSize(file.Get(), nullptr), '\0');
    DWORD done = 0;
    const BOOL read = bytes.empty() || ReadFile(file.Get(), bytes.data(),
                                                static_cast<DWORD>(bytes.size()), &done, nullptr);
    if (!read || done != bytes.size()) return std::nullopt;
    return bytes;
}

void SetReadOnly(const String& path, bool readOnly) {
    ASSERT_TRUE(SetFileAttributesA(path.c_str(),
                                   readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL))
        << path;
}

void SetLastWriteTime(const String& path, WORD year, WORD month, WORD day) {
    SYSTEMTIME when = {};
    when.wYear = year;
    when.wMonth = month;
    when.wDay = day;
    when.wHour = 12;
    FILETIME stamp;
    ASSERT_TRUE(SystemTimeToFileTime(&when, &stamp));
    BOOL set = FALSE;
    {
        ScopedHandle file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file) << path;
        set = SetFileTime(file.Get(), nullptr, nullptr, &stamp);
    }
    ASSERT_TRUE(set) << "setting the time of " << path;
}

String Printable(const String& bytes) {
    String shown;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\r')
            shown += "\\r";
        else if (byte == '\n')
            shown += "\\n";
        else if (byte == '\\')
            shown += "\\\\";
        else if (byte >= 0x20 && byte < 0x7F)
            shown += c;
        else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            shown += hex;
        }
    }
    return shown;
}

void ExpectFileBytes(const char* file, int line, const String& path, const String& expected) {
    const std::optional<String> bytes = ReadFileBytes(path);
    if (!bytes)
        ADD_FAILURE_AT(file, line) << path << " cannot be read";
    else if (*bytes != expected)
        ADD_FAILURE_AT(file, line) << path << " holds\n  \"" << Printable(*bytes)
                                   << "\"\nwanted\n  \"" << Printable(expected) << "\"";
}

String OwnProgram() {
    char path[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    return String(path, n);
}

namespace {
// Built by appending: GCC 12 warns falsely on "literal" + string here.
String Quoted(const String& text) {
    String quoted(1, '"');
    quoted += text;
    quoted += '"';
    return quoted;
}

HANDLE NamedEvent(const String& name) {
    return CreateEventA(nullptr, TRUE, FALSE, name.c_str());
}

bool StartSelf(const String& arguments, ScopedHandle& process) {
    String commandLine = Quoted(OwnProgram()) + " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
        return false;
    ScopedHandle thread(started.hThread);
    process.Reset(started.hProcess);
    return true;
}

// --testkit-hold PATH READY RELEASE: opens PATH with no sharing, signals
// READY, and keeps it open until RELEASE is signalled (at most a minute).
int HoldFile(const char* path, const char* readyName, const char* releaseName) {
    ScopedHandle file(
        CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 2;
    ScopedHandle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName));
    ScopedHandle release(OpenEventA(SYNCHRONIZE, FALSE, releaseName));
    if (!ready || !release) return 3;
    SetEvent(ready.Get());
    WaitForSingleObject(release.Get(), 60000);
    return 0;
}

// --testkit-touch NAME CONTENT: creates NAME holding CONTENT.
int Touch(const char* name, const char* content) {
    ScopedHandle file(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 2;
    DWORD done = 0;
    WriteFile(file.Get(), content, static_cast<DWORD>(strlen(content)), &done, nullptr);
    return 0;
}
} // namespace

FileHeldElsewhere::FileHeldElsewhere(const String& path) {
    const String readyName = UniqueName("VornReady");
    const String releaseName = UniqueName("VornRelease");
    ready_.Reset(NamedEvent(readyName));
    release_.Reset(NamedEvent(releaseName));
    if (!StartSelf("--testkit-hold " + Quoted(path) + " " + readyName + " " + releaseName,
                   process_)) {
        ADD_FAILURE() << "the holding process did not start";
        return;
    }
    // Ready, or the process ended because it could not open the file.
    HANDLE either[] = {ready_.Get(), process_.Get()};
    holding_ = WaitForMultipleObjects(2, either, FALSE, 30000) == WAIT_OBJECT_0;
}

FileHeldElsewhere::~FileHeldElsewhere() {
    if (release_) SetEvent(release_.Get());
    if (process_) WaitForSingleObject(process_.Get(), 30000);
}

String TouchCommand(const String& fileName, const String& content) {
    return Quoted(OwnProgram()) + " --testkit-touch " + fileName + " " + content;
}

int RunHelperMode(int argc, char** argv) {
    if (argc == 5 && String(argv[1]) == "--testkit-hold")
        return HoldFile(argv[2], argv[3], argv[4]);
    if (argc == 4 && String(argv[1]) == "--testkit-touch") return Touch(argv[2], argv[3]);
    return -1;
}

} // namespace vorn::testkit
