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
    const std::string message = "This is a Windows font file.\r\n$";
    const unsigned messageAt = 14; // offset of the text after the code below
    out.text("MZ");
    out.u16(0); // bytes on the last page, patched
    out.u16(0); // pages, patched
    out.u16(0); // relocations
    out.u16(4); // header paragraphs: the 64 bytes of this header
    out.u16(0); // minimum extra paragraphs
    out.u16(0xFFFF);
    out.u16(0);    // SS
    out.u16(0xB8); // SP
    out.u16(0);    // checksum
    out.u16(0);    // IP
    out.u16(0);    // CS
    out.u16(0x40); // relocation table offset; 0x40 and up marks a new-style executable
    out.u16(0);    // overlay
    out.zeros(0x3C - out.size());
    out.u32(kNeHeaderAt);
    const unsigned char code[] = {
        0x0E,                  // push cs
        0x1F,                  // pop ds
        0xBA, messageAt, 0x00, // mov dx, message
        0xB4, 0x09,            // mov ah, 9: print to '$'
        0xCD, 0x21,            // int 21h
        0xB8, 0x01,      0x4C, // mov ax, 4C01h: exit with code 1
        0xCD, 0x21,            // int 21h
    };
    static_assert(sizeof code == messageAt);
    for (const auto byte : code)
        out.u8(byte);
    out.text(message);
    const std::size_t imageBytes = out.size();
    out.patchU16(2, imageBytes % 512);
    out.patchU16(4, (imageBytes + 511) / 512);
    if (out.size() > kNeHeaderAt) throw FormatError("DOS stub overruns the NE header");
    out.zeros(kNeHeaderAt - out.size());
}

void WriteLengthPrefixed(ByteWriter& out, const std::string& text) {
    if (text.size() > 255) throw FormatError("name table entry longer than 255 bytes: " + text);
    out.u8(static_cast<unsigned>(text.size()));
    out.text(text);
}

struct ResourcePlan {
    std::size_t nameInfoAt; // where the offset and length fields go
    const Bytes* data;
};

void WriteNameInfo(ByteWriter& out, std::vector<ResourcePlan>& plans, const Bytes& data,
                   unsigned flags, unsigned id) {
    plans.push_back({out.size(), &data});
    out.u16(0); // offset in 16-byte units, patched
    out.u16(0); // length in 16-byte units, patched
    out.u16(flags);
    out.u16(id);
    out.u16(0); // handle and usage count, the loader's own
    out.u16(0);
}

} // namespace

