// The memory byte stream: reads, moves, writes and capacity steps at their
// edges, the exact-count operations and the abstract operations of the base
// classes. Runs under AddressSanitizer and UBSan, which also check that no
// edge case reads or writes outside the block.
#include "host/stream.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

const char* const kGrowthMessage = "ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました";

std::int32_t Size(const String& s) {
    return static_cast<std::int32_t>(s.size());
}

// Gives the stream `bytes` as its content and puts the offset back at 0.
void Fill(TMemoryStream& stream, const String& bytes) {
    stream.ChangeSize(0);
    stream.MoveTo(0, FromStart);
    ASSERT_EQ(stream.WriteBytes(bytes.data(), Size(bytes)), Size(bytes));
    stream.MoveTo(0, FromStart);
}

String Content(const TCustomMemoryStream& stream) {
    if (stream.DataLength() == 0) return String();
    return String(static_cast<const char*>(stream.BlockAddr()),
                  static_cast<std::size_t>(stream.DataLength()));
}

// Everything a caller can observe of a memory stream.
struct Snapshot {
    void* block;
    std::int32_t length, offset, capacity;
    String content;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const TMemoryStream& s) {
    return {s.BlockAddr(), s.DataLength(), s.CurrentOffset(), s.BlockCapacity(), Content(s)};
}

// Expects `action` to raise exactly class E with `message`; reports `line`.
template <class E, class F> void ExpectRaise(F action, const String& message, int line) {
    SCOPED_TRACE(testing::Message() << "called from line " << line);
    try {
        action();
        ADD_FAILURE() << "nothing was raised";
    } catch (const E& e) {
        EXPECT_EQ(String(e.ClassName()), String(E("").ClassName()));
        EXPECT_EQ(e.Message(), message);
        EXPECT_NE(e.RaiseAddress(), nullptr);
    }
}

TEST(MemoryStreamRead, AtOrBeyondEndOrNegativeOffsetReturnsZeroAndTouchesNothing) {
    TMemoryStream stream;
    Fill(stream, "abcdef");
    for (std::int32_t offset : {6, 7, 100, -1, -6, INT32_MIN}) {
        SCOPED_TRACE(offset);
        stream.MoveTo(offset, FromStart);
        char buffer[4] = {'w', 'x', 'y', 'z'};
        EXPECT_EQ(stream.ReadBytes(buffer, 4), 0);
        EXPECT_EQ(String(buffer, 4), "wxyz");
        EXPECT_EQ(stream.CurrentOffset(), offset);
    }
}

// Reads in turn on one stream; `from` < 0 goes on where the last read
// stopped. A read within the data copies and advances; one reaching the end
// copies only the rest and keeps the tail of the buffer.
TEST(MemoryStreamRead, CopiesWhatTheDataHoldsAndAdvances) {
    const struct {
        std::int32_t from, count, got;
        const char* buffer;
        std::int32_t offset;
    } reads[] = {{0, 1, 1, "0", 1}, {-1, 3, 3, "123", 4}, {6, 13, 4, "6789*********", 10}};
    TMemoryStream stream;
    Fill(stream, "0123456789");
    for (const auto& r : reads) {
        SCOPED_TRACE(r.buffer);
        if (r.from >= 0) stream.MoveTo(r.from, FromStart);
        char buffer[16];
        std::memset(buffer, '*', sizeof buffer);
        EXPECT_EQ(stream.ReadBytes(buffer, r.count), r.got);
        EXPECT_EQ(String(buffer, r.count), r.buffer);
        EXPECT_EQ(stream.CurrentOffset(), r.offset);
    }
}

TEST(MemoryStreamRead, NegativeOrZeroCountReadsNothing) {
    TMemoryStream stream;
    Fill(stream, "abc");
    char buffer[2] = {'x', 'y'};
    EXPECT_EQ(stream.ReadBytes(buffer, -1), 0);
    EXPECT_EQ(stream.ReadBytes(buffer, 0), 0);
    EXPECT_EQ(stream.ReadBytes(nullptr, 0), 0);
    EXPECT_EQ(String(buffer, 2), "xy");
    EXPECT_EQ(stream.CurrentOffset(), 0);
}

TEST(MemoryStreamRead, EmptyStreamHasNoBlockAndReadsZero) {
    TMemoryStream stream;
    EXPECT_EQ(Take(stream), (Snapshot{nullptr, 0, 0, 0, ""}));
    char cell = 'q';
    EXPECT_EQ(stream.ReadBytes(&cell, 1), 0);
    EXPECT_EQ(cell, 'q');
}

