// fontconv: BDF bitmap fonts in, a Windows raster font file (.fon) out; or,
// with --check, a summary of an existing .fon.
#include "tools/fontconv/bdf_reader.h"
#include "tools/fontconv/fnt_format.h"
#include "tools/fontconv/font_check.h"
#include "tools/fontconv/ne_font_file.h"
#include "tools/fontconv/raster_font.h"

#include <fstream>
#include <initializer_list>
#include <iostream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace vorn::fontconv;

const char* const kUsage =
    "usage: fontconv --face NAME --pitch proportional|fixed --family swiss|modern|roman|dontcare\n"
    "                [--module NAME] [--description TEXT] [--copyright TEXT]\n"
    "                [--fnt-version 0x200|0x300] -o OUT.fon SOURCE.bdf...\n"
    "       fontconv --check FILE.fon\n";

struct Arguments {
    FaceOptions face;
    std::string module, description, output, check;
    unsigned fntVersion = kFntVersion2;
    std::vector<std::string> sources;
};

class UsageError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The value named `name` among an option's `choices`; `what` names the option's kind.
template <typename Value>
Value Choice(const std::string& what, const std::string& name,
             std::initializer_list<std::pair<const char*, Value>> choices) {
    for (const auto& [known, value] : choices)
        if (name == known) return value;
    throw UsageError("unknown " + what + " " + name);
}

Arguments Parse(int argc, char** argv) {
    Arguments args;
    bool havePitch = false, haveFamily = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw UsageError(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--face")
            args.face.faceName = value();
        else if (arg == "--module")
            args.module = value();
        else if (arg == "--description")
            args.description = value();
        else if (arg == "--copyright")
            args.face.copyright = value();
        else if (arg == "-o")
            args.output = value();
        else if (arg == "--check")
            args.check = value();
        else if (arg == "--fnt-version")
            args.fntVersion = Choice<unsigned>("FNT version", value(),
                                               {{"0x200", kFntVersion2}, {"0x300", kFntVersion3}});
        else if (arg == "--pitch") {
            args.face.pitch = Choice<Pitch>(
                "pitch", value(), {{"proportional", Pitch::Proportional}, {"fixed", Pitch::Fixed}});
            havePitch = true;
        } else if (arg == "--family") {
            args.face.family = Choice<Family>("family", value(),
                                              {{"swiss", Family::Swiss},
                                               {"modern", Family::Modern},
                                               {"roman", Family::Roman},
                                               {"dontcare", Family::DontCare}});
            haveFamily = true;
        } else if (!arg.empty() && arg[0] == '-') {
            throw UsageError("unknown option " + arg);
        } else {
            args.sources.push_back(arg);
        }
    }
    if (!args.check.empty()) return args;
    if (args.face.faceName.empty() || args.face.faceName.size() >= 32 || !havePitch ||
        !haveFamily || args.output.empty() || args.sources.empty())
        throw UsageError("missing or invalid arguments");
    if (args.module.empty()) args.module = args.face.faceName;
    if (args.description.empty()) args.description = args.face.faceName;
    return args;
}

Bytes ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FormatError("cannot be opened");
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteWholeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw FormatError("cannot write " + path);
}

} // namespace

int main(int argc, char** argv) {
    try {
        const Arguments args = Parse(argc, argv);
        if (!args.check.empty()) {
            const std::string summary = NamingErrors(
                args.check, [&] { return DescribeFontFile(ReadWholeFile(args.check)); });
            std::cout << "file " << args.check << "\n" << summary;
            return 0;
        }
        std::vector<Bytes> fnts;
        for (const std::string& source : args.sources) {
            const BdfFont bdf = ReadBdfFile(source);
            fnts.push_back(NamingErrors(source, [&] {
                return WriteFnt(BuildRasterFont(bdf, args.face), args.fntVersion);
            }));
        }
        WriteWholeFile(args.output, WriteFon(args.module, args.description, fnts));
        return 0;
    } catch (const UsageError& e) {
        std::cerr << "fontconv: " << e.what() << "\n" << kUsage;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "fontconv: " << e.what() << "\n";
        return 1;
    }
}
