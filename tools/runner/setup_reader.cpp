// Reading the setup part of a scenario, and the file contents and registry
// data that setup and expectations share.
#include "tools/runner/file_content.h"
#include "tools/runner/scenario_parts.h"

#include "tools/robot/text_codec.h"

#include <cstdio>

namespace vorn::runner {
namespace {

// Large enough for any client program file, small enough to stay in memory.
constexpr std::uint64_t kMaxFileSize = 256ull << 20;

const struct {
    const char* name;
    DWORD type;
} kRegistryTypes[] = {{"sz", REG_SZ},         {"expand_sz", REG_EXPAND_SZ}, {"dword", REG_DWORD},
                      {"binary", REG_BINARY}, {"multi_sz", REG_MULTI_SZ},   {"none", REG_NONE}};

std::string Shortened(const std::string& utf8) {
    return utf8.size() <= 60 ? robot::Quoted(utf8) : robot::Quoted(utf8.substr(0, 57)) + "...";
}

Content ReadBytes(const Field& field) {
    Object object(field);
    ByteFill fill;
    fill.size = object.Need("size").UnsignedInteger(kMaxFileSize);
    if (auto kind = object.Get("fill")) {
        std::string name = kind->Utf8();
        if (name != "zero" && name != "random") kind->Fail("expected \"zero\" or \"random\"");
        fill.random = name == "random";
    }
    if (auto seed = object.Get("seed")) fill.seed = seed->UnsignedInteger(UINT64_MAX);
    if (auto put = object.Get("put")) {
        for (const Field& entry : put->List()) {
            std::vector<Field> pair = entry.List();
            if (pair.size() != 2) entry.Fail("expected [offset, text]");
            std::uint64_t offset = pair[0].UnsignedInteger(kMaxFileSize);
            std::string text = pair[1].MachineText();
            if (offset + text.size() > fill.size)
                entry.Fail("the text runs past the end of the file (offset " +
                           std::to_string(offset) + " + " + std::to_string(text.size()) +
                           " bytes > size " + std::to_string(fill.size) + ")");
            fill.put.emplace_back(offset, text);
        }
    }
    object.Finish();
    std::string description =
        std::to_string(fill.size) + " bytes (" +
        (fill.random ? "random, seed " + std::to_string(fill.seed) : "zero") +
        (fill.put.empty() ? "" : ", " + std::to_string(fill.put.size()) + " texts put") + ")";
    return {Expand(fill), description};
}

} // namespace

const char* RegistryTypeName(DWORD type) {
    for (const auto& entry : kRegistryTypes)
        if (entry.type == type) return entry.name;
    return nullptr;
}

std::optional<Content> ReadContent(Object& object) {
    std::optional<Field> text = object.Get("text"), hex = object.Get("hex"),
                         bytes = object.Get("bytes");
    int given = (text ? 1 : 0) + (hex ? 1 : 0) + (bytes ? 1 : 0);
    if (given > 1) object.AsField().Fail("give only one of text, hex and bytes");
    if (text) return Content{text->MachineText(), "text " + Shortened(text->Utf8())};
    if (hex) {
        std::optional<std::string> data = ParseHex(hex->Utf8());
        if (!data) hex->Fail("expected pairs of hexadecimal digits");
        return Content{*data, std::to_string(data->size()) + " bytes given in hex"};
    }
    if (bytes) return ReadBytes(*bytes);
    return std::nullopt;
}

Content NeedContent(Object& object) {
    std::optional<Content> content = ReadContent(object);
    if (!content) object.AsField().Fail("needs one of text, hex and bytes");
    return *content;
}

std::string ReadKey(const Field& field) {
    std::string key = field.MachineText();
    if (key.empty()) field.Fail("the key is empty");
    if (key[0] == '\\') field.Fail("the key is written without a leading \\");
    if (key.rfind("HKEY_", 0) == 0)
        field.Fail("the key is written below HKEY_CURRENT_USER, without it");
    return key;
}

RegistryData ReadRegistryData(Object& object) {
    Field typeField = object.Need("type");
    std::string typeName = typeField.Utf8();
    RegistryData data;
    bool known = false;
    for (const auto& entry : kRegistryTypes)
        if (typeName == entry.name) data.type = entry.type, known = true;
    if (!known)
        typeField.Fail("unknown type " + robot::Quoted(typeName) +
                       " (known: sz, expand_sz, dword, binary, multi_sz, none)");
    std::optional<Field> value = object.Get("data");
    if (!value) {
        if (data.type != REG_NONE) object.Need("data");
        return data;
    }
    switch (data.type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        data.bytes = value->MachineText() + '\0';
        break;
    case REG_DWORD: {
        auto number = static_cast<std::uint32_t>(value->Integer(INT32_MIN, UINT32_MAX));
        for (int i = 0; i < 4; ++i)
            data.bytes += static_cast<char>(number >> (8 * i));
        break;
    }
    case REG_MULTI_SZ:
        for (const Field& item : value->List())
            data.bytes += item.MachineText() + '\0';
        data.bytes += '\0';
        break;
    default: {
        std::optional<std::string> bytes = ParseHex(value->Utf8());
        if (!bytes) value->Fail("expected pairs of hexadecimal digits");
        data.bytes = *bytes;
    }
    }
    return data;
}

std::vector<std::string> ReadPaths(const Field& field) {
    std::vector<std::string> paths;
    for (const Field& item : field.List())
        paths.push_back(item.WindowsPath());
    return paths;
}

namespace {

RegistryEntry ReadRegistrySetup(const Field& field) {
    Object object(field);
    RegistryEntry entry;
    entry.field = field.Path();
    entry.key = ReadKey(object.Need("key"));
    if (auto name = object.Get("value")) {
        entry.valueName = name->MachineText();
        entry.data = ReadRegistryData(object);
    } else if (object.Has("type") || object.Has("data")) {
        field.Fail("type and data need a value name (\"value\")");
    }
    object.Finish();
    return entry;
}

SYSTEMTIME ReadLocalTime(const Field& field) {
    std::string text = field.Utf8();
    SYSTEMTIME time{};
    int fields[6];
    char end;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &fields[0], &fields[1], &fields[2],
                    &fields[3], &fields[4], &fields[5], &end) != 6 ||
        text.size() != 19)
        field.Fail("expected a local time like \"1979-12-31T23:00:00\", found " +
                   robot::Quoted(text));
    time.wYear = static_cast<WORD>(fields[0]);
    time.wMonth = static_cast<WORD>(fields[1]);
    time.wDay = static_cast<WORD>(fields[2]);
    time.wHour = static_cast<WORD>(fields[3]);
    time.wMinute = static_cast<WORD>(fields[4]);
    time.wSecond = static_cast<WORD>(fields[5]);
    FILETIME asFileTime;
    SYSTEMTIME back{};
    if (!SystemTimeToFileTime(&time, &asFileTime) || !FileTimeToSystemTime(&asFileTime, &back) ||
        back.wYear != time.wYear || back.wMonth != time.wMonth || back.wDay != time.wDay ||
        back.wHour != time.wHour || back.wMinute != time.wMinute || back.wSecond != time.wSecond)
        field.Fail("no such time: " + robot::Quoted(text));
    return time;
}

