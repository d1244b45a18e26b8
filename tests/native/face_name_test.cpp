// The face-name scan over a memory stream: which byte runs are rewritten,
// which are announced, and that the data keeps its length.
#include "app/face_name.h"

#include <gtest/gtest.h>
#include <vector>

namespace vorn {
namespace {

struct ScanResult {
    String bytes;
    std::vector<String> announced;
};

// Runs both passes as the run does, from wherever the stream stands.
ScanResult ScanBothPasses(const String& input) {
    TMemoryStream stream;
    stream.WriteBytes(input.data(), static_cast<std::int32_t>(input.size()));
    ScanResult result;
    RewriteFaceNames(stream, [&](const String& found) { result.announced.push_back(found); });
    result.bytes.assign(static_cast<const char*>(stream.BlockAddr()),
                        static_cast<std::size_t>(stream.DataLength()));
    return result;
}

TEST(FaceNameScan, RewritesEveryOccurrenceAndAnnouncesEachInPassOrder) {
    const String input = String("\x01MS Sans Serif\0Arial\0MS Sans Serif", 35) + "xArial";
    const auto result = ScanBothPasses(input);
    EXPECT_EQ(result.bytes, String("\x01MS Sans Serij\0Ariaj\0MS Sans Serij", 35) + "xAriaj");
    EXPECT_EQ(result.announced,
              (std::vector<String>{"MS Sans Serif", "MS Sans Serif", "Arial", "Arial"}));
}

TEST(FaceNameScan, FindsAnOccurrenceThatStartsInsideAFailedCandidate) {
    const auto result = ScanBothPasses("MMS Sans Serif AArial AAAArial");
    EXPECT_EQ(result.bytes, "MMS Sans Serij AAriaj AAAAriaj");
    EXPECT_EQ(result.announced.size(), 3u);
}

TEST(FaceNameScan, RewritesOnlyTheFiveBytesOfLongerArialNames) {
    const auto result = ScanBothPasses("Arial Black|Arial Narrow");
    EXPECT_EQ(result.bytes, "Ariaj Black|Ariaj Narrow");
}

TEST(FaceNameScan, LeavesOtherLetterCasesAndSixteenBitNamesAlone) {
    const String wide("A\0r\0i\0a\0l\0", 10);
    const String input = "ARIAL arial ms sans serif MS SANS SERIF " + wide;
    const auto result = ScanBothPasses(input);
    EXPECT_EQ(result.bytes, input);
    EXPECT_TRUE(result.announced.empty());
}

TEST(FaceNameScan, MatchesAfterADoubleByteLeadByteAsBytesAlone) {
    // 0x82 is a lead byte in code page 932; the scan compares bytes only.
    const auto result = ScanBothPasses("\x82"
                                       "Arial\x82MS Sans Serif");
    EXPECT_EQ(result.bytes, "\x82"
                            "Ariaj\x82MS Sans Serij");
}

TEST(FaceNameScan, HandlesOccurrencesAtTheVeryEndAndCutOffOnes) {
    EXPECT_EQ(ScanBothPasses("....Arial").bytes, "....Ariaj");
    EXPECT_EQ(ScanBothPasses("....MS Sans Serif").bytes, "....MS Sans Serij");
    const auto cut = ScanBothPasses("....MS Sans Seri");
    EXPECT_EQ(cut.bytes, "....MS Sans Seri");
    EXPECT_TRUE(cut.announced.empty());
    EXPECT_EQ(ScanBothPasses("Aria").bytes, "Aria");
}

TEST(FaceNameScan, FindsNothingInAnAlreadyRewrittenFile) {
    const auto result = ScanBothPasses("MS Sans Serij Ariaj");
    EXPECT_EQ(result.bytes, "MS Sans Serij Ariaj");
    EXPECT_TRUE(result.announced.empty());
}

TEST(FaceNameScan, StartsAtTheStreamsCurrentOffsetAndKeepsLengthAndCapacity) {
    const String input = "Arial" + String(10000, 'x') + "Arial";
    TMemoryStream stream;
    stream.WriteBytes(input.data(), static_cast<std::int32_t>(input.size()));
    const auto capacity = stream.BlockCapacity();
    stream.MoveTo(1, FromStart);
    int announced = 0;
    ReplaceFaceName(stream, ArialRule, [&](const String&) { ++announced; });
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(stream.DataLength(), static_cast<std::int32_t>(input.size()));
    EXPECT_EQ(stream.BlockCapacity(), capacity);
    EXPECT_EQ(stream.CurrentOffset(), stream.DataLength());
    const String bytes(static_cast<const char*>(stream.BlockAddr()), input.size());
    EXPECT_EQ(bytes.substr(0, 5), "Arial");
    EXPECT_EQ(bytes.substr(bytes.size() - 5), "Ariaj");
}

TEST(FaceNameScan, EmptyStreamEndsAtOnce) {
    TMemoryStream stream;
    int announced = 0;
    ReplaceFaceName(stream, SansSerifRule, [&](const String&) { ++announced; });
    EXPECT_EQ(announced, 0);
    EXPECT_EQ(stream.DataLength(), 0);
}

} // namespace
} // namespace vorn