Bytes WriteFon(const std::string& moduleName, const std::string& description,
               const std::vector<Bytes>& fnts) {
    if (fnts.empty()) throw FormatError("a font file needs at least one font");

    ByteWriter fontDirOut;
    fontDirOut.u16(static_cast<unsigned>(fnts.size()));
    for (std::size_t i = 0; i < fnts.size(); ++i) {
        fontDirOut.u16(static_cast<unsigned>(i + 1));
        fontDirOut.append(FontDirEntry(fnts[i]));
    }
    const Bytes fontDir = fontDirOut.take();

    ByteWriter out;
    WriteDosStub(out);
    const auto ne = [](std::size_t at) { return static_cast<unsigned>(at - kNeHeaderAt); };
    out.text("NE");
    out.u8(5); // linker version and revision
    out.u8(0);
    out.zeros(kNeHeaderBytes - 4); // the rest is filled in once the tables are placed
    out.patchU16(kNeHeaderAt + 0x0C, kNeLibrary);
    out.patchU16(kNeHeaderAt + 0x32, kResourceShift);
    out.patchU16(kNeHeaderAt + 0x36, kTargetWindows);
    out.patchU16(kNeHeaderAt + 0x3E, kExpectedWindows310);

    // No segments: the segment table is empty and sits where the resource table begins.
    const std::size_t resourceTableAt = out.size();
    out.patchU16(kNeHeaderAt + 0x22, ne(resourceTableAt));
    out.patchU16(kNeHeaderAt + 0x24, ne(resourceTableAt));
    out.u16(kResourceShift);
    std::vector<ResourcePlan> plans;
    out.u16(kRtFontDir);
    out.u16(1);
    out.u32(0);
    const std::size_t fontDirIdAt = out.size() + 6;
    WriteNameInfo(out, plans, fontDir, kResMoveable | kResPure | kResPreload, 0);
    out.u16(kRtFont);
    out.u16(static_cast<unsigned>(fnts.size()));
    out.u32(0);
    for (std::size_t i = 0; i < fnts.size(); ++i)
        WriteNameInfo(out, plans, fnts[i], kResMoveable | kResPure | kResDiscardable,
                      kResourceIdIsNumber | static_cast<unsigned>(i + 1));
    out.u16(0);
    // The directory goes by the name FONTDIR, an offset into this table.
    out.patchU16(fontDirIdAt, static_cast<unsigned>(out.size() - resourceTableAt));
    WriteLengthPrefixed(out, "FONTDIR");
    out.u8(0);

    out.patchU16(kNeHeaderAt + 0x26, ne(out.size()));
    WriteLengthPrefixed(out, moduleName);
    out.u16(0);
    out.u8(0);
    out.patchU16(kNeHeaderAt + 0x28, ne(out.size())); // no module references
    out.patchU16(kNeHeaderAt + 0x2A, ne(out.size()));
    out.u8(0); // imported names: only the empty name at offset 0
    out.patchU16(kNeHeaderAt + 0x04, ne(out.size()));
    out.patchU16(kNeHeaderAt + 0x06, 2);
    out.u16(0); // entry table: a bundle of zero entries ends it

    const std::size_t nonResidentAt = out.size();
    out.patchU32(kNeHeaderAt + 0x2C, static_cast<std::uint32_t>(nonResidentAt));
    WriteLengthPrefixed(out, description);
    out.u16(0);
    out.u8(0);
    out.patchU16(kNeHeaderAt + 0x20, static_cast<unsigned>(out.size() - nonResidentAt));

    constexpr std::size_t unit = std::size_t{1} << kResourceShift;
    for (const ResourcePlan& plan : plans) {
        out.padTo(unit);
        if (out.size() / unit > 0xFFFF || (plan.data->size() + unit - 1) / unit > 0xFFFF)
            throw FormatError("font file too large for the NE resource table");
        out.patchU16(plan.nameInfoAt, static_cast<unsigned>(out.size() / unit));
        out.patchU16(plan.nameInfoAt + 2,
                     static_cast<unsigned>((plan.data->size() + unit - 1) / unit));
        out.append(*plan.data);
    }
    out.padTo(unit);
    return out.take();
}

FonFile ReadFon(const Bytes& file) {
    const ByteReader in(file);
    if (in.u16(0) != 0x5A4D) throw FormatError("no MZ signature");
    const std::size_t ne = in.u32(0x3C);
    if (in.u16(ne) != 0x454E) throw FormatError("no NE signature");

    FonFile fon;
    const std::size_t residentAt = ne + in.u16(ne + 0x26);
    fon.moduleName = in.fixedText(residentAt + 1, in.u8(residentAt));
    const std::size_t nonResidentAt = in.u32(ne + 0x2C);
    if (in.u16(ne + 0x20) > 0)
        fon.description = in.fixedText(nonResidentAt + 1, in.u8(nonResidentAt));

    std::size_t at = ne + in.u16(ne + 0x24);
    const unsigned shift = in.u16(at);
    if (shift > 16) throw FormatError("implausible resource alignment shift");
    at += 2;
    for (unsigned type = in.u16(at); type != 0; type = in.u16(at)) {
        const unsigned count = in.u16(at + 2);
        at += 8;
        for (unsigned i = 0; i < count; ++i, at += 12) {
            const std::size_t offset = std::size_t{in.u16(at)} << shift;
            const std::size_t length = std::size_t{in.u16(at + 2)} << shift;
            const Bytes data = in.slice(offset, length);
            if (type == kRtFontDir) {
                fon.fontDir = data;
            } else if (type == kRtFont) {
                // The table length is rounded up to the alignment; the FNT knows its size.
                const std::uint32_t size = ByteReader(data).u32(2);
                const std::string which = "FONT resource " + std::to_string(fon.fonts.size() + 1);
                if (size > data.size())
                    throw FormatError(which + " is shorter than its dfSize " +
                                      std::to_string(size));
                if (size < kFntHeaderBytes)
                    throw FormatError(which + " has dfSize " + std::to_string(size) +
                                      ", less than the " + std::to_string(kFntHeaderBytes) +
                                      "-byte font header");
                fon.fonts.emplace_back(data.begin(), data.begin() + size);
                fon.fontIds.push_back(in.u16(at + 6));
            }
        }
    }
    if (fon.fonts.empty()) throw FormatError("no FONT resource");
    if (fon.fontDir.empty()) throw FormatError("no FONTDIR resource");
    return fon;
}

} // namespace vorn::fontconv
