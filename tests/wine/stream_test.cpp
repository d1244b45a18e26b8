// The byte stream over real files in a scratch folder: loading and storing
// whole files with their exact bytes, the capacity a load gives, files that
// cannot be opened or created (missing, held by another process, read-only),
// the file stream's modes, and the movable global block behind the data.
#include "host/file_stream_win32.h"
#include "tests/wine/testkit.h"

namespace vorn {
namespace {

using testkit::ScratchFolder;

String Content(const TMemoryStream& stream) {
    if (stream.DataLength() == 0) return String();
    return String(static_cast<const char*>(stream.BlockAddr()),
                  static_cast<std::size_t>(stream.DataLength()));
}

String Pattern(std::size_t length) {
    String bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>(i * 7 + 1);
    return bytes;
}

class StreamTest : public testing::Test {
  protected:
    ScratchFolder folder;
};

using StreamLoad = StreamTest;

TEST_F(StreamLoad, TakesTheWholeFileWithItsCapacityRoundedUp) {
    struct Case {
        std::size_t length;
        std::int32_t capacity;
    };
    for (const Case c :
         {Case{1, 8192}, Case{8192, 8192}, Case{8193, 16384}, Case{100000, 106496}}) {
        SCOPED_TRACE(c.length);
        const String path = folder.File("data.bin");
        testkit::WriteFileBytes(path, Pattern(c.length));
        TMemoryStream stream;
        stream.LoadWholeFile(path);
        EXPECT_EQ(stream.DataLength(), static_cast<std::int32_t>(c.length));
        EXPECT_EQ(stream.BlockCapacity(), c.capacity);
        EXPECT_EQ(stream.CurrentOffset(), 0);
        EXPECT_EQ(Content(stream), Pattern(c.length));
    }
}

TEST_F(StreamLoad, EmptyFileGivesNoBlockAndReadsNothing) {
    const String path = folder.File("empty.bin");
    testkit::WriteFileBytes(path, "");
    TMemoryStream stream;
    stream.LoadWholeFile(path);
    EXPECT_EQ(stream.BlockAddr(), nullptr);
    EXPECT_EQ(stream.DataLength(), 0);
    EXPECT_EQ(stream.BlockCapacity(), 0);
    char cell = 'x';
    EXPECT_EQ(stream.ReadBytes(&cell, 1), 0);
    EXPECT_EQ(cell, 'x');
}

TEST_F(StreamLoad, ReplacesTheContentAndKeepsAnOffsetThatStillFits) {
    const String path = folder.File("data.bin");
    testkit::WriteFileBytes(path, "0123456789");
    TMemoryStream stream;
    stream.WriteBytes(String(20000, 'o').data(), 20000);
    stream.MoveTo(4, FromStart);
    stream.LoadWholeFile(path);
    EXPECT_EQ(Content(stream), "0123456789");
    EXPECT_EQ(stream.BlockCapacity(), 8192);
    EXPECT_EQ(stream.CurrentOffset(), 4);
    stream.MoveTo(15000, FromStart);
    stream.LoadWholeFile(path);
    EXPECT_EQ(stream.CurrentOffset(), 10);
}

TEST_F(StreamLoad, KeepsNoFileOpenAfterwards) {
    const String path = folder.File("data.bin");
    testkit::WriteFileBytes(path, "abc");
    TMemoryStream stream;
    stream.LoadWholeFile(path);
    EXPECT_TRUE(ScopedHandle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

// Loading `path` must raise EFOpenError naming it and leave `stream` alone.
void ExpectOpenRefused(TMemoryStream& stream, const String& path, int line) {
    SCOPED_TRACE(testing::Message() << "called from line " << line);
    const void* block = stream.BlockAddr();
    const String before = Content(stream);
    const std::int32_t offset = stream.CurrentOffset();
    const std::int32_t capacity = stream.BlockCapacity();
    EXPECT_RAISE(EFOpenError, stream.LoadWholeFile(path), "ﾌｧｲﾙ " + path + " は開けません");
    EXPECT_EQ(stream.BlockAddr(), block);
    EXPECT_EQ(Content(stream), before);
    EXPECT_EQ(stream.CurrentOffset(), offset);
    EXPECT_EQ(stream.BlockCapacity(), capacity);
}

TEST_F(StreamLoad, MissingFileOrFolderIsRefused) {
    TMemoryStream stream;
    stream.WriteBytes("keep", 4);
    ExpectOpenRefused(stream, folder.File("missing.exe"), __LINE__);
    ExpectOpenRefused(stream, folder.File("no folder\\Icq.exe"), __LINE__);
    ExpectOpenRefused(stream, folder.Path(), __LINE__);
}

TEST_F(StreamLoad, FileHeldByAnotherProcessIsRefused) {
    const String path = folder.File("ICQCore.dll");
    testkit::WriteFileBytes(path, "in use");
    TMemoryStream stream;
    {
        testkit::FileHeldElsewhere held(path);
        ASSERT_TRUE(held.Holding());
        ExpectOpenRefused(stream, path, __LINE__);
    }
    stream.LoadWholeFile(path);
    EXPECT_EQ(Content(stream), "in use");
}

TEST_F(StreamLoad, FileOpenWithoutSharingInThisProcessIsRefused) {
    const String path = folder.File("Icq.exe");
    testkit::WriteFileBytes(path, "busy");
    ScopedHandle mine(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(mine);
    TMemoryStream stream;
    ExpectOpenRefused(stream, path, __LINE__);
}

using StreamStore = StreamTest;

TEST_F(StreamStore, WritesExactlyTheDataAndTruncatesALongerFile) {
    const String path = folder.File("VORN.OLD");
    testkit::WriteFileBytes(path, String(30000, 'L'));
    TMemoryStream stream;
    const String data = Pattern(9000);
    stream.WriteBytes(data.data(), 9000);
    stream.MoveTo(17, FromStart);
    stream.StoreToFile(path);
    EXPECT_FILE_BYTES(path, data);
    EXPECT_EQ(stream.CurrentOffset(), 17);
    EXPECT_EQ(stream.DataLength(), 9000);
}

TEST_F(StreamStore, EmptyStreamCreatesAnEmptyFile) {
    const String path = folder.File("empty.bin");
    TMemoryStream stream;
    stream.StoreToFile(path);
    EXPECT_FILE_BYTES(path, "");
}

TEST_F(StreamStore, BackToTheVeryFileJustLoaded) {
    const String path = folder.File("ICQCore.dll");
    testkit::WriteFileBytes(path, "..MS Sans Serif..");
    TMemoryStream stream;
    stream.LoadWholeFile(path);
    stream.StoreToFile(folder.File("VORN.OLD"));
    stream.MoveTo(2, FromStart);
    stream.WriteBytes("MS Sans Serij", 13);
    stream.StoreToFile(path);
    EXPECT_FILE_BYTES(path, "..MS Sans Serij..");
    EXPECT_FILE_BYTES(folder.File("VORN.OLD"), "..MS Sans Serif..");
}

// Storing to `path` must raise EFCreateError naming it and leave the file with
// `bytes` (when it exists).
void ExpectCreateRefused(const String& path, const std::optional<String>& bytes, int line) {
    SCOPED_TRACE(testing::Message() << "called from line " << line);
    TMemoryStream stream;
    stream.WriteBytes("new content", 11);
    EXPECT_RAISE(EFCreateError, stream.StoreToFile(path), "ﾌｧｲﾙ " + path + " を作成できません");
    EXPECT_EQ(testkit::ReadFileBytes(path), bytes);
}

TEST_F(StreamStore, ReadOnlyFileIsRefusedAndKeepsItsBytes) {
    const String path = folder.File("Icq.exe");
    testkit::WriteFileBytes(path, "original");
    testkit::SetReadOnly(path, true);
    ExpectCreateRefused(path, "original", __LINE__);
}

TEST_F(StreamStore, FileHeldByAnotherProcessIsRefusedAndKeepsItsBytes) {
    const String path = folder.File("ICQCore.dll");
    testkit::WriteFileBytes(path, "original");
    testkit::FileHeldElsewhere held(path);
    ASSERT_TRUE(held.Holding());
    ExpectCreateRefused(path, std::nullopt, __LINE__);
}

TEST_F(StreamStore, MissingFolderIsRefused) {
    ExpectCreateRefused(folder.File("no folder\\VORN.OLD"), std::nullopt, __LINE__);
}

using FileStream = StreamTest;

TEST_F(FileStream, MovesAndMeasuresTheFile) {
    const String path = folder.File("data.bin");
    testkit::WriteFileBytes(path, "0123456789");
    TFileStream file(path, kReadAlone);
    EXPECT_EQ(GetFileType(file.Handle()), static_cast<DWORD>(FILE_TYPE_DISK));
    EXPECT_EQ(file.MoveTo(3, FromStart), 3);
    EXPECT_EQ(file.TotalLength(), 10);
    EXPECT_EQ(file.CurrentPos(), 3);
    EXPECT_EQ(file.MoveTo(-2, FromEnd), 8);
    char buffer[4] = {'*', '*', '*', '*'};
    EXPECT_EQ(file.ReadBytes(buffer, 4), 2);
    EXPECT_EQ(String(buffer, 4), "89**");
    EXPECT_EQ(file.MoveTo(-1, FromStart), -1);
    EXPECT_EQ(file.CurrentPos(), 10);
}

TEST_F(FileStream, ExclusiveModeLetsNoOtherOpenIn) {
    const String path = folder.File("data.bin");
    testkit::WriteFileBytes(path, "x");
    TFileStream file(path, kReadAlone);
    EXPECT_RAISE(EFOpenError, TFileStream(path, kReadAlone), "ﾌｧｲﾙ " + path + " は開けません");
    EXPECT_RAISE(EFCreateError, TFileStream(path, kCreateFile),
                 "ﾌｧｲﾙ " + path + " を作成できません");
}

TEST_F(FileStream, SharingBitsLetCompatibleOpensIn) {
    const String path = folder.File("data.bin");
    testkit::WriteFileBytes(path, "abc");
    {
        TFileStream shareRead(path, kReadAccess | kShareReading);
        TFileStream second(path, kReadAccess | kShareReading);
        char cell = 0;
        EXPECT_EQ(second.ReadBytes(&cell, 1), 1);
        EXPECT_RAISE(EFOpenError, TFileStream(path, kReadWriteAccess | kShareReading),
                     "ﾌｧｲﾙ " + path + " は開けません");
    }
    {
        TFileStream denyNone(path, kReadWriteAccess | kShareReadingAndWriting);
        TFileStream second(path, kWriteAccess | kShareReadingAndWriting);
        EXPECT_EQ(second.WriteBytes("Z", 1), 1);
        char buffer[3];
        EXPECT_EQ(denyNone.ReadBytes(buffer, 3), 3);
        EXPECT_EQ(String(buffer, 3), "Zbc");
    }
}

TEST_F(FileStream, AccessBitsDecideWhatTheHandleMayDo) {
    const String path = folder.File("data.bin");
    testkit::WriteFileBytes(path, "abc");
    {
        TFileStream readOnly(path, kReadAlone);
        EXPECT_EQ(readOnly.WriteBytes("x", 1), 0);
        EXPECT_RAISE(EWriteError, readOnly.WriteFully("x", 1), "ｽﾄﾘｰﾑへの書き込みｴﾗｰ");
    }
    {
        TFileStream writeOnly(path, kWriteAccess);
        char cell = 0;
        EXPECT_EQ(writeOnly.ReadBytes(&cell, 1), 0);
        EXPECT_EQ(writeOnly.WriteBytes("W", 1), 1);
    }
    EXPECT_FILE_BYTES(path, "Wbc");
}

TEST_F(FileStream, ReadFullyPastTheEndRaises) {
    const String path = folder.File("data.bin");
    testkit::WriteFileBytes(path, "abc");
    TFileStream file(path, kReadAlone);
    char buffer[8];
    EXPECT_RAISE(EReadError, file.ReadFully(buffer, 8), "ｽﾄﾘｰﾑからの読み込みｴﾗｰ");
}

TEST_F(FileStream, ChangeSizeCutsOrExtendsTheFile) {
    const String path = folder.File("data.bin");
    testkit::WriteFileBytes(path, "0123456789");
    {
        TFileStream file(path, kReadWriteAccess);
        file.ChangeSize(4);
        EXPECT_EQ(file.TotalLength(), 4);
        file.ChangeSize(6);
        EXPECT_EQ(file.TotalLength(), 6);
    }
    const auto bytes = testkit::ReadFileBytes(path);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 6u);
    EXPECT_EQ(bytes->substr(0, 4), "0123");
}

TEST_F(FileStream, ChangeSizeOnAReadHandleRaisesWin32Error) {
    const String path = folder.File("data.bin");
    testkit::WriteFileBytes(path, "0123456789");
    {
        TFileStream file(path, kReadAlone);
        try {
            file.ChangeSize(4);
            ADD_FAILURE() << "nothing was raised";
        } catch (const EWin32Error& e) {
            // "Win32 ｴﾗｰ。ｺｰﾄﾞ: <code>.\n<system text>"; the code is the platform's.
            const String head = "Win32 ｴﾗｰ。ｺｰﾄﾞ: ";
            const String& message = e.Message();
            const auto dot = message.find(".\n", head.size());
            ASSERT_EQ(message.rfind(head, 0), 0u) << testkit::Printable(message);
            ASSERT_NE(dot, String::npos) << testkit::Printable(message);
            const String code = message.substr(head.size(), dot - head.size());
            EXPECT_FALSE(code.empty());
            EXPECT_EQ(code.find_first_not_of("0123456789"), String::npos) << code;
            EXPECT_NE(code, "0");
            EXPECT_GT(message.size(), dot + 2) << "no system text";
        }
    }
    EXPECT_FILE_BYTES(path, "0123456789");
}

TEST_F(FileStream, NegativeSizeIsRefusedAndLeavesTheFileAsItWas) {
    const String path = folder.File("data.bin");
    testkit::WriteFileBytes(path, "0123456789");
    {
        TFileStream file(path, kReadWriteAccess);
        file.MoveTo(3, FromStart);
        try {
            file.ChangeSize(-1);
            ADD_FAILURE() << "nothing was raised";
        } catch (const EWin32Error& e) {
            const String head = "Win32 ｴﾗｰ。ｺｰﾄﾞ: 131.\n"; // ERROR_NEGATIVE_SEEK
            EXPECT_EQ(e.Message().rfind(head, 0), 0u) << testkit::Printable(e.Message());
        }
        EXPECT_EQ(file.CurrentPos(), 3);
    }
    EXPECT_FILE_BYTES(path, "0123456789");
}

using StreamBlock = StreamTest;

TEST_F(StreamBlock, IsAMovableGlobalBlockLockedOnceThatKeepsItsContentWhenGrown) {
    TMemoryStream stream;
    stream.WriteBytes("head", 4);
    HGLOBAL handle = GlobalHandle(stream.BlockAddr());
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 1u);
    EXPECT_GE(GlobalSize(handle), 8192u);
    stream.ChangeSize(300000);
    handle = GlobalHandle(stream.BlockAddr());
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 1u);
    EXPECT_GE(GlobalSize(handle), 303104u);
    EXPECT_EQ(Content(stream).substr(0, 4), "head");
}

TEST_F(StreamBlock, NoMemoryForTheLargestCapacityLeavesTheStreamAsItWas) {
    TMemoryStream stream;
    stream.WriteBytes("keep me", 7);
    stream.MoveTo(3, FromStart);
    void* block = stream.BlockAddr();
    EXPECT_RAISE(EStreamError, stream.ChangeSize(kMaxBlockCapacity),
                 "ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました");
    EXPECT_EQ(stream.BlockAddr(), block);
    EXPECT_EQ(stream.DataLength(), 7);
    EXPECT_EQ(stream.BlockCapacity(), 8192);
    EXPECT_EQ(stream.CurrentOffset(), 3);
    EXPECT_EQ(Content(stream), "keep me");
    EXPECT_EQ(GlobalFlags(GlobalHandle(block)) & GMEM_LOCKCOUNT, 1u);
}

} // namespace
} // namespace vorn
