// Strict reading of a scenario's JSON: every value is checked for its type
// and range where it is taken, and every object for keys nobody took, so that
// each mistake is reported with the file and the field it sits in.
#pragma once

#include "tools/runner/scenario.h"

#include "tools/robot/text_codec.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace vorn::runner {

using Json = nlohmann::ordered_json;

class Field {
  public:
    Field(const Json& value, std::string path, const std::string& file)
        : value_(&value), path_(std::move(path)), file_(&file) {}

    [[noreturn]] void Fail(const std::string& problem) const;
    const Json& Value() const { return *value_; }
    const std::string& Path() const { return path_; }
    const std::string& File() const { return *file_; }
    Field Member(const std::string& key, const Json& value) const;
    Field Element(size_t index, const Json& value) const;

    std::string Utf8() const;        // a string
    std::string MachineText() const; // a string, in code page 932
    // A full path on drive C:, in code page 932.
    std::string WindowsPath() const;
    bool Boolean() const;
    std::int64_t Integer(std::int64_t min, std::int64_t max) const;
    std::uint64_t UnsignedInteger(std::uint64_t max) const;
    std::vector<Field> List() const;
    std::vector<Field> NonEmptyList() const;
    // Each element of a list as `read` (a function or a method of Field)
    // reads it.
    template <typename Read> auto ListOf(Read read) const {
        std::vector<std::decay_t<std::invoke_result_t<Read, const Field&>>> values;
        for (const Field& item : List())
            values.push_back(std::invoke(read, item));
        return values;
    }

  private:
    void Expect(bool ok, const char* what) const;
    const Json* value_;
    std::string path_;
    const std::string* file_;
};

// An object whose keys are taken one by one; Finish() rejects the rest.
class Object {
  public:
    explicit Object(const Field& field);
    std::optional<Field> Get(const std::string& key);
    Field Need(const std::string& key);
    bool Has(const std::string& key) const { return field_.Value().contains(key); }
    // Which one of `keys` the object holds, taken; nullopt when it holds none.
    // Fails with `problem` when it holds more than one. All count as looked for.
    std::optional<std::string> OneOf(std::initializer_list<const char*> keys,
                                     const std::string& problem);
    // Every member, for objects that map names to values (all count as taken).
    std::vector<std::pair<std::string, Field>> Members();
    void Finish() const;
    const Field& AsField() const { return field_; }

  private:
    Field field_;
    std::set<std::string> taken_;
    std::vector<std::string> asked_; // every key looked for, to list in messages
};

// The entry of `table` whose `name` the string `field` holds; fails naming
// `what` and every name the table knows.
template <typename Entry, size_t N>
const Entry& Lookup(const Field& field, const Entry (&table)[N], const char* what) {
    std::string name = field.Utf8(), known;
    for (const Entry& entry : table) {
        if (name == entry.name) return entry;
        known += (known.empty() ? "" : ", ") + std::string(entry.name);
    }
    field.Fail("unknown " + std::string(what) + " " + robot::Quoted(name) + " (known: " + known +
               ")");
}

} // namespace vorn::runner
