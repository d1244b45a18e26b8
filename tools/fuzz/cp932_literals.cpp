// cp932_literals IN OUT: copies a UTF-8 C++ source with the non-ASCII
// characters of its narrow string and character literals written as octal
// escapes of their code page 932 bytes.
//
// The program's narrow literals are code page 932 (g++ -fexec-charset=CP932);
// clang, which the fuzzing build needs for libFuzzer, keeps them UTF-8 and has
// no such option. Compiling this tool's output instead keeps every literal
// byte for byte what g++ makes of it: the same glibc iconv converts, escapes
// pass through untouched, and an octal escape never runs into the next
// character as a hex escape could. Wide and u8/u/U literals are left alone;
// a narrow raw string with non-ASCII text cannot be escaped and is refused.
#include <iconv.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace {

std::string ToCp932(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no CP932");
    std::string in = utf8, out(utf8.size() * 2 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1) || inLeft != 0)
        throw std::runtime_error("no code page 932 bytes for \"" + utf8 + "\"");
    out.resize(out.size() - outLeft);
    return out;
}

std::string Octal(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char escape[5];
        std::snprintf(escape, sizeof escape, "\\%03o", c);
        out += escape;
    }
    return out;
}

bool IdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

class Rewriter {
  public:
    explicit Rewriter(const std::string& source) : s_(source) {}

    std::string Run() {
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == '/' && Next() == '/') {
                CopyUntil("\n");
            } else if (c == '/' && Next() == '*') {
                CopyUntil("*/");
            } else if (c >= '0' && c <= '9') {
                Number();
            } else if (IdentifierChar(c)) {
                IdentifierOrPrefix();
            } else if (c == '"' || c == '\'') {
                Literal(true);
            } else {
                out_ += c;
                ++i_;
            }
        }
        return out_;
    }

  private:
    char Next() const { return i_ + 1 < s_.size() ? s_[i_ + 1] : '\0'; }

    void CopyUntil(const std::string& end) {
        const std::size_t stop = s_.find(end, i_ + 2);
        const std::size_t to = stop == std::string::npos ? s_.size() : stop + end.size();
        out_.append(s_, i_, to - i_);
        i_ = to;
    }

    // A pp-number, whose digit separators (1'000) are no character literals.
    void Number() {
        while (i_ < s_.size() && (IdentifierChar(s_[i_]) || s_[i_] == '.' ||
                                  (s_[i_] == '\'' && IdentifierChar(Next())) ||
                                  ((s_[i_] == '+' || s_[i_] == '-') && i_ > 0 &&
                                   (s_[i_ - 1] == 'e' || s_[i_ - 1] == 'E' || s_[i_ - 1] == 'p' ||
                                    s_[i_ - 1] == 'P'))))
            out_ += s_[i_++];
    }

    void IdentifierOrPrefix() {
        const std::size_t start = i_;
        while (i_ < s_.size() && IdentifierChar(s_[i_]))
            ++i_;
        const std::string word = s_.substr(start, i_ - start);
        out_ += word;
        if (i_ >= s_.size() || (s_[i_] != '"' && s_[i_] != '\'')) return;
        const bool raw = !word.empty() && word.back() == 'R';
        const std::string prefix = raw ? word.substr(0, word.size() - 1) : word;
        const bool narrow = prefix.empty();
        if (prefix != "" && prefix != "L" && prefix != "u8" && prefix != "u" && prefix != "U")
            return;
        if (raw)
            RawString(narrow);
        else
            Literal(narrow);
    }

    // From the opening quote to the closing one; escapes are copied as they stand.
    void Literal(bool narrow) {
        const char quote = s_[i_];
        out_ += s_[i_++];
        std::string pending;
        while (i_ < s_.size() && s_[i_] != quote && s_[i_] != '\n') {
            const auto c = static_cast<unsigned char>(s_[i_]);
            if (c >= 0x80 && narrow) {
                pending += s_[i_++];
                continue;
            }
            Flush(pending);
            if (c == '\\' && i_ + 1 < s_.size()) out_ += s_[i_++];
            out_ += s_[i_++];
        }
        Flush(pending);
        if (i_ < s_.size()) out_ += s_[i_++];
    }

    void Flush(std::string& pending) {
        if (pending.empty()) return;
        out_ += Octal(ToCp932(pending));
        pending.clear();
    }

    void RawString(bool narrow) {
        const std::size_t open = s_.find('(', i_);
        if (open == std::string::npos) throw std::runtime_error("unterminated raw string");
        const std::string close = ")" + s_.substr(i_ + 1, open - i_ - 1) + "\"";
        const std::size_t end = s_.find(close, open);
        if (end == std::string::npos) throw std::runtime_error("unterminated raw string");
        const std::size_t to = end + close.size();
        for (std::size_t k = i_; k < to; ++k)
            if (narrow && static_cast<unsigned char>(s_[k]) >= 0x80)
                throw std::runtime_error("a narrow raw string holds non-ASCII text");
        out_.append(s_, i_, to - i_);
        i_ = to;
    }

    const std::string& s_;
    std::string out_;
    std::size_t i_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: cp932_literals IN OUT\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1], std::ios::binary);
        if (!in) throw std::runtime_error("cannot be read");
        const std::string source{std::istreambuf_iterator<char>(in), {}};
        const std::string result = Rewriter(source).Run();
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out << result;
        if (!out.flush()) throw std::runtime_error("cannot write " + std::string(argv[2]));
    } catch (const std::exception& e) {
        std::cerr << "cp932_literals: " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