ProgramFolder ReadProgramFolder(const Field& field) {
    static const char* const distributed[] = {"readme.txt", "Korvel.fon", "KorvFix.fon"};
    Object object(field);
    ProgramFolder folder;
    if (auto omit = object.Get("omit")) {
        for (const Field& item : omit->List()) {
            std::string name = item.Utf8();
            bool known = false;
            for (const char* candidate : distributed)
                if (lstrcmpiA(name.c_str(), candidate) == 0) name = candidate, known = true;
            if (!known) item.Fail("not a distributed file (readme.txt, Korvel.fon, KorvFix.fon)");
            folder.omit.push_back(name);
        }
    }
    if (auto files = object.Get("files")) {
        for (auto& [name, content] : Object(*files).Members()) {
            Object contentObject(content);
            FileEntry entry;
            entry.field = content.Path();
            try {
                entry.path = robot::Utf8ToCp932(name);
            } catch (const robot::CodecError& error) {
                content.Fail(error.what());
            }
            if (entry.path.empty() || entry.path.find_first_of("\\/:") != std::string::npos)
                content.Fail("expected a bare file name of the program folder");
            entry.content = NeedContent(contentObject);
            contentObject.Finish();
            folder.replacements.push_back(entry);
        }
    }
    object.Finish();
    return folder;
}

} // namespace

Setup ReadSetup(const Field& field) {
    Object object(field);
    Setup setup;
    if (auto registry = object.Get("registry"))
        for (const Field& item : registry->List())
            setup.registry.push_back(ReadRegistrySetup(item));
    if (auto files = object.Get("files")) {
        for (const Field& item : files->List()) {
            Object entry(item);
            FileEntry file{item.Path(), entry.Need("path").WindowsPath(), {}};
            file.content = NeedContent(entry);
            entry.Finish();
            setup.files.push_back(file);
        }
    }
    if (auto folders = object.Get("folders")) setup.folders = ReadPaths(*folders);
    if (auto remove = object.Get("remove")) setup.remove = ReadPaths(*remove);
    if (auto folder = object.Get("program_folder"))
        setup.programFolder = ReadProgramFolder(*folder);
    if (auto readOnly = object.Get("read_only")) setup.readOnly = ReadPaths(*readOnly);
    if (auto locked = object.Get("locked")) setup.locked = ReadPaths(*locked);
    if (auto mtime = object.Get("mtime")) {
        for (auto& [path, time] : Object(*mtime).Members()) {
            Json pathText(path);
            std::string windowsPath = Field(pathText, time.Path(), time.File()).WindowsPath();
            setup.mtime.push_back({time.Path(), windowsPath, ReadLocalTime(time)});
        }
    }
    object.Finish();
    return setup;
}

} // namespace vorn::runner
