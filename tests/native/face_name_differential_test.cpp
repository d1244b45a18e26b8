// The face-name scan against the byte-by-byte scan it replaced, kept here as
// the reference: on many random buffers both must announce the same names in
// the same order and leave the same bytes, offset, length and capacity, also
// when an announcement fails part-way through the run.
#include "app/face_name.h"

#include <gtest/gtest.h>
#include <random>
#include <stdexcept>
#include <vector>

namespace vorn {
namespace {

// The scan as it read the stream one byte per call.
void ReferenceReplaceFaceName(TMemoryStream& stream, const FaceNameRule& rule,
                              const std::function<void(const String& found)>& announce) {
    const String search = rule.search;
    const auto length = static_cast<std::int32_t>(search.size());
    std::vector<char> face(static_cast<std::size_t>(length) + 1, '\0');
    const char lead = search[0];
    char cell = 0;
    while (stream.ReadBytes(&cell, 1) > 0) {
        if (cell != lead) continue;
        stream.MoveTo(-1, FromCurrent);
        const std::int32_t read = stream.ReadBytes(face.data(), length);
        if (read < length || std::memcmp(face.data(), search.data(), search.size()) != 0) {
            if (read > 1) stream.MoveTo(-(read - 1), FromCurrent);
            continue;
        }
        announce(String(face.data(), search.size()));
        stream.MoveTo(-length, FromCurrent);
        stream.WriteBytes(rule.replacement, length);
    }
}

using Pass = void (*)(TMemoryStream&, const FaceNameRule&,
                      const std::function<void(const String&)>&);

struct Outcome {
    std::vector<String> announced;
    bool stoppedByAnnouncement = false;
    String bytes;
    std::int32_t offset = 0, length = 0, capacity = 0;
    bool operator==(const Outcome&) const = default;
};

struct Case {
    String input;
    std::int32_t firstOffset = 0; // where the first pass starts
    bool bothPasses = true;       // else the Arial pass alone
    int failingAnnouncement = -1; // this announcement throws; -1: none does
};

Outcome RunScan(Pass pass, const Case& c) {
    TMemoryStream stream;
    stream.WriteBytes(c.input.data(), static_cast<std::int32_t>(c.input.size()));
    stream.MoveTo(c.firstOffset, FromStart);
    Outcome out;
    const auto announce = [&](const String& found) {
        if (static_cast<int>(out.announced.size()) == c.failingAnnouncement)
            throw std::runtime_error("announcement failed");
        out.announced.push_back(found);
    };
    try {
        if (c.bothPasses) {
            pass(stream, SansSerifRule, announce);
            stream.MoveTo(0, FromStart);
        }
        pass(stream, ArialRule, announce);
    } catch (const std::runtime_error&) {
        out.stoppedByAnnouncement = true;
    }
    if (stream.DataLength() > 0)
        out.bytes.assign(static_cast<const char*>(stream.BlockAddr()),
                         static_cast<std::size_t>(stream.DataLength()));
    out.offset = stream.CurrentOffset();
    out.length = stream.DataLength();
    out.capacity = stream.BlockCapacity();
    return out;
}

// Buffers made of what the scan must tell apart: the names, their rewritten
// forms, names cut short, doubled lead bytes, double-byte characters whose
// trail byte is a lead byte, 16-bit names, zeros and random bytes; often ending
// in a cut-off name.
Case RandomCase(std::mt19937& random) {
    static const std::vector<String> pieces = {"MS Sans Serif",
                                               "Arial",
                                               "MS Sans Serij",
                                               "Ariaj",
                                               "MS Sans Seri",
                                               "Aria",
                                               "MS ",
                                               "Ar",
                                               "MMS Sans Serif",
                                               "AArial",
                                               "MM",
                                               "AA",
                                               "M",
                                               "A",
                                               "\x82"
                                               "A",
                                               "\x83"
                                               "M",
                                               "\x82"
                                               "Arial",
                                               String("A\0r\0i\0a\0l\0", 10),
                                               String(1, '\0'),
                                               " Black",
                                               "arial",
                                               "ms sans serif"};
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    Case c;
    const std::size_t count = pick(40);
    for (std::size_t i = 0; i < count; ++i) {
        if (pick(3) == 0) {
            for (std::size_t j = pick(24); j > 0; --j)
                c.input += static_cast<char>(pick(256));
        } else {
            c.input += pieces[pick(pieces.size())];
        }
    }
    if (pick(3) == 0) {
        const String& name = pick(2) ? String("MS Sans Serif") : String("Arial");
        c.input += name.substr(0, 1 + pick(name.size()));
    }
    const auto size = static_cast<std::int32_t>(c.input.size());
    c.bothPasses = pick(4) != 0;
    c.firstOffset =
        pick(3) == 0 ? std::uniform_int_distribution<std::int32_t>(-2, size + 2)(random) : 0;
    c.failingAnnouncement = pick(4) == 0 ? static_cast<int>(pick(4)) : -1;
    return c;
}

// Both ways the scan can search: the 16-byte compares and the machine words.
class FaceNameScanDifferential : public testing::TestWithParam<FaceNameSearch> {
  protected:
    void SetUp() override { UseFaceNameSearch(GetParam()); }
    void TearDown() override { UseFaceNameSearch(FaceNameSearch::Fastest); }
};

TEST_P(FaceNameScanDifferential, AgreesWithTheByteByByteScanOnRandomBuffers) {
    std::mt19937 random(12);
    int announcements = 0, failures = 0;
    for (int i = 0; i < 20000; ++i) {
        const Case c = RandomCase(random);
        const Outcome expected = RunScan(&ReferenceReplaceFaceName, c);
        const Outcome actual = RunScan(&ReplaceFaceName, c);
        ASSERT_EQ(actual, expected)
            << "case " << i << ", " << c.input.size() << " bytes, first offset " << c.firstOffset;
        announcements += static_cast<int>(expected.announced.size());
        failures += expected.stoppedByAnnouncement;
    }
    // The buffers really exercised the rewrite and the failing announcements.
    EXPECT_GT(announcements, 20000);
    EXPECT_GT(failures, 1000);
}

INSTANTIATE_TEST_SUITE_P(BothSearches, FaceNameScanDifferential,
                         testing::Values(FaceNameSearch::Fastest, FaceNameSearch::Words),
                         [](const testing::TestParamInfo<FaceNameSearch>& info) {
                             return info.param == FaceNameSearch::Fastest ? "Fastest" : "Words";
                         });

} // namespace
} // namespace vorn
