// Strict reading of a scenario's JSON: every value is checked for its type
// and range where it is taken, and every object for keys nobody took, so that
// each mistake is reported with the file and the field it sits in.
#pragma once

#include "tools/runner/scenario.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vorn::runner {

using Json = nlohmann::ordered_json;

class Field {
  public:
    Field(const Json& value, std::string path, const std::string& file)
        : value_(&value), path_(std::move(path)), file_(&file) {}

    [[noreturn]] void fail(const std::string& problem) const;
    const Json& json() const { return *value_; }
    const std::string& path() const { return path_; }
    const std::string& file() const { return *file_; }
    Field member(const std::string& key, const Json& value) const;
    Field element(size_t index, const Json& value) const;

    std::string utf8() const;        // a string
    std::string machineText() const; // a string, in code page 932
    // A full path on drive C:, in code page 932.
    std::string windowsPath() const;
    bool boolean() const;
    std::int64_t integer(std::int64_t min, std::int64_t max) const;
    std::uint64_t unsignedInteger(std::uint64_t max) const;
    std::vector<Field> list() const;
    std::vector<Field> nonEmptyList() const;

  private:
    void expect(bool ok, const char* what) const;
    const Json* value_;
    std::string path_;
    const std::string* file_;
};

// An object whose keys are taken one by one; finish() rejects the rest.
class Object {
  public:
    explicit Object(const Field& field);
    std::optional<Field> get(const std::string& key);
    Field need(const std::string& key);
    bool has(const std::string& key) const { return field_.json().contains(key); }
    // Every member, for objects that map names to values (all count as taken).
    std::vector<std::pair<std::string, Field>> members();
    void finish() const;
    const Field& field() const { return field_; }

  private:
    Field field_;
    std::set<std::string> taken_;
    std::vector<std::string> asked_; // every key looked for, to list in messages
};

} // namespace vorn::runner