TEST(MemoryStreamMove, EachOriginAndAnUnknownOne) {
    TMemoryStream stream;
    Fill(stream, "0123456789");
    EXPECT_EQ(stream.MoveTo(4, FromStart), 4);
    EXPECT_EQ(stream.MoveTo(3, FromCurrent), 7);
    EXPECT_EQ(stream.MoveTo(-2, FromCurrent), 5);
    EXPECT_EQ(stream.MoveTo(-3, FromEnd), 7);
    EXPECT_EQ(stream.MoveTo(5, FromEnd), 15);
    EXPECT_EQ(stream.MoveTo(1, 3), 15);
    EXPECT_EQ(stream.MoveTo(-100, 0xFFFF), 15);
    EXPECT_EQ(stream.CurrentOffset(), 15);
}

TEST(MemoryStreamMove, MinusOneAtStartGivesMinusOneWhereReadAndWriteDoNothing) {
    TMemoryStream stream;
    Fill(stream, "abc");
    EXPECT_EQ(stream.MoveTo(-1, FromCurrent), -1);
    char cell = 'z';
    EXPECT_EQ(stream.ReadBytes(&cell, 1), 0);
    EXPECT_EQ(stream.WriteBytes(&cell, 1), 0);
    EXPECT_EQ(cell, 'z');
    EXPECT_EQ(Content(stream), "abc");
    EXPECT_EQ(stream.CurrentOffset(), -1);
}

TEST(MemoryStreamMove, OffsetsWrapAroundInThirtyTwoBits) {
    TMemoryStream stream;
    stream.MoveTo(INT32_MAX, FromStart);
    EXPECT_EQ(stream.MoveTo(1, FromCurrent), INT32_MIN);
    EXPECT_EQ(stream.MoveTo(-1, FromCurrent), INT32_MAX);
    EXPECT_EQ(stream.MoveTo(INT32_MIN, FromEnd), INT32_MIN);
}

TEST(MemoryStreamMove, BeyondTheEndIsAllowedAndReadsNothing) {
    TMemoryStream stream;
    Fill(stream, "abc");
    EXPECT_EQ(stream.MoveTo(10, FromStart), 10);
    char cell = 'z';
    EXPECT_EQ(stream.ReadBytes(&cell, 1), 0);
    EXPECT_EQ(stream.DataLength(), 3);
}

TEST(MemoryStreamWrite, BeyondTheEndExtendsTheDataToTheEndOfTheWrite) {
    TMemoryStream stream;
    Fill(stream, "abc");
    stream.MoveTo(10, FromStart);
    EXPECT_EQ(stream.WriteBytes("XY", 2), 2);
    EXPECT_EQ(stream.DataLength(), 12);
    EXPECT_EQ(stream.CurrentOffset(), 12);
    EXPECT_EQ(Content(stream).substr(0, 3), "abc");
    EXPECT_EQ(Content(stream).substr(10), "XY");
}

TEST(MemoryStreamWrite, ZeroBytesBeyondTheEndExtendsToThatOffset) {
    TMemoryStream stream;
    Fill(stream, "abc");
    stream.MoveTo(9000, FromStart);
    EXPECT_EQ(stream.WriteBytes(nullptr, 0), 0);
    EXPECT_EQ(stream.DataLength(), 9000);
    EXPECT_EQ(stream.BlockCapacity(), 16384);
    EXPECT_EQ(stream.CurrentOffset(), 9000);
    EXPECT_EQ(Content(stream).substr(0, 3), "abc");
}

TEST(MemoryStreamWrite, ZeroBytesAtStartOrWithinTheDataChangesNothing) {
    TMemoryStream stream;
    EXPECT_EQ(stream.WriteBytes("", 0), 0);
    EXPECT_EQ(Take(stream), (Snapshot{nullptr, 0, 0, 0, ""}));
    Fill(stream, "abc");
    stream.MoveTo(1, FromStart);
    EXPECT_EQ(stream.WriteBytes("", 0), 0);
    EXPECT_EQ(stream.DataLength(), 3);
    EXPECT_EQ(stream.CurrentOffset(), 1);
}

TEST(MemoryStreamWrite, ThirteenBytesInTheMiddleKeepLengthCapacityAndBlock) {
    TMemoryStream stream;
    const String original(20000, '.');
    Fill(stream, original);
    const Snapshot before = Take(stream);
    stream.MoveTo(5000, FromStart);
    EXPECT_EQ(stream.WriteBytes("MS Sans Serij", 13), 13);
    const Snapshot after = Take(stream);
    EXPECT_EQ(after.block, before.block);
    EXPECT_EQ(after.length, 20000);
    EXPECT_EQ(after.capacity, 24576);
    EXPECT_EQ(after.offset, 5013);
    String expected = original;
    expected.replace(5000, 13, "MS Sans Serij");
    EXPECT_EQ(after.content, expected);
}

