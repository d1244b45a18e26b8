// Fuzzes the memory stream against a model: a vector of bytes (each known or
// left undefined, as grown memory is not cleared), an offset and the capacity
// the 8192-byte rounding gives. Random sequences of the stream's operations,
// with counts, offsets and sizes near and past the 32-bit limits, must leave
// the stream as the model says and raise exactly where it says, with the code
// page 932 message (spelled here as bytes, so that the build's literals are
// checked too). Blocks beyond kAllocationLimit are never asked for: the model
// knows the sizes in advance and skips such steps.
#include "host/stream.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

using vorn::String;

const char* const kGrowthMessage =
    "\xD2\xD3\xD8\xBD\xC4\xD8\xB0\xD1\x82\xCC\x8A\x67\x91\xE5\x92\x86"
    "\x82\xC9\xD2\xD3\xD8\x82\xAA\x91\xAB\x82\xE8\x82\xC8\x82\xAD\x82"
    "\xC8\x82\xE8\x82\xDC\x82\xB5\x82\xBD";
const char* const kReadMessage = "\xBD\xC4\xD8\xB0\xD1\x82\xA9\x82\xE7\x82\xCC\x93\xC7\x82\xDD\x8D"
                                 "\x9E\x82\xDD\xB4\xD7\xB0";
const char* const kWriteMessage = "\xBD\xC4\xD8\xB0\xD1\x82\xD6\x82\xCC\x8F\x91\x82\xAB\x8D\x9E\x82"
                                  "\xDD\xB4\xD7\xB0";
constexpr std::int64_t kAllocationLimit = 1 << 16;

void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "memory stream differs from the model: %s\n", what);
    std::abort();
}

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint32_t raw() {
        return byte() | byte() << 8 | byte() << 16 | std::uint32_t{byte()} << 24;
    }
    // Mostly values near the edges the stream has to get right.
    std::int32_t number() {
        const int small = byte();
        switch (byte() % 7) {
        case 0:
            return small;
        case 1:
            return -small;
        case 2:
            return INT32_MAX - small;
        case 3:
            return INT32_MIN + small;
        case 4:
            return vorn::kMaxBlockCapacity - 8 + small % 16;
        case 5:
            return 8192 - 8 + small % 16;
        default:
            return static_cast<std::int32_t>(raw());
        }
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_, at_ = 0;
};

std::int64_t Rounded(std::int64_t capacity) {
    return capacity > 0 ? (capacity + 8191) / 8192 * 8192 : 0;
}

struct Model {
    std::vector<int> bytes; // -1: undefined
    std::int32_t offset = 0;
    std::int64_t capacity = 0;

    std::int32_t Length() const { return static_cast<std::int32_t>(bytes.size()); }
    // What asking for `capacity` does: nullopt if it raises, else the new capacity.
    static std::optional<std::int64_t> Capacity(std::int64_t asked) {
        if (asked < 0 || asked > vorn::kMaxBlockCapacity) return std::nullopt;
        return Rounded(asked);
    }
    bool Affordable(std::int64_t asked) const {
        const auto next = Capacity(asked);
        return !next || *next == capacity || *next <= kAllocationLimit;
    }
    void Resize(std::int64_t length) { bytes.resize(static_cast<std::size_t>(length), -1); }
};

void Compare(const vorn::TMemoryStream& stream, const Model& model, bool content) {
    Check(stream.DataLength() == model.Length(), "length");
    Check(stream.CurrentOffset() == model.offset, "offset");
    Check(stream.BlockCapacity() == model.capacity, "capacity");
    if (!content) return;
    const auto* block = static_cast<const std::uint8_t*>(stream.BlockAddr());
    for (std::size_t i = 0; i < model.bytes.size(); ++i)
        Check(model.bytes[i] < 0 || block[i] == model.bytes[i], "content");
}

template <class E, class F> void ExpectRaise(bool raises, const char* message, F action) {
    try {
        action();
    } catch (const E& e) {
        Check(raises, "raised where the model does not");
        Check(e.Message() == message, "message bytes");
        return;
    }
    Check(!raises, "did not raise where the model does");
}

// What a write of `count` bytes at the model's offset does: nothing when the
// offset is negative, the count negative or the end past 2^31 - 1.
// A write that needs a block beyond kMaxBlockCapacity raises EStreamError
// instead, and changes nothing.
struct WritePlan {
    bool writes;
    bool raises;
    std::int64_t end;
};

WritePlan PlanWrite(const Model& model, std::int64_t count) {
    const std::int64_t end = model.offset + count;
    const bool fits = model.offset >= 0 && count >= 0 && end > 0 && end <= INT32_MAX;
    const bool raises = fits && end > model.capacity && !Model::Capacity(end);
    return {fits && !raises, raises, end};
}

bool Affordable(const Model& model, const WritePlan& plan) {
    return !plan.writes || plan.end <= model.capacity || model.Affordable(plan.end);
}

void ApplyWrite(Model& model, const WritePlan& plan, const std::vector<int>& source) {
    if (plan.end > model.Length()) {
        if (plan.end > model.capacity) model.capacity = Rounded(plan.end);
        model.Resize(plan.end);
    }
    for (std::size_t i = 0; i < source.size(); ++i)
        model.bytes[static_cast<std::size_t>(model.offset) + i] = source[i];
    model.offset = static_cast<std::int32_t>(plan.end);
}

