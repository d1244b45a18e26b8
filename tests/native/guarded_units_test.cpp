// The run's three guarded units (the font installation, the owners, each
// owner) natively, on fake host units: running out of memory inside one is a
// failure of that unit like any other, and the font installation's message
// is shown once. An allocation that fails is injected as the C++ runtime
// reports it, std::bad_alloc, at a chosen call; on Wine it cannot be had at
// a chosen point.
#include "app/messages.h"
#include "app/run_steps.h"
#include "host/dialogs.h"
#include "host/files.h"
#include "host/registry.h"

#include <gtest/gtest.h>

#include <map>
#include <new>
#include <set>
#include <vector>

namespace vorn {
namespace {

// The machine the fakes show, and what the run did to it.
struct FakeHost {
    std::set<String> failing;         // fake calls that run out of memory
    std::set<String> informFails;     // Inform texts whose dialog cannot be made
    std::vector<String> owners;       // subkeys of the owners key
    std::vector<String> shown;        // Inform texts, in order, also those that failed
    std::map<String, String> written; // key path -> "New Font Name" data
    bool copyWorks = true;
};
FakeHost host;

void MayRunOutOfMemory(const String& call) {
    if (host.failing.count(call)) throw std::bad_alloc();
}

} // namespace

TModalResult AskUser(const String&, DialogKind, DialogButtons, std::int32_t, int, int) {
    MayRunOutOfMemory("AskUser");
    return mrOk;
}
void Inform(const String& message) {
    host.shown.push_back(message);
    if (host.informFails.count(message)) Raise(EWin32Error("Win32 ｴﾗｰ。ｺｰﾄﾞ: 1400."));
}

bool FileIsPresent(const String&) {
    return false;
}
bool RemoveFile(const String&) {
    return true;
}
bool CopyFileOver(const String&, const String&) {
    MayRunOutOfMemory("CopyFileOver");
    return host.copyWorks;
}
String WindowsFolder() {
    return "C:\\windows";
}
bool StartSystemProgram(const String&, const String&) {
    return true;
}

TRegistry::TRegistry() : baseRoot_(nullptr) {}
TRegistry::~TRegistry() = default;
bool TRegistry::OpenExisting(const String& path) {
    const String full = activePath_.empty() ? path : activePath_ + "\\" + path;
    activePath_ = full;
    activeKey_ = this;
    return true;
}
String TRegistry::ReadText(const String&) {
    return "C:\\ICQ\\";
}
bool TRegistry::HasValue(const String&) {
    return false;
}
void TRegistry::ListSubkeys(TStringList& list) {
    MayRunOutOfMemory("ListSubkeys");
    list.Clear();
    for (const String& owner : host.owners)
        list.Add(owner);
}
void TRegistry::WriteText(const String& name, const String& text) {
    MayRunOutOfMemory("WriteText " + activePath_);
    host.written[activePath_ + "\\" + name] = text;
}
void TRegistry::CloseCurrent() {
    activeKey_ = nullptr;
    activePath_.clear();
}

namespace {

const String kOwners = "Software\\Mirabilis\\ICQ\\Owners\\";

class GuardedUnits : public testing::Test {
  protected:
    void SetUp() override { host = FakeHost(); }
};

TEST_F(GuardedUnits, FontInstallationShowsItsMessageOnceWhateverFailed) {
    host.failing = {"CopyFileOver"};
    EXPECT_NO_THROW(InstallBitmapFonts("C:\\windows")) << "running out of memory";
    EXPECT_EQ(host.shown, std::vector<String>{MsgFontCopyFailed});

    host = FakeHost();
    host.copyWorks = false;
    host.informFails = {MsgFontCopyFailed};
    EXPECT_NO_THROW(InstallBitmapFonts("C:\\windows")) << "the copy's own message cannot be shown";
    EXPECT_EQ(host.shown, std::vector<String>{MsgFontCopyFailed});
}

TEST_F(GuardedUnits, OwnersRunningOutOfMemoryCountAsNoAccount) {
    host.owners = {"1", "2"};
    host.failing = {"ListSubkeys"};
    bool allSet = true;
    EXPECT_NO_THROW(allSet = SetArchiveFonts());
    EXPECT_EQ(host.shown, std::vector<String>{MsgNoAccount});
    EXPECT_FALSE(allSet);
    EXPECT_TRUE(host.written.empty());
}

TEST_F(GuardedUnits, OwnerRunningOutOfMemoryFailsAloneAndTheNextOwnerIsSet) {
    host.owners = {"1", "2"};
    host.failing = {"WriteText " + kOwners + "1\\Message Archive"};
    bool allSet = true;
    EXPECT_NO_THROW(allSet = SetArchiveFonts());
    EXPECT_EQ(host.shown, std::vector<String>{MsgArchiveFontNeverSet});
    EXPECT_FALSE(allSet);
    const std::map<String, String> written{
        {kOwners + "2\\Message Archive\\New Font Name", "MS Sans Serij"}};
    EXPECT_EQ(host.written, written);
}

} // namespace
} // namespace vorn