TEST(MemoryStreamWrite, NegativeCountOrOffsetWritesNothing) {
    TMemoryStream stream;
    Fill(stream, "abc");
    const Snapshot before = Take(stream);
    EXPECT_EQ(stream.WriteBytes("x", -1), 0);
    EXPECT_EQ(Take(stream), before);
    stream.MoveTo(-2, FromStart);
    EXPECT_EQ(stream.WriteBytes("xyz", 3), 0);
    EXPECT_EQ(Content(stream), "abc");
}

TEST(MemoryStreamWrite, AnEndPastTwoToTheThirtyOneWritesNothing) {
    TMemoryStream stream;
    Fill(stream, "abc");
    stream.MoveTo(INT32_MAX - 1, FromStart);
    EXPECT_EQ(stream.WriteBytes("xyz", 3), 0);
    EXPECT_EQ(stream.DataLength(), 3);
    EXPECT_EQ(stream.BlockCapacity(), 8192);
    EXPECT_EQ(stream.CurrentOffset(), INT32_MAX - 1);
}

TEST(MemoryStreamWrite, AnEndPastTheLargestCapacityRaisesAndKeepsTheStream) {
    TMemoryStream stream;
    Fill(stream, "abc");
    stream.MoveTo(kMaxBlockCapacity, FromStart);
    const Snapshot before = Take(stream);
    ExpectRaise<EStreamError>([&] { stream.WriteBytes("x", 1); }, kGrowthMessage, __LINE__);
    EXPECT_EQ(Take(stream), before);
}

TEST(MemoryStreamCapacity, RoundsUpToMultiplesOf8192) {
    struct Case {
        std::int32_t length, capacity;
    };
    for (const Case c : {Case{1, 8192}, Case{8191, 8192}, Case{8192, 8192}, Case{8193, 16384},
                         Case{16384, 16384}, Case{100000, 106496}}) {
        SCOPED_TRACE(c.length);
        TMemoryStream stream;
        stream.ChangeSize(c.length);
        EXPECT_EQ(stream.DataLength(), c.length);
        EXPECT_EQ(stream.BlockCapacity(), c.capacity);
        EXPECT_NE(stream.BlockAddr(), nullptr);
        // The whole capacity is usable memory (ASan checks the last byte).
        static_cast<char*>(stream.BlockAddr())[c.capacity - 1] = 'e';
    }
}

TEST(MemoryStreamCapacity, AdjustBlockHandsBackTheRoundedValue) {
    TMemoryStream stream;
    stream.ChangeCapacity(100);
    void* block = stream.BlockAddr();
    std::int32_t asked = 5000;
    EXPECT_EQ(stream.AdjustBlock(asked), block);
    EXPECT_EQ(asked, 8192);
    asked = 0;
    stream.ChangeCapacity(asked);
    EXPECT_EQ(stream.BlockAddr(), nullptr);
    EXPECT_EQ(stream.BlockCapacity(), 0);
}

TEST(MemoryStreamCapacity, GrowingAndShrinkingKeepTheContentThatFits) {
    TMemoryStream stream;
    Fill(stream, "head");
    stream.ChangeSize(50000);
    EXPECT_EQ(Content(stream).substr(0, 4), "head");
    stream.MoveTo(49996, FromStart);
    stream.WriteBytes("tail", 4);
    stream.ChangeSize(8192);
    EXPECT_EQ(stream.BlockCapacity(), 8192);
    EXPECT_EQ(Content(stream).substr(0, 4), "head");
}

TEST(MemoryStreamCapacity, ACapacityBelowTheDataCutsTheDataToTheBlock) {
    TMemoryStream stream;
    stream.ChangeSize(20000);
    stream.ChangeCapacity(100);
    EXPECT_EQ(stream.BlockCapacity(), 8192);
    EXPECT_EQ(stream.DataLength(), 8192);
    EXPECT_EQ(Content(stream).size(), 8192u); // reads stay within the block
}

TEST(MemoryStreamCapacity, ChangeSizeMovesAnOffsetBeyondTheNewEndToIt) {
    TMemoryStream stream;
    Fill(stream, "0123456789");
    stream.MoveTo(8, FromStart);
    stream.ChangeSize(5);
    EXPECT_EQ(stream.CurrentOffset(), 5);
    stream.MoveTo(2, FromStart);
    stream.ChangeSize(3);
    EXPECT_EQ(stream.CurrentOffset(), 2);
    stream.MoveTo(-4, FromStart);
    stream.ChangeSize(7);
    EXPECT_EQ(stream.CurrentOffset(), -4);
    EXPECT_EQ(Content(stream).substr(0, 3), "012");
}

