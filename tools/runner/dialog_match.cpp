// Implements tools/runner/dialog_match.h.
#include "tools/runner/dialog_match.h"

#include "tools/runner/file_access.h"

#include <vector>

namespace vorn::runner {
namespace {

bool IsLead(char c) {
    return IsDBCSLeadByteEx(932, static_cast<BYTE>(c)) != FALSE;
}

// Byte offsets at which characters of `text` begin, and its end.
std::vector<size_t> CharacterStarts(const std::string& text) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); i += IsLead(text[i]) && i + 1 < text.size() ? 2 : 1)
        starts.push_back(i);
    starts.push_back(text.size());
    return starts;
}

struct Piece {
    enum Kind { Literal, Address, AnyRun } kind;
    std::string text; // Literal
};

std::vector<Piece> Pieces(const std::string& pattern) {
    std::vector<Piece> pieces;
    std::string literal;
    auto flush = [&] {
        if (!literal.empty()) pieces.push_back({Piece::Literal, literal});
        literal.clear();
    };
    for (size_t i = 0; i < pattern.size();) {
        if (pattern.compare(i, 6, "{ADDR}") == 0) {
            flush();
            pieces.push_back({Piece::Address, {}});
            i += 6;
        } else if (pattern.compare(i, 3, "{*}") == 0) {
            flush();
            pieces.push_back({Piece::AnyRun, {}});
            i += 3;
        } else {
            size_t length = IsLead(pattern[i]) && i + 1 < pattern.size() ? 2 : 1;
            literal += pattern.substr(i, length);
            i += length;
        }
    }
    flush();
    return pieces;
}

bool IsUpperHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool MatchFrom(const std::vector<Piece>& pieces, size_t piece, const std::string& actual,
               const std::vector<bool>& isStart, size_t at) {
    if (piece == pieces.size()) return at == actual.size();
    const Piece& current = pieces[piece];
    switch (current.kind) {
    case Piece::Literal:
        return actual.compare(at, current.text.size(), current.text) == 0 &&
               MatchFrom(pieces, piece + 1, actual, isStart, at + current.text.size());
    case Piece::Address:
        if (at + 8 > actual.size()) return false;
        for (size_t i = at; i < at + 8; ++i)
            if (!isStart[i] || !IsUpperHex(actual[i])) return false;
        return MatchFrom(pieces, piece + 1, actual, isStart, at + 8);
    default:
        for (size_t end = at; end <= actual.size(); ++end)
            if (isStart[end] && MatchFrom(pieces, piece + 1, actual, isStart, end)) return true;
        return false;
    }
}

std::string List(const std::vector<std::string>& texts) {
    std::string list = "[";
    for (const std::string& text : texts)
        list += (list.size() > 1 ? ", " : "") + ShownText(text);
    return list + "]";
}

robot::DialogShape ShapeOf(ScenarioDialogKind kind) {
    switch (kind) {
    case ScenarioDialogKind::Input:
        return robot::DialogShape::InputBox;
    case ScenarioDialogKind::ErrorReport:
    case ScenarioDialogKind::RuntimeError:
        return robot::DialogShape::MessageBox;
    default:
        return robot::DialogShape::Form;
    }
}

std::string DescribeShape(robot::DialogShape shape) {
    switch (shape) {
    case robot::DialogShape::InputBox:
        return "an input box";
    case robot::DialogShape::MessageBox:
        return "a system message box";
    default:
        return "a message dialog";
    }
}

std::string Differs(const char* field, const std::string& expected, const std::string& actual) {
    return std::string(field) + ": expected " + expected + ", the dialog shows " + actual;
}

} // namespace

bool TextMatches(const std::string& pattern, const std::string& actual) {
    std::vector<bool> isStart(actual.size() + 1, false);
    for (size_t start : CharacterStarts(actual))
        isStart[start] = true;
    return MatchFrom(Pieces(pattern), 0, actual, isStart, 0);
}

std::optional<std::string> DefaultCaption(ScenarioDialogKind kind,
                                          const std::string& programTitle) {
    switch (kind) {
    case ScenarioDialogKind::Warning:
        return std::string("警告");
    case ScenarioDialogKind::Information:
        return programTitle;
    case ScenarioDialogKind::ErrorReport:
        return std::string("ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ");
    case ScenarioDialogKind::RuntimeError:
        return std::string("Error");
    default:
        return std::nullopt;
    }
}

std::optional<std::string> FindDifference(const ExpectedDialog& expected,
                                          const robot::Dialog& actual,
                                          const std::string& programTitle) {
    if (actual.shape != ShapeOf(expected.kind))
        return Differs("dialog",
                       DescribeShape(ShapeOf(expected.kind)) + " (" + expected.kindName + ")",
                       Sketch(actual));
    std::optional<std::string> caption =
        expected.caption ? expected.caption : DefaultCaption(expected.kind, programTitle);
    if (caption && *caption != actual.caption)
        return Differs("caption", ShownText(*caption), ShownText(actual.caption));
    if (expected.text && !TextMatches(*expected.text, actual.text))
        return Differs("text", ShownText(*expected.text), ShownText(actual.text));
    if (expected.prompt && *expected.prompt != actual.prompt)
        return Differs("prompt", ShownText(*expected.prompt), ShownText(actual.prompt));
    if (expected.value && *expected.value != actual.editText)
        return Differs("value", ShownText(*expected.value), ShownText(actual.editText));
    if (expected.buttons && *expected.buttons != actual.buttons)
        return Differs("buttons", List(*expected.buttons), List(actual.buttons));
    return std::nullopt;
}

std::string Sketch(const robot::Dialog& dialog) {
    std::string sketch = DescribeShape(dialog.shape) + " captioned " + ShownText(dialog.caption);
    if (dialog.shape == robot::DialogShape::InputBox)
        return sketch + " with prompt " + ShownText(dialog.prompt) + " and value " +
               ShownText(dialog.editText);
    return sketch + " saying " + ShownText(dialog.text) + " with buttons " + List(dialog.buttons);
}

} // namespace vorn::runner
