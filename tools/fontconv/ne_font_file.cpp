// Implements tools/fontconv/ne_font_file.h.
#include "tools/fontconv/ne_font_file.h"

#include "tools/fontconv/fnt_format.h"

namespace vorn::fontconv {
namespace {

constexpr std::size_t kNeHeaderAt = 0x80;
constexpr std::size_t kNeHeaderBytes = 0x40;
constexpr unsigned kResourceShift = 4; // resources start on 16-byte boundaries
constexpr unsigned kNeLibrary = 0x8000;
constexpr unsigned kTargetWindows = 2;
constexpr unsigned kExpectedWindows310 = 0x030A;
constexpr unsigned kResMoveable = 0x0010, kResPure = 0x0020, kResPreload = 0x0040,
                   kResDiscardable = 0x1000;
constexpr unsigned kResourceIdIsNumber = 0x8000;

// Started under DOS, the file says what it is and exits with code 1.
void WriteDosStub(ByteWriter& out) {
    constexpr std::string_view kMessage = "This is a Windows font file.\r\n$";
    constexpr unsigned kMessageAt = 14; // offset of the text after the code below
    out.Text("MZ");
    out.U16(0); // bytes on the last page, patched
    out.U16(0); // pages, patched
    out.U16(0); // relocations
    out.U16(4); // header paragraphs: the 64 bytes of this header
    out.U16(0); // minimum extra paragraphs
    out.U16(0xFFFF);
    out.U16(0);    // SS
    out.U16(0xB8); // SP
    out.U16(0);    // checksum
    out.U16(0);    // IP
    out.U16(0);    // CS
    out.U16(0x40); // relocation table offset; 0x40 and up marks a new-style executable
    out.U16(0);    // overlay
    out.Zeros(0x3C - out.Size());
    out.U32(kNeHeaderAt);
    constexpr unsigned char kStubCode[] = {
        0x0E,                   // push cs
        0x1F,                   // pop ds
        0xBA, kMessageAt, 0x00, // mov dx, message
        0xB4, 0x09,             // mov ah, 9: print to '$'
        0xCD, 0x21,             // int 21h
        0xB8, 0x01,       0x4C, // mov ax, 4C01h: exit with code 1
        0xCD, 0x21,             // int 21h
    };
    static_assert(sizeof kStubCode == kMessageAt);
    for (const auto byte : kStubCode)
        out.U8(byte);
    out.Text(kMessage);
    const std::size_t imageBytes = out.Size();
    out.PatchU16(2, imageBytes % 512);
    out.PatchU16(4, (imageBytes + 511) / 512);
    if (out.Size() > kNeHeaderAt) throw FormatError("DOS stub overruns the NE header");
    out.Zeros(kNeHeaderAt - out.Size());
}

void WriteLengthPrefixed(ByteWriter& out, const std::string& text) {
    if (text.size() > 255) throw FormatError("name table entry longer than 255 bytes: " + text);
    out.U8(static_cast<unsigned>(text.size()));
    out.Text(text);
}

struct ResourcePlan {
    std::size_t nameInfoAt; // where the offset and length fields go
    const Bytes* data;
};

void WriteNameInfo(ByteWriter& out, std::vector<ResourcePlan>& plans, const Bytes& data,
                   unsigned flags, unsigned id) {
    plans.push_back({out.Size(), &data});
    out.U16(0); // offset in 16-byte units, patched
    out.U16(0); // length in 16-byte units, patched
    out.U16(flags);
    out.U16(id);
    out.Zeros(4); // handle and usage count, the loader's own
}

} // namespace

Bytes WriteFon(const std::string& moduleName, const std::string& description,
               const std::vector<Bytes>& fnts) {
    if (fnts.empty()) throw FormatError("a font file needs at least one font");

    ByteWriter fontDirOut;
    fontDirOut.U16(static_cast<unsigned>(fnts.size()));
    for (std::size_t i = 0; i < fnts.size(); ++i) {
        fontDirOut.U16(static_cast<unsigned>(i + 1));
        fontDirOut.Append(FontDirEntry(fnts[i]));
    }
    const Bytes fontDir = fontDirOut.Take();

    ByteWriter out;
    WriteDosStub(out);
    const auto ne = [](std::size_t at) { return static_cast<unsigned>(at - kNeHeaderAt); };
    out.Text("NE");
    out.U8(5); // linker version and revision
    out.U8(0);
    out.Zeros(kNeHeaderBytes - 4); // the rest is filled in once the tables are placed
    out.PatchU16(kNeHeaderAt + 0x0C, kNeLibrary);
    out.PatchU16(kNeHeaderAt + 0x32, kResourceShift);
    out.PatchU16(kNeHeaderAt + 0x36, kTargetWindows);
    out.PatchU16(kNeHeaderAt + 0x3E, kExpectedWindows310);

    // No segments: the segment table is empty and sits where the resource table begins.
    const std::size_t resourceTableAt = out.Size();
    out.PatchU16(kNeHeaderAt + 0x22, ne(resourceTableAt));
    out.PatchU16(kNeHeaderAt + 0x24, ne(resourceTableAt));
    out.U16(kResourceShift);
    std::vector<ResourcePlan> plans;
    out.U16(kRtFontDir);
    out.U16(1);
    out.U32(0);
    const std::size_t fontDirIdAt = out.Size() + 6;
    WriteNameInfo(out, plans, fontDir, kResMoveable | kResPure | kResPreload, 0);
    out.U16(kRtFont);
    out.U16(static_cast<unsigned>(fnts.size()));
    out.U32(0);
    for (std::size_t i = 0; i < fnts.size(); ++i)
        WriteNameInfo(out, plans, fnts[i], kResMoveable | kResPure | kResDiscardable,
                      kResourceIdIsNumber | static_cast<unsigned>(i + 1));
    out.U16(0);
    // The directory goes by the name FONTDIR, an offset into this table.
    out.PatchU16(fontDirIdAt, static_cast<unsigned>(out.Size() - resourceTableAt));
    WriteLengthPrefixed(out, "FONTDIR");
    out.U8(0);

    out.PatchU16(kNeHeaderAt + 0x26, ne(out.Size()));
    WriteLengthPrefixed(out, moduleName);
    out.U16(0);
    out.U8(0);
    out.PatchU16(kNeHeaderAt + 0x28, ne(out.Size())); // no module references
    out.PatchU16(kNeHeaderAt + 0x2A, ne(out.Size()));
    out.U8(0); // imported names: only the empty name at offset 0
    out.PatchU16(kNeHeaderAt + 0x04, ne(out.Size()));
    out.PatchU16(kNeHeaderAt + 0x06, 2);
    out.U16(0); // entry table: a bundle of zero entries ends it

    const std::size_t nonResidentAt = out.Size();
    out.PatchU32(kNeHeaderAt + 0x2C, static_cast<std::uint32_t>(nonResidentAt));
    WriteLengthPrefixed(out, description);
    out.U16(0);
    out.U8(0);
    out.PatchU16(kNeHeaderAt + 0x20, static_cast<unsigned>(out.Size() - nonResidentAt));

    constexpr std::size_t kUnit = std::size_t{1} << kResourceShift;
    for (const ResourcePlan& plan : plans) {
        out.PadTo(kUnit);
        const std::size_t units = (plan.data->size() + kUnit - 1) / kUnit;
        if (out.Size() / kUnit > 0xFFFF || units > 0xFFFF)
            throw FormatError("font file too large for the NE resource table");
        out.PatchU16(plan.nameInfoAt, static_cast<unsigned>(out.Size() / kUnit));
        out.PatchU16(plan.nameInfoAt + 2, static_cast<unsigned>(units));
        out.Append(*plan.data);
    }
    out.PadTo(kUnit);
    return out.Take();
}

FonFile ReadFon(const Bytes& file) {
    const ByteReader in(file);
    if (in.U16(0) != 0x5A4D) throw FormatError("no MZ signature");
    const std::size_t ne = in.U32(0x3C);
    if (in.U16(ne) != 0x454E) throw FormatError("no NE signature");

    FonFile fon;
    const std::size_t residentAt = ne + in.U16(ne + 0x26);
    fon.moduleName = in.FixedText(residentAt + 1, in.U8(residentAt));
    const std::size_t nonResidentAt = in.U32(ne + 0x2C);
    if (in.U16(ne + 0x20) > 0)
        fon.description = in.FixedText(nonResidentAt + 1, in.U8(nonResidentAt));

    std::size_t at = ne + in.U16(ne + 0x24);
    const unsigned shift = in.U16(at);
    if (shift > 16) throw FormatError("implausible resource alignment shift");
    at += 2;
    for (unsigned type = in.U16(at); type != 0; type = in.U16(at)) {
        const unsigned count = in.U16(at + 2);
        at += 8;
        for (unsigned i = 0; i < count; ++i, at += 12) {
            const std::size_t offset = std::size_t{in.U16(at)} << shift;
            const std::size_t length = std::size_t{in.U16(at + 2)} << shift;
            const Bytes data = in.Slice(offset, length);
            if (type == kRtFontDir) {
                fon.fontDir = data;
            } else if (type == kRtFont) {
                // The table length is rounded up to the alignment; the FNT knows its size.
                const std::uint32_t size = ByteReader(data).U32(2);
                const std::string which = "FONT resource " + std::to_string(fon.fonts.size() + 1);
                if (size > data.size())
                    throw FormatError(which + " is shorter than its dfSize " +
                                      std::to_string(size));
                if (size < kFntHeaderBytes)
                    throw FormatError(which + " has dfSize " + std::to_string(size) +
                                      ", less than the " + std::to_string(kFntHeaderBytes) +
                                      "-byte font header");
                fon.fonts.emplace_back(data.begin(), data.begin() + size);
                fon.fontIds.push_back(in.U16(at + 6));
            }
        }
    }
    if (fon.fonts.empty()) throw FormatError("no FONT resource");
    if (fon.fontDir.empty()) throw FormatError("no FONTDIR resource");
    return fon;
}

} // namespace vorn::fontconv
