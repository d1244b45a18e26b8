// Implements tools/runner/json_fields.h.
#include "tools/runner/json_fields.h"

#include "tools/robot/text_codec.h"

#include <algorithm>

namespace vorn::runner {
namespace {

std::string TypeOf(const Json& value) {
    if (value.is_number_integer()) return "an integer";
    if (value.is_number_float()) return "a fractional number";
    std::string name = value.type_name();
    if (name == "null") return "null";
    return (name == "array" || name == "object" ? "an " : "a ") + name;
}

} // namespace

void Field::fail(const std::string& problem) const {
    throw ScenarioError(*file_ + ": field \"" + (path_.empty() ? "(top level)" : path_) +
                        "\": " + problem);
}

void Field::expect(bool ok, const char* what) const {
    if (!ok) fail(std::string("expected ") + what + ", found " + TypeOf(*value_));
}

Field Field::member(const std::string& key, const Json& value) const {
    return Field(value, path_.empty() ? key : path_ + "." + key, *file_);
}

Field Field::element(size_t index, const Json& value) const {
    return Field(value, path_ + "[" + std::to_string(index) + "]", *file_);
}

std::string Field::utf8() const {
    expect(value_->is_string(), "a string");
    return value_->get<std::string>();
}

std::string Field::machineText() const {
    try {
        return robot::Utf8ToCp932(utf8());
    } catch (const robot::CodecError& error) {
        fail(error.what());
    }
}

std::string Field::windowsPath() const {
    std::string path = machineText();
    if (path.size() < 4 || (path[0] != 'C' && path[0] != 'c') || path[1] != ':' || path[2] != '\\')
        fail("expected a full path on drive C:, like \"C:\\\\ICQ\\\\Icq.exe\", found " +
             robot::Quoted(utf8()));
    if (path.find('/') != std::string::npos) fail("a path takes \\ between its parts, not /");
    return path;
}

bool Field::boolean() const {
    expect(value_->is_boolean(), "true or false");
    return value_->get<bool>();
}

std::int64_t Field::integer(std::int64_t min, std::int64_t max) const {
    expect(value_->is_number_integer(), "an integer");
    if (value_->is_number_unsigned() &&
        value_->get<std::uint64_t>() > static_cast<std::uint64_t>(max))
        fail("out of range " + std::to_string(min) + " to " + std::to_string(max));
    std::int64_t number = value_->get<std::int64_t>();
    if (number < min || number > max)
        fail("out of range " + std::to_string(min) + " to " + std::to_string(max));
    return number;
}

std::uint64_t Field::unsignedInteger(std::uint64_t max) const {
    expect(value_->is_number_integer(), "an integer");
    if (!value_->is_number_unsigned() && value_->get<std::int64_t>() < 0)
        fail("must not be negative");
    std::uint64_t number = value_->get<std::uint64_t>();
    if (number > max) fail("larger than " + std::to_string(max));
    return number;
}

std::vector<Field> Field::list() const {
    expect(value_->is_array(), "a list");
    std::vector<Field> fields;
    for (size_t i = 0; i < value_->size(); ++i)
        fields.push_back(element(i, (*value_)[i]));
    return fields;
}

std::vector<Field> Field::nonEmptyList() const {
    std::vector<Field> fields = list();
    if (fields.empty()) fail("the list is empty");
    return fields;
}

Object::Object(const Field& field) : field_(field) {
    if (!field.json().is_object()) field.fail("expected an object, found " + TypeOf(field.json()));
}

std::optional<Field> Object::get(const std::string& key) {
    if (std::find(asked_.begin(), asked_.end(), key) == asked_.end()) asked_.push_back(key);
    auto found = field_.json().find(key);
    if (found == field_.json().end()) return std::nullopt;
    taken_.insert(key);
    return field_.member(key, *found);
}

Field Object::need(const std::string& key) {
    std::optional<Field> field = get(key);
    if (!field) field_.member(key, field_.json()).fail("missing");
    return *field;
}

std::vector<std::pair<std::string, Field>> Object::members() {
    std::vector<std::pair<std::string, Field>> all;
    for (auto it = field_.json().begin(); it != field_.json().end(); ++it) {
        taken_.insert(it.key());
        all.emplace_back(
            it.key(),
            Field(it.value(), field_.path() + "[" + robot::Quoted(it.key()) + "]", field_.file()));
    }
    return all;
}

void Object::finish() const {
    for (auto it = field_.json().begin(); it != field_.json().end(); ++it) {
        if (taken_.count(it.key())) continue;
        std::string known;
        for (const std::string& key : asked_)
            known += (known.empty() ? "" : ", ") + key;
        field_.member(it.key(), it.value())
            .fail("unknown key" + (known.empty() ? std::string() : " (known here: " + known + ")"));
    }
}

} // namespace vorn::runner
