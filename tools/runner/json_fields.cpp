// Implements tools/runner/json_fields.h.
#include "tools/runner/json_fields.h"

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

void Field::Fail(const std::string& problem) const {
    throw ScenarioError(*file_ + ": field \"" + (path_.empty() ? "(top level)" : path_) +
                        "\": " + problem);
}

void Field::Expect(bool ok, const char* what) const {
    if (!ok) Fail(std::string("expected ") + what + ", found " + TypeOf(*value_));
}

Field Field::Member(const std::string& key, const Json& value) const {
    return Field(value, path_.empty() ? key : path_ + "." + key, *file_);
}

Field Field::Element(size_t index, const Json& value) const {
    return Field(value, path_ + "[" + std::to_string(index) + "]", *file_);
}

std::string Field::Utf8() const {
    Expect(value_->is_string(), "a string");
    return value_->get<std::string>();
}

std::string Field::MachineText() const {
    try {
        return robot::Utf8ToCp932(Utf8());
    } catch (const robot::CodecError& error) {
        Fail(error.what());
    }
}

std::string Field::WindowsPath() const {
    std::string path = MachineText();
    if (path.size() < 4 || (path[0] != 'C' && path[0] != 'c') || path[1] != ':' || path[2] != '\\')
        Fail("expected a full path on drive C:, like \"C:\\\\ICQ\\\\Icq.exe\", found " +
             robot::Quoted(Utf8()));
    if (path.find('/') != std::string::npos) Fail("a path takes \\ between its parts, not /");
    return path;
}

bool Field::Boolean() const {
    Expect(value_->is_boolean(), "true or false");
    return value_->get<bool>();
}

std::int64_t Field::Integer(std::int64_t min, std::int64_t max) const {
    Expect(value_->is_number_integer(), "an integer");
    std::int64_t number = value_->get<std::int64_t>();
    if ((value_->is_number_unsigned() &&
         value_->get<std::uint64_t>() > static_cast<std::uint64_t>(max)) ||
        number < min || number > max)
        Fail("out of range " + std::to_string(min) + " to " + std::to_string(max));
    return number;
}

std::uint64_t Field::UnsignedInteger(std::uint64_t max) const {
    Expect(value_->is_number_integer(), "an integer");
    if (!value_->is_number_unsigned() && value_->get<std::int64_t>() < 0)
        Fail("must not be negative");
    std::uint64_t number = value_->get<std::uint64_t>();
    if (number > max) Fail("larger than " + std::to_string(max));
    return number;
}

std::vector<Field> Field::List() const {
    Expect(value_->is_array(), "a list");
    std::vector<Field> fields;
    for (size_t i = 0; i < value_->size(); ++i)
        fields.push_back(Element(i, (*value_)[i]));
    return fields;
}

std::vector<Field> Field::NonEmptyList() const {
    std::vector<Field> fields = List();
    if (fields.empty()) Fail("the list is empty");
    return fields;
}

Object::Object(const Field& field) : field_(field) {
    if (!field.Value().is_object())
        field.Fail("expected an object, found " + TypeOf(field.Value()));
}

std::optional<Field> Object::Get(const std::string& key) {
    if (std::find(asked_.begin(), asked_.end(), key) == asked_.end()) asked_.push_back(key);
    auto found = field_.Value().find(key);
    if (found == field_.Value().end()) return std::nullopt;
    taken_.insert(key);
    return field_.Member(key, *found);
}

Field Object::Need(const std::string& key) {
    std::optional<Field> field = Get(key);
    if (!field) field_.Member(key, field_.Value()).Fail("missing");
    return *field;
}

std::optional<std::string> Object::OneOf(std::initializer_list<const char*> keys,
                                         const std::string& problem) {
    std::optional<std::string> held;
    for (const char* key : keys) {
        if (!Get(key)) continue;
        if (held) field_.Fail(problem);
        held = key;
    }
    return held;
}

std::vector<std::pair<std::string, Field>> Object::Members() {
    std::vector<std::pair<std::string, Field>> all;
    for (auto it = field_.Value().begin(); it != field_.Value().end(); ++it) {
        taken_.insert(it.key());
        all.emplace_back(
            it.key(),
            Field(it.value(), field_.Path() + "[" + robot::Quoted(it.key()) + "]", field_.File()));
    }
    return all;
}

void Object::Finish() const {
    for (auto it = field_.Value().begin(); it != field_.Value().end(); ++it) {
        if (taken_.count(it.key())) continue;
        std::string known;
        for (const std::string& key : asked_)
            known += (known.empty() ? "" : ", ") + key;
        field_.Member(it.key(), it.value())
            .Fail("unknown key" + (known.empty() ? std::string() : " (known here: " + known + ")"));
    }
}

} // namespace vorn::runner
