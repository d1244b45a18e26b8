// The robot against robot_target.exe on the real window system: what it reads
// from each shape of dialog, and whether each answer arrives as a person's would.
#include "tools/robot/robot.h"
#include "tools/robot/text_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <initializer_list>

using namespace vorn::robot;

namespace {

std::string TargetPath() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string self = path;
    return self.substr(0, self.find_last_of('\\') + 1) + "robot_target.exe";
}

std::string Command(const std::vector<std::string>& arguments) {
    std::string line = "\"" + TargetPath() + "\"";
    for (const std::string& argument : arguments)
        line += " \"" + argument + "\"";
    return line;
}

// What one run of the target gave: the dialogs as read when they appeared
// (and again after each answer that left them open), and the exit code.
struct Outcome {
    std::vector<Dialog> dialogs;
    DWORD exitCode = STILL_ACTIVE;
    std::string error; // empty when every step could be taken
};

Outcome Drive(const std::string& commandLine, std::initializer_list<std::string> answers) {
    Outcome outcome;
    try {
        Program program(commandLine, "");
        for (const std::string& answer : answers) {
            WaitResult wait = WaitForDialog(program, 10000);
            if (wait.kind != WaitResult::DialogShown) {
                outcome.error = "no dialog for the answer " + answer;
                program.Kill();
                return outcome;
            }
            outcome.dialogs.push_back(ReadDialog(wait.dialog));
            std::string problem;
            std::optional<Action> action = ParseAction(answer, &problem);
            if (!action) throw RobotError(problem);
            Perform(program, outcome.dialogs.back(), *action);
            if (!WaitUntilClosed(program, wait.dialog, 1500)) Settle(program);
        }
        if (!program.WaitForEnd(10000)) {
            outcome.error = "the target did not end after the answers";
            program.Kill();
        }
        outcome.exitCode = program.ExitCode();
    } catch (const std::exception& error) {
        outcome.error = error.what();
    }
    return outcome;
}

const Control& Focused(const Dialog& dialog) {
    static const Control kNone;
    return dialog.focusIndex >= 0 ? dialog.controls[dialog.focusIndex] : kNone;
}

// The first dialog the program shows, read once it has settled; one without
// a window when none came.
Dialog FirstDialog(const Program& program) {
    WaitResult wait = WaitForDialog(program, 10000);
    return wait.kind == WaitResult::DialogShown ? ReadDialog(wait.dialog) : Dialog{};
}

// Gives the answer and returns the exit code the program then ends with;
// STILL_ACTIVE when it has not ended after 10 s.
DWORD ExitCodeAfter(Program& program, const Dialog& dialog, const std::string& answer) {
    Perform(program, dialog, ParseAction(answer, nullptr).value());
    program.WaitForEnd(10000);
    return program.ExitCode();
}

// Each shape as the robot reads it: shape, window class (a message box's is
// the system's own), caption, text with its line break, buttons left to right
// (the form creates them in another order), and the answer's exit code.
TEST(RobotReads, EachShapesCaptionTextAndButtons) {
    struct Case {
        std::vector<std::string> command;
        std::string answer;
        DialogShape shape;
        const char* className; // null: not checked
        std::string caption, text;
        std::vector<std::string> buttons;
        DWORD exitCode;
    };
    const Case cases[] = {
        {{"messagebox", "16", "Error", "Runtime error 217 at 0040A1B2\nsecond line"},
         "press OK",
         DialogShape::MessageBox,
         nullptr,
         "Error",
         "Runtime error 217 at 0040A1B2\nsecond line",
         {"OK"},
         IDOK},
        {{"form", "警告", "Korvelフォントをインストールします", "はい(&Y)", "いいえ(&N)", "ｷｬﾝｾﾙ"},
         "press いいえ(&N)",
         DialogShape::Form,
         "RobotTargetForm",
         "警告",
         "Korvelフォントをインストールします",
         {"はい(&Y)", "いいえ(&N)", "ｷｬﾝｾﾙ"},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        Outcome run = Drive(Command(c.command), {c.answer});
        ASSERT_EQ(run.error, "");
        ASSERT_EQ(run.dialogs.size(), 1u);
        const Dialog& dialog = run.dialogs[0];
        EXPECT_EQ(dialog.shape, c.shape);
        if (c.className) {
            EXPECT_EQ(dialog.className, c.className);
        }
        EXPECT_EQ(dialog.caption, c.caption);
        EXPECT_EQ(dialog.text, c.text);
        EXPECT_EQ(dialog.buttons, c.buttons);
        EXPECT_EQ(run.exitCode, c.exitCode);
    }
}

TEST(RobotMessageBox, ListsButtonsLeftToRightAndPressesTheSecond) {
    Program program(Command({"messagebox", "1", "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ", "EFOpenErrorがﾓｼﾞｭｰﾙ"}), "");
    Dialog box = FirstDialog(program);
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.caption, "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ");
    EXPECT_EQ(box.text, "EFOpenErrorがﾓｼﾞｭｰﾙ");
    ASSERT_EQ(box.buttons.size(), 2u);
    EXPECT_EQ(box.buttons[0], "OK"); // MB_OKCANCEL: OK on the left
    EXPECT_EQ(ExitCodeAfter(program, box, "press " + box.buttons[1]), static_cast<DWORD>(IDCANCEL));
}