std::int32_t Readable(const Model& model, std::int32_t count) {
    if (model.offset < 0 || count < 0 || model.Length() <= model.offset) return 0;
    return std::min(count, model.Length() - model.offset);
}

void CheckRead(Model& model, const std::vector<std::uint8_t>& buffer, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) {
        const int want = model.bytes[static_cast<std::size_t>(model.offset + i)];
        Check(want < 0 || buffer[static_cast<std::size_t>(i)] == want, "bytes read");
    }
    model.offset += count;
}

void ChangeSize(vorn::TMemoryStream& stream, Model& model, std::int32_t length) {
    if (!model.Affordable(length)) return;
    const auto next = Model::Capacity(length);
    ExpectRaise<vorn::EStreamError>(!next, kGrowthMessage, [&] { stream.ChangeSize(length); });
    if (!next) return;
    model.capacity = *next;
    model.Resize(length);
    if (length < model.offset) model.offset = length;
}

void Step(vorn::TMemoryStream& stream, Model& model, vorn::TMemoryStream& other, Model& otherModel,
          Input& in) {
    const int op = in.byte() % 11;
    const std::int32_t n = in.number();
    switch (op) {
    case 0:
    case 6: {
        // WriteBytes, or WriteFully, which raises where WriteBytes writes nothing.
        const WritePlan plan = PlanWrite(model, n);
        if (!Affordable(model, plan)) break;
        const std::uint8_t fill = in.byte();
        const std::vector<char> buffer(plan.writes ? static_cast<std::size_t>(n) + 1 : 1,
                                       static_cast<char>(fill));
        if (plan.raises && (op == 0 || n != 0))
            ExpectRaise<vorn::EStreamError>(true, kGrowthMessage, [&] {
                if (op == 0)
                    stream.WriteBytes(buffer.data(), n);
                else
                    stream.WriteFully(buffer.data(), n);
            });
        else if (op == 0)
            Check(stream.WriteBytes(buffer.data(), n) == (plan.writes ? n : 0), "write count");
        else
            ExpectRaise<vorn::EWriteError>(n != 0 && !plan.writes, kWriteMessage,
                                           [&] { stream.WriteFully(buffer.data(), n); });
        // WriteFully of nothing does not even call WriteBytes.
        if (plan.writes && (op == 0 || n != 0))
            ApplyWrite(model, plan, std::vector<int>(static_cast<std::size_t>(n), fill));
        break;
    }
    case 1:
    case 5: {
        // ReadBytes, or ReadFully, which raises on a short read (after reading).
        const std::int32_t expected = Readable(model, n);
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(expected) + 1);
        if (op == 1) {
            Check(stream.ReadBytes(buffer.data(), n) == expected, "read count");
        } else {
            ExpectRaise<vorn::EReadError>(n != 0 && expected != n, kReadMessage,
                                          [&] { stream.ReadFully(buffer.data(), n); });
            if (n == 0) break;
        }
        CheckRead(model, buffer, expected);
        break;
    }
    case 2: {
        const std::uint16_t origin = in.byte() % 4;
        const std::int32_t base = origin == 1 ? model.offset : origin == 2 ? model.Length() : 0;
        const auto expected = origin == 3 ? model.offset : vorn::WrapAdd(base, n);
        Check(stream.MoveTo(n, origin) == expected, "MoveTo result");
        model.offset = expected;
        break;
    }
    case 3:
        ChangeSize(stream, model, n);
        break;
    case 4: {
        // Below the length the block would no longer hold the data.
        if (n < model.Length() || !model.Affordable(n)) break;
        const auto next = Model::Capacity(n);
        ExpectRaise<vorn::EStreamError>(!next, kGrowthMessage, [&] { stream.ChangeCapacity(n); });
        if (next) model.capacity = *next;
        break;
    }
    case 7:
        stream.DropContent();
        model = Model{};
        break;
    case 8: {
        // Takes the other stream's whole content; the other's offset ends at its end.
        if (!model.Affordable(otherModel.Length())) break;
        stream.FillFromStream(other);
        model.capacity = Rounded(otherModel.Length());
        model.bytes = otherModel.bytes;
        if (model.Length() < model.offset) model.offset = model.Length();
        otherModel.offset = otherModel.Length();
        break;
    }
    case 9: {
        // Writes this stream's whole content into the other at its offset.
        const WritePlan plan = PlanWrite(otherModel, model.Length());
        if (!Affordable(otherModel, plan)) break;
        if (plan.raises && model.Length() != 0)
            ExpectRaise<vorn::EStreamError>(true, kGrowthMessage, [&] { stream.CopyAllTo(other); });
        else
            ExpectRaise<vorn::EWriteError>(model.Length() != 0 && !plan.writes, kWriteMessage,
                                           [&] { stream.CopyAllTo(other); });
        if (model.Length() != 0 && plan.writes) ApplyWrite(otherModel, plan, model.bytes);
        break;
    }
    default: {
        const std::int32_t here = model.offset;
        Check(stream.TotalLength() == model.Length(), "TotalLength");
        Check(stream.CurrentPos() == here, "CurrentPos");
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    vorn::TMemoryStream stream, other;
    Model model, otherModel;
    for (int steps = 0; !in.empty() && steps < 64; ++steps) {
        Step(stream, model, other, otherModel, in);
        Compare(stream, model, false);
        Compare(other, otherModel, false);
    }
    // Content is compared once at the end; reads compare what they see on the way.
    Compare(stream, model, true);
    Compare(other, otherModel, true);
    return 0;
}