TEST(MemoryStreamCapacity, ChangeSizeToZeroReleasesTheBlock) {
    TMemoryStream stream;
    Fill(stream, "abc");
    stream.MoveTo(2, FromStart);
    stream.ChangeSize(0);
    EXPECT_EQ(Take(stream), (Snapshot{nullptr, 0, 0, 0, ""}));
}

TEST(MemoryStreamCapacity, NegativeSizeRaisesAndLeavesTheStreamAsItWas) {
    TMemoryStream stream;
    Fill(stream, "abcdef");
    stream.MoveTo(4, FromStart);
    const Snapshot before = Take(stream);
    for (std::int32_t length : {-1, -8192, INT32_MIN}) {
        SCOPED_TRACE(length);
        ExpectRaise<EStreamError>([&] { stream.ChangeSize(length); }, kGrowthMessage, __LINE__);
        EXPECT_EQ(Take(stream), before);
    }
}

TEST(MemoryStreamCapacity, MoreThanTheLargestRoundableCapacityRaisesBeforeAllocating) {
    TMemoryStream stream;
    Fill(stream, "abc");
    const Snapshot before = Take(stream);
    for (std::int32_t capacity : {kMaxBlockCapacity + 1, INT32_MAX}) {
        SCOPED_TRACE(capacity);
        ExpectRaise<EStreamError>([&] { stream.ChangeCapacity(capacity); }, kGrowthMessage,
                                  __LINE__);
        std::int32_t asked = capacity;
        ExpectRaise<EStreamError>([&] { stream.AdjustBlock(asked); }, kGrowthMessage, __LINE__);
        EXPECT_EQ(asked, capacity);
        EXPECT_EQ(Take(stream), before);
    }
}

TEST(MemoryStreamCapacity, DropContentEmptiesTheStream) {
    TMemoryStream stream;
    Fill(stream, String(9000, 'x'));
    stream.MoveTo(7, FromStart);
    stream.DropContent();
    EXPECT_EQ(Take(stream), (Snapshot{nullptr, 0, 0, 0, ""}));
    stream.DropContent();
    EXPECT_EQ(Take(stream), (Snapshot{nullptr, 0, 0, 0, ""}));
}

// A stream that claims `length` bytes but delivers only `delivered` of them.
class ShortSource : public TStream {
  public:
    ShortSource(std::int32_t length, std::int32_t delivered)
        : length_(length), delivered_(delivered) {}
    std::int32_t ReadBytes(void* buffer, std::int32_t count) override {
        const std::int32_t n = count < delivered_ ? count : delivered_;
        std::memset(buffer, 'r', static_cast<std::size_t>(n));
        ++reads;
        return n;
    }
    std::int32_t MoveTo(std::int32_t offset, std::uint16_t origin) override {
        if (origin == FromStart) offset_ = offset;
        if (origin == FromCurrent) offset_ += offset;
        if (origin == FromEnd) offset_ = length_ + offset;
        return offset_;
    }
    int reads = 0;

  private:
    std::int32_t length_, delivered_, offset_ = 0;
};

TEST(MemoryStreamFill, TakesTheWholeSourceFromItsStartWithOneRead) {
    TMemoryStream source;
    Fill(source, "0123456789");
    source.MoveTo(6, FromStart);
    TMemoryStream target;
    target.FillFromStream(source);
    EXPECT_EQ(Take(target), (Snapshot{target.BlockAddr(), 10, 0, 8192, "0123456789"}));
    EXPECT_EQ(source.CurrentOffset(), 10);

    ShortSource full(20, 20);
    target.FillFromStream(full);
    EXPECT_EQ(full.reads, 1);
    EXPECT_EQ(Content(target), String(20, 'r'));
}

TEST(MemoryStreamFill, KeepsTheOffsetUnlessItLiesBeyondTheNewEnd) {
    TMemoryStream source;
    Fill(source, "abcdef");
    TMemoryStream target;
    target.MoveTo(3, FromStart);
    target.FillFromStream(source);
    EXPECT_EQ(target.CurrentOffset(), 3);
    target.MoveTo(50, FromStart);
    target.FillFromStream(source);
    EXPECT_EQ(target.CurrentOffset(), 6);
}

TEST(MemoryStreamFill, EmptySourceLeavesNoBlock) {
    TMemoryStream source;
    TMemoryStream target;
    Fill(target, "old");
    target.FillFromStream(source);
    EXPECT_EQ(Take(target), (Snapshot{nullptr, 0, 0, 0, ""}));
}