TEST(RobotForm, ControlRectanglesAreInClientCoordinates) {
    Outcome run = Drive(Command({"form", "c", "t", "OK"}), {"press OK"});
    ASSERT_EQ(run.error, "");
    ASSERT_EQ(run.dialogs.size(), 1u);
    const Dialog& form = run.dialogs[0];
    // robot_target places its only button at 20,80 in the client area, 90 × 26.
    const Control* button = nullptr;
    for (const Control& control : form.controls)
        if (control.role == ControlRole::Button) button = &control;
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->rect.left, 20);
    EXPECT_EQ(button->rect.top, 80);
    EXPECT_EQ(button->rect.right - button->rect.left, 90);
    EXPECT_EQ(button->rect.bottom - button->rect.top, 26);
    EXPECT_EQ(form.windowRect.right - form.windowRect.left, 420);
    EXPECT_LT(form.clientRect.right, 420); // the frame takes some of the outer width
}

TEST(RobotForm, PressOfAMissingButtonIsAnError) {
    Outcome run = Drive(Command({"form", "c", "t", "OK"}), {"press Cancel"});
    EXPECT_NE(run.error.find("no button \"Cancel\""), std::string::npos) << run.error;
}

TEST(RobotForm, FocusStartsOnTheFirstButton) {
    Outcome run = Drive(Command({"form", "c", "t", "OK", "ｷｬﾝｾﾙ"}), {"press OK"});
    ASSERT_EQ(run.error, "");
    ASSERT_EQ(run.dialogs.size(), 1u);
    EXPECT_EQ(Focused(run.dialogs[0]).text, "OK");
}

