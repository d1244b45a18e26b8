// The hidden application window on Wine: class, style, place, system menu,
// icon, title and the end of a Windows session. The title rule is also checked
// on copies of this program under other names, run as child processes.
#include "host/application.h"
#include "host/dialogs.h"
#include "host/handles_win32.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <fstream>
#include <iterator>

namespace vorn {
namespace {

int g_endSessions = 0;
void CountEndSession() {
    ++g_endSessions;
}

HWND Window() {
    return static_cast<HWND>(ApplicationWindow());
}

TEST(ApplicationWindow, HiddenPopupOfItsOwnClassAtTheScreenCentre) {
    HWND w = Window();
    ASSERT_TRUE(IsWindow(w));
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    EXPECT_STREQ(name, "TApplication");
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(DWORD(GetWindowLongA(w, GWL_STYLE)),
              DWORD(WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX));
    // Windows adds the raised edge to every captioned window by itself.
    EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
    EXPECT_EQ(GetParent(w), nullptr);
    EXPECT_EQ(GetWindow(w, GW_OWNER), nullptr);
    EXPECT_EQ(GetMenu(w), nullptr);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, GetSystemMetrics(SM_CXSCREEN) / 2);
    EXPECT_EQ(r.top, GetSystemMetrics(SM_CYSCREEN) / 2);
    EXPECT_EQ(r.right - r.left, 0);
    EXPECT_EQ(r.bottom - r.top, 0);
}

TEST(ApplicationWindow, SystemMenuLosesMaximiseSizeAndMove) {
    HMENU menu = GetSystemMenu(Window(), FALSE);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND), UINT(-1));
    EXPECT_EQ(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND), UINT(-1));
    EXPECT_EQ(GetMenuState(menu, SC_MOVE, MF_BYCOMMAND), UINT(-1)) << "Wine reports version 4+";
    EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), UINT(-1));
    EXPECT_NE(GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND), UINT(-1));
}

TEST(ApplicationWindow, TakesTheProgramIcon) {
    const auto big = SendMessageA(Window(), WM_GETICON, ICON_BIG, 0);
    EXPECT_NE(big, 0);
}

TEST(ApplicationWindow, TitleComesFromThisProgramsFileName) {
    EXPECT_EQ(ApplicationTitle(), "application_test");
    char caption[256] = {};
    GetWindowTextA(Window(), caption, sizeof caption);
    EXPECT_STREQ(caption, "application_test");
}

TEST(ApplicationWindow, EndSessionCallsBackOnlyWhenTheSessionReallyEnds) {
    g_endSessions = 0;
    SendMessageA(Window(), WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(g_endSessions, 0) << "a cancelled shutdown";
    SendMessageA(Window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(g_endSessions, 1);
}

void CALLBACK EndSessionThenClose(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    // Posted, so that it must come through the dialog's own loop.
    PostMessageA(Window(), WM_ENDSESSION, TRUE, 0);
    PostMessageA(GetActiveWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
}

TEST(ApplicationWindow, EndSessionArrivesWhileADialogWaits) {
    g_endSessions = 0;
    SetTimer(nullptr, 0, 50, EndSessionThenClose);
    EXPECT_EQ(AskUser("?", DialogKind::Warning, kButtonsOkCancel, 0), mrCancel);
    EXPECT_EQ(g_endSessions, 1);
}

TEST(ApplicationWindow, DestroyedAndCreatedAgain) {
    HWND old = Window();
    DestroyApplication();
    EXPECT_EQ(ApplicationWindow(), nullptr);
    EXPECT_EQ(DefaultFont(), nullptr);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(ApplicationTitle(), "");
    CreateApplication(CountEndSession);
    EXPECT_TRUE(IsWindow(Window())) << "the class registered before is used again";
    EXPECT_NE(DefaultFont(), nullptr);
    EXPECT_EQ(ApplicationTitle(), "application_test");
}

// ---- copies of this program under other names

String ThisProgram() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

String ReadFile(const String& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Copies this program to `folder`\`name`, runs it to print its title, and
// removes everything again.
String TitleOfCopy(const String& folderName, const String& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const String folder = String(temp) + folderName;
    const String program = folder + "\\" + name;
    const String output = String(temp) + "vorn_title_output.txt";
    CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_TRUE(CopyFileA(ThisProgram().c_str(), program.c_str(), FALSE)) << GetLastError();
    DeleteFileA(output.c_str());

    String commandLine = "\"" + program + "\" --write-title \"" + output + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    String title = "(not run)";
    if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &process)) {
        ScopedProcess owned(process);
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
        DWORD code = 99;
        GetExitCodeProcess(process.hProcess, &code);
        EXPECT_EQ(code, 0u);
        title = ReadFile(output);
    } else {
        ADD_FAILURE() << "cannot start " << program << ": " << GetLastError();
    }
    DeleteFileA(output.c_str());
    EXPECT_TRUE(DeleteFileA(program.c_str()));
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
    return title;
}

TEST(ProgramTitle, CopiesOfThisProgramTakeTheirOwnNames) {
    // 表 and ソ end in the byte of a backslash; ア in the byte of an "A".
    EXPECT_EQ(TitleOfCopy("vorn_表ソ", "VORN.EXE"), "Vorn");
    EXPECT_EQ(TitleOfCopy("vorn_表", "ソフト.EXE"), "ソフト");
    EXPECT_EQ(TitleOfCopy("vorn_ソ", "ABアC.EXE"), "Abアc");
    EXPECT_EQ(TitleOfCopy("vorn_title", "VORN.OLD.EXE"), "Vorn");
}

} // namespace
} // namespace vorn

int main(int argc, char** argv) {
    // Child mode of ProgramTitle: report the title this copy's window carries.
    if (argc == 3 && !std::strcmp(argv[1], "--write-title")) {
        vorn::CreateApplication(nullptr);
        std::ofstream(argv[2], std::ios::binary) << vorn::ApplicationTitle();
        vorn::DestroyApplication();
        return 0;
    }
    testing::InitGoogleTest(&argc, argv);
    vorn::CreateApplication(vorn::CountEndSession);
    const int failed = RUN_ALL_TESTS();
    vorn::DestroyApplication();
    return failed;
}
