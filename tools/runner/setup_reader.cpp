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
    std::optional<std::string> key =
        object.OneOf({"text", "hex", "bytes"}, "give only one of text, hex and bytes");
    if (!key) return std::nullopt;
    Field value = object.Need(*key);
    if (*key == "text") return Content{value.MachineText(), "text " + Shortened(value.Utf8())};
    if (*key == "bytes") return ReadBytes(value);
    std::optional<std::string> data = ParseHex(value.Utf8());
    if (!data) value.Fail("expected pairs of hexadecimal digits");
    return Content{*data, std::to_string(data->size()) + " bytes given in hex"};
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

std::optional<RegistryData> ReadRegistryData(Object& object, bool named) {
    if (!named) {
        if (object.Has("type") || object.Has("data"))
            object.AsField().Fail("type and data need a value name (\"value\")");
        return std::nullopt;
    }
    RegistryData data;
    data.type = Lookup(object.Need("type"), kRegistryTypes, "type").type;
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

namespace {

RegistryEntry ReadRegistrySetup(const Field& field) {
    Object object(field);
    RegistryEntry entry;
    entry.field = field.Path();
    entry.key = ReadKey(object.Need("key"));
    if (auto name = object.Get("value")) entry.valueName = name->MachineText();
    if (auto data = ReadRegistryData(object, entry.valueName.has_value())) entry.data = *data;
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

// A member's name, which names a file here, read by `read` (a method of Field)
// as if it stood at the member's place.
template <typename Read> auto ReadName(const std::string& name, const Field& member, Read read) {
    Json text(name);
    return std::invoke(read, Field(text, member.Path(), member.File()));
}

// One of the distributed files, spelt as the package spells it.
std::string ReadDistributedFile(const Field& field) {
    std::string name = field.Utf8();
    for (const std::string& file : DistributedFiles())
        if (lstrcmpiA(name.c_str(), file.c_str()) == 0) return file;
    field.Fail("not a distributed file (readme.txt, Korvel.fon, KorvFix.fon)");
}

ProgramFolder ReadProgramFolder(const Field& field) {
    Object object(field);
    ProgramFolder folder;
    if (auto omit = object.Get("omit")) folder.omit = omit->ListOf(ReadDistributedFile);
    if (auto files = object.Get("files")) {
        for (auto& [name, content] : Object(*files).Members()) {
            Object contentObject(content);
            std::string path = ReadName(name, content, &Field::MachineText);
            if (path.empty() || path.find_first_of("\\/:") != std::string::npos)
                content.Fail("expected a bare file name of the program folder");
            FileEntry entry{content.Path(), path, NeedContent(contentObject)};
            contentObject.Finish();
            folder.replacements.push_back(entry);
        }
    }
    object.Finish();
    return folder;
}

const struct {
    const char* name;
    Planted kind;
} kPlantedKinds[] = {{"program", Planted::Program}, {"library", Planted::Library}};

FileEntry ReadSetupFile(const Field& field) {
    Object object(field);
    FileEntry file{field.Path(), object.Need("path").WindowsPath(), {}};
    if (auto planted = object.Get("planted")) {
        file.planted = Lookup(*planted, kPlantedKinds, "planted file").kind;
        if (ReadContent(object)) field.Fail("a planted file has no text, hex or bytes");
    } else {
        file.content = NeedContent(object);
    }
    object.Finish();
    return file;
}

} // namespace

Setup ReadSetup(const Field& field) {
    Object object(field);
    Setup setup;
    const auto path = &Field::WindowsPath;
    if (auto registry = object.Get("registry"))
        setup.registry = registry->ListOf(ReadRegistrySetup);
    if (auto files = object.Get("files")) setup.files = files->ListOf(ReadSetupFile);
    if (auto folders = object.Get("folders")) setup.folders = folders->ListOf(path);
    if (auto remove = object.Get("remove")) setup.remove = remove->ListOf(path);
    if (auto folder = object.Get("program_folder"))
        setup.programFolder = ReadProgramFolder(*folder);
    if (auto readOnly = object.Get("read_only")) setup.readOnly = readOnly->ListOf(path);
    if (auto locked = object.Get("locked")) setup.locked = locked->ListOf(path);
    if (auto mtime = object.Get("mtime"))
        for (auto& [name, time] : Object(*mtime).Members())
            setup.mtime.push_back({time.Path(), ReadName(name, time, path), ReadLocalTime(time)});
    object.Finish();
    return setup;
}

} // namespace vorn::runner