// Each answer given to a form of its own; the exit code tells how it arrived.
TEST(RobotAnswers, EachArrivesAsAPersonsWould) {
    const std::string okCancel = Command({"form", "c", "t", "OK", "ｷｬﾝｾﾙ"});
    const std::string yesNo = Command({"form", "c", "t", "はい(&Y)", "いいえ(&N)"});
    const std::string ok = Command({"form", "c", "t", "OK"});
    const struct {
        const char* what;
        std::string command, answer;
        DWORD exitCode;
    } cases[] = {
        {"enter presses the focused first button", okCancel, "key enter", 1},
        {"escape cancels", okCancel, "key escape", 2},
        {"press finds a caption written without its access mark", yesNo, "press いいえ(N)", 2},
        {"a plain letter reaches the access key", yesNo, "key n", 2},
        {"alt and a letter reach the access key",
         Command({"form", "c", "t", "いいえ(&N)", "はい(&Y)"}), "key alt+y", 2},
        {"close uses the close box", ok, "close", 20},
        {"quit reaches the modal loop", ok, "quit", 30},
        {"endsession goes to the hidden application window", ok, "endsession", 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Outcome run = Drive(c.command, {c.answer});
        EXPECT_EQ(run.error, "");
        EXPECT_EQ(run.exitCode, c.exitCode);
    }
}

TEST(RobotKeys, TabMovesTheFocusThenEnterPressesThatButton) {
    // robot_target makes the buttons from the right, so the tab order (window
    // order) is Third, ｷｬﾝｾﾙ, OK, and a tab from OK wraps round to Third.
    Outcome run = Drive(Command({"form", "c", "t", "OK", "ｷｬﾝｾﾙ", "Third"}),
                        {"key tab", "key tab", "key enter"});
    ASSERT_EQ(run.error, "");
    ASSERT_EQ(run.dialogs.size(), 3u);
    EXPECT_EQ(Focused(run.dialogs[0]).text, "OK");
    EXPECT_EQ(Focused(run.dialogs[1]).text, "Third");
    EXPECT_EQ(Focused(run.dialogs[2]).text, "ｷｬﾝｾﾙ");
    EXPECT_EQ(run.exitCode, 2u);
}

TEST(RobotKeys, EachKeyIsHandledBeforeTheNextIsSent) {
    // The target takes half a second over the Tab. Enter sent before the Tab
    // is handled would go to OK, which still has the focus then.
    Program program(Command({"slow-form", "c", "t", "OK", "ｷｬﾝｾﾙ"}), "");
    Dialog form = FirstDialog(program);
    ASSERT_NE(form.window, nullptr);
    ASSERT_EQ(Focused(form).text, "OK");
    HWND cancel = nullptr;
    for (const Control& control : form.controls)
        if (control.text == "ｷｬﾝｾﾙ") cancel = control.window;
    Perform(program, form, *ParseAction("key tab", nullptr));
    // Read without a sent message, which would itself wait for the target.
    EXPECT_EQ(ThreadFocus(form.threadId), cancel) << "Perform returned before the Tab was handled";
    EXPECT_EQ(ExitCodeAfter(program, form, "key enter"), 2u);
}

TEST(RobotKeys, KeysReachTheDialogsFocusWhileAnotherWindowIsInFront) {
    Program program(Command({"input", "c", "p", "Korvel", "Korvel"}), "");
    Dialog box = FirstDialog(program);
    ASSERT_NE(box.window, nullptr);
    HWND ok = nullptr;
    for (const Control& control : box.controls)
        if (control.text == "OK") ok = control.window;
    // A window of another program comes to the front, as the editor that
    // the run opens does: the dialog's thread is left with no focus.
    HWND other = CreateWindowExA(0, "STATIC", "in front", WS_POPUP | WS_VISIBLE, 0, 0, 80, 40,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    HWND focus = ThreadFocus(box.threadId);
    for (int i = 0; i < 100 && focus; ++i) {
        Sleep(20);
        focus = ThreadFocus(box.threadId);
    }
    EXPECT_EQ(focus, nullptr) << "the case is not set up";
    Perform(program, box, *ParseAction("key tab", nullptr)); // from the edit field to OK
    EXPECT_EQ(ThreadFocus(box.threadId), ok);
    EXPECT_EQ(ExitCodeAfter(program, box, "key enter"), 1u);
    DestroyWindow(other);
}

TEST(RobotSystem, TheHiddenApplicationWindowIsNoDialog) {
    Program program(Command({"form", "c", "t", "OK"}), "");
    WaitResult wait = WaitForDialog(program, 10000);
    ASSERT_EQ(wait.kind, WaitResult::DialogShown);
    EXPECT_EQ(program.DialogWindows().size(), 1u);
    EXPECT_NE(program.ApplicationWindow(), nullptr);
    program.Kill();
}

TEST(RobotInput, ReadsPromptAndFieldAndTypesReplacingTheText) {
    Program program(Command({"input", "ICQ履歴日本語化", "置き換えフォント名を入力", "Korvel",
                             "ＭＳ ゴシック"}),
                    "");
    Dialog box = FirstDialog(program);
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.shape, DialogShape::InputBox);
    EXPECT_EQ(box.caption, "ICQ履歴日本語化");
    EXPECT_EQ(box.prompt, "置き換えフォント名を入力");
    EXPECT_EQ(box.editText, "Korvel");
    EXPECT_EQ(Focused(box).role, ControlRole::Edit);
    TypeIntoEdit(box, "ＭＳ ゴシック");
    EXPECT_EQ(ReadDialog(box.window).editText, "ＭＳ ゴシック");
    EXPECT_EQ(ExitCodeAfter(program, box, "press OK"), 1u); // the target saw exactly the typed text
}

TEST(RobotInput, TypingNothingEmptiesTheField) {
    Program program(Command({"input", "c", "p", "Korvel", ""}), "");
    Dialog box = FirstDialog(program);
    ASSERT_NE(box.window, nullptr);
    TypeIntoEdit(box, "");
    EXPECT_EQ(ExitCodeAfter(program, box, "key enter"), 1u);
}

TEST(RobotScreenshot, WritesA24BitBmpOfTheWholeWindow) {
    Program program(Command({"form", "警告", "text", "OK"}), "");
    Dialog form = FirstDialog(program);
    ASSERT_NE(form.window, nullptr);
    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof folder, folder);
    std::string path = std::string(folder) + "robot_test_shot.bmp";
    SaveScreenshot(form.window, path);
    program.Kill();

    std::string bytes;
    {
        // Closed before the deletion, which Windows refuses on an open file.
        std::ifstream file(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "the shot stays in the folder for temporary files";
    ASSERT_GT(bytes.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    BITMAPFILEHEADER header;
    BITMAPINFOHEADER info;
    std::memcpy(&header, bytes.data(), sizeof header);
    std::memcpy(&info, bytes.data() + sizeof header, sizeof info);
    EXPECT_EQ(header.bfType, 0x4D42);
    EXPECT_EQ(header.bfSize, bytes.size());
    EXPECT_EQ(info.biBitCount, 24);
    EXPECT_EQ(info.biWidth, form.windowRect.right - form.windowRect.left);
    EXPECT_EQ(info.biHeight, form.windowRect.bottom - form.windowRect.top);
    // A drawn window has more than one colour (frame, caption, face, text).
    std::string pixels = bytes.substr(header.bfOffBits);
    bool varied = false;
    for (size_t i = 3; i + 2 < pixels.size() && !varied; i += 3)
        varied = pixels.compare(i, 3, pixels, 0, 3) != 0;
    EXPECT_TRUE(varied);
}

TEST(RobotActions, ParsesKeysWithAlt) {
    std::optional<Action> action = ParseAction("key alt+y", nullptr);
    ASSERT_TRUE(action);
    EXPECT_EQ(action->kind, Action::Kind::Key);
    EXPECT_TRUE(action->alt);
    EXPECT_EQ(action->virtualKey, static_cast<UINT>('Y'));
    action = ParseAction("key f4", nullptr);
    ASSERT_TRUE(action);
    EXPECT_EQ(action->virtualKey, static_cast<UINT>(VK_F4));
    EXPECT_FALSE(action->alt);
}

TEST(RobotActions, RejectsWhatIsNoAnswer) {
    std::string problem;
    for (const char* text :
         {"press", "press ", "key shift+tab", "key f13", "key", "jump", "Close", ""}) {
        problem.clear();
        EXPECT_FALSE(ParseAction(text, &problem)) << text;
        EXPECT_FALSE(problem.empty()) << text;
    }
}

TEST(RobotReport, ShowsTextsInUtf8WithEscapedLineBreaks) {
    Dialog dialog;
    dialog.caption = "警告";
    dialog.text = "一行目\n二行目";
    dialog.buttons = {"OK", "ｷｬﾝｾﾙ"};
    std::string report = FormatReport(dialog, 4);
    EXPECT_NE(report.find("dialog 4\n"), std::string::npos);
    EXPECT_NE(report.find("caption: " + Quoted(Cp932ToUtf8("警告"))), std::string::npos);
    EXPECT_NE(report.find("text: " + Quoted(Cp932ToUtf8("一行目")).substr(0, 10)),
              std::string::npos);
    EXPECT_NE(report.find("\\n"), std::string::npos);
    EXPECT_EQ(report.find("一行目"), std::string::npos); // no code page 932 bytes leak through
}

TEST(RobotCodec, RoundTripsAndRefusesWhatCp932CannotHold) {
    std::string utf8 = "\xE8\xAD\xA6\xE5\x91\x8A \xEF\xBD\xB1"; // 警告 ｱ
    EXPECT_EQ(Utf8ToCp932(utf8), "警告 ｱ");
    EXPECT_EQ(Cp932ToUtf8(Utf8ToCp932(utf8)), utf8);
    EXPECT_THROW(Utf8ToCp932("\xF0\x9F\x98\x80"), CodecError); // an emoji
    EXPECT_THROW(Utf8ToCp932("\xC3"), CodecError);             // cut-off UTF-8
}

} // namespace