TEST(MemoryStreamFill, ShortSourceRaisesReadErrorAfterTakingTheLength) {
    ShortSource source(100, 40);
    TMemoryStream target;
    ExpectRaise<EReadError>([&] { target.FillFromStream(source); }, "ｽﾄﾘｰﾑからの読み込みｴﾗｰ",
                            __LINE__);
    EXPECT_EQ(target.DataLength(), 100);
    EXPECT_EQ(target.BlockCapacity(), 8192);
}

TEST(MemoryStreamCopy, WritesTheWholeDataAndLeavesTheSourceOffset) {
    TMemoryStream source;
    Fill(source, "payload");
    source.MoveTo(3, FromStart);
    TMemoryStream target;
    Fill(target, "XY");
    target.MoveTo(1, FromStart);
    source.CopyAllTo(target);
    EXPECT_EQ(Content(target), "Xpayload");
    EXPECT_EQ(source.CurrentOffset(), 3);
}

TEST(MemoryStreamCopy, EmptySourceWritesNothingAndShortTargetRaises) {
    TMemoryStream target;
    target.MoveTo(-1, FromStart);
    TMemoryStream empty;
    empty.CopyAllTo(target); // a write at -1 would fail: there must be none
    TMemoryStream source;
    Fill(source, "abc");
    ExpectRaise<EWriteError>([&] { source.CopyAllTo(target); }, "ｽﾄﾘｰﾑへの書き込みｴﾗｰ", __LINE__);
}

TEST(StreamExactCounts, TotalLengthAndCurrentPosLeaveTheOffset) {
    TMemoryStream stream;
    Fill(stream, "0123456789");
    stream.MoveTo(7, FromStart);
    EXPECT_EQ(stream.TotalLength(), 10);
    EXPECT_EQ(stream.CurrentPos(), 7);
    EXPECT_EQ(stream.CurrentOffset(), 7);
}

TEST(StreamExactCounts, ShortReadOrWriteRaisesZeroCountDoesNothing) {
    TMemoryStream stream;
    Fill(stream, "abc");
    char buffer[8] = {};
    ExpectRaise<EReadError>([&] { stream.ReadFully(buffer, 8); }, "ｽﾄﾘｰﾑからの読み込みｴﾗｰ",
                            __LINE__);
    stream.MoveTo(-5, FromStart);
    stream.ReadFully(buffer, 0);
    stream.WriteFully(buffer, 0);
    ExpectRaise<EWriteError>([&] { stream.WriteFully("x", 1); }, "ｽﾄﾘｰﾑへの書き込みｴﾗｰ", __LINE__);
    stream.MoveTo(0, FromStart);
    stream.ReadFully(buffer, 3);
    EXPECT_EQ(String(buffer, 3), "abc");
    stream.WriteFully("de", 2);
    EXPECT_EQ(Content(stream), "abcde");
}

TEST(StreamAbstract, BaseOperationsRaiseAbstractError) {
    TStream stream;
    char cell = 0;
    ExpectRaise<EAbstractError>([&] { stream.ReadBytes(&cell, 1); }, "Abstract ｴﾗｰ", __LINE__);
    ExpectRaise<EAbstractError>([&] { stream.WriteBytes(&cell, 1); }, "Abstract ｴﾗｰ", __LINE__);
    ExpectRaise<EAbstractError>([&] { stream.MoveTo(0, FromStart); }, "Abstract ｴﾗｰ", __LINE__);
    ExpectRaise<EAbstractError>([&] { stream.CurrentPos(); }, "Abstract ｴﾗｰ", __LINE__);
    ExpectRaise<EAbstractError>([&] { stream.ReadFully(&cell, 1); }, "Abstract ｴﾗｰ", __LINE__);
    stream.ChangeSize(10); // does nothing, raises nothing
}

TEST(StreamAbstract, CustomMemoryStreamReadsAnAttachedBlockButCannotWrite) {
    char block[] = {'h', 'e', 'l', 'l', 'o'};
    TCustomMemoryStream stream;
    stream.AttachBlock(block, 5);
    char buffer[5];
    EXPECT_EQ(stream.ReadBytes(buffer, 5), 5);
    EXPECT_EQ(String(buffer, 5), "hello");
    EXPECT_EQ(stream.TotalLength(), 5);
    stream.MoveTo(0, FromStart);
    ExpectRaise<EAbstractError>([&] { stream.WriteBytes("x", 1); }, "Abstract ｴﾗｰ", __LINE__);
    EXPECT_EQ(String(block, 5), "hello");
}

} // namespace
} // namespace vorn
