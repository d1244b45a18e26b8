// The dialogs on Wine's Win32, driven as the UI robot drives them: the result
// of every way of closing each form, the focus and default frame, the input
// box's field, modality and the failures of window creation.
#include "host/application.h"
#include "host/dialogs_testing_win32.h"
#include "host/win32_error.h"
#include "tests/wine/dialog_driver.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace vorn {
namespace {

using namespace dialog_driver;

TModalResult Ask(DialogButtons buttons, std::vector<Step> steps) {
    Driver driver(std::move(steps));
    const TModalResult result = AskUser(kMessage, DialogKind::Warning, buttons, 0);
    driver.ExpectCompleted();
    return result;
}

struct Closing {
    const char* how;
    std::vector<Step> steps;
    TModalResult expected;
};

void ExpectClosings(DialogButtons buttons, const std::vector<Closing>& closings) {
    for (const Closing& c : closings) {
        SCOPED_TRACE(c.how);
        EXPECT_EQ(Ask(buttons, c.steps), c.expected);
    }
}

TEST(Closing, WarningOkCancel) {
    ExpectClosings(kButtonsOkCancel,
                   {
                       {"first button", {Click(kOk)}, mrOk},
                       {"second button", {Click(kCancel)}, mrCancel},
                       {"Enter, focus untouched", {Key(VK_RETURN)}, mrOk},
                       {"Escape", {Key(VK_ESCAPE)}, mrCancel},
                       {"no access keys", {Type("oc"), AltKey('O'), Key(VK_ESCAPE)}, mrCancel},
                       {"close box", {CloseBox()}, mrCancel},
                       {"Alt+F4", {AltKey(VK_F4)}, mrCancel},
                       {"quit request", {Quit()}, mrCancel},
                       {"Space on the focused button", {Key(VK_SPACE)}, mrOk},
                   });
}

TEST(Closing, WarningYesNo) {
    ExpectClosings(kButtonsYesNo, {
                                      {"first button", {Click(kYes)}, mrYes},
                                      {"second button", {Click(kNo)}, mrNo},
                                      {"Enter, focus untouched", {Key(VK_RETURN)}, mrYes},
                                      {"Escape", {Key(VK_ESCAPE)}, mrNo},
                                      {"access key y", {Type("y")}, mrYes},
                                      {"access key n", {Type("n")}, mrNo},
                                      {"access key N with Shift", {Held(VK_SHIFT, 'N')}, mrNo},
                                      {"Alt+Y", {AltKey('Y')}, mrYes},
                                      {"Alt+N", {AltKey('N')}, mrNo},
                                      {"other letters do nothing", {Type("q"), Click(kNo)}, mrNo},
                                      {"close box", {CloseBox()}, mrCancel},
                                      {"Alt+F4", {AltKey(VK_F4)}, mrCancel},
                                      {"quit request", {Quit()}, mrCancel},
                                  });
}

TEST(Closing, DoubleByteCharacterOnAButtonPressesNothing) {
    // ハ is 83 6E and ズ 83 59: their trail bytes read as 'n' and 'Y'.
    EXPECT_EQ(Ask(kButtonsYesNo, {Chars("ハ"), Chars("ズ"), Type("y")}), mrYes);
    EXPECT_EQ(Ask(kButtonsYesNo, {Chars("ズ"), Chars("ハ"), Type("n")}), mrNo);
    EXPECT_EQ(Ask(kButtonsYesNo, {Key(VK_TAB), Chars("ズハ"), Type("y")}), mrYes) << "on No too";
}

TEST(Closing, WarningOkAloneAnswersOkAlsoToEscape) {
    ExpectClosings(kButtonsOk, {
                                   {"the button", {Click(kOk)}, mrOk},
                                   {"Enter, focus untouched", {Key(VK_RETURN)}, mrOk},
                                   {"Escape", {Key(VK_ESCAPE)}, mrOk},
                                   {"no access key", {Type("o"), Key(VK_RETURN)}, mrOk},
                                   {"close box", {CloseBox()}, mrCancel},
                                   {"Alt+F4", {AltKey(VK_F4)}, mrCancel},
                                   {"quit request", {Quit()}, mrCancel},
                               });
}

TEST(Closing, InformationClosesEveryWay) {
    const std::vector<std::pair<const char*, std::vector<Step>>> ways = {
        {"the button", {Click(kOk)}}, {"Enter", {Key(VK_RETURN)}}, {"Escape", {Key(VK_ESCAPE)}},
        {"close box", {CloseBox()}},  {"Alt+F4", {AltKey(VK_F4)}}, {"quit request", {Quit()}},
        {"Space", {Key(VK_SPACE)}},
    };
    for (const auto& [how, steps] : ways) {
        SCOPED_TRACE(how);
        Driver driver(steps);
        Inform("変更を有効にするにはWindowsを再起動して下さい");
        driver.ExpectCompleted();
    }
}

TEST(Closing, FocusMovedByKeysDecidesWhatEnterPresses) {
    ExpectClosings(
        kButtonsOkCancel,
        {
            {"Tab", {Key(VK_TAB), Key(VK_RETURN)}, mrCancel},
            {"Tab twice wraps around", {Key(VK_TAB), Key(VK_TAB), Key(VK_RETURN)}, mrOk},
            {"Shift+Tab wraps backwards", {Held(VK_SHIFT, VK_TAB), Key(VK_RETURN)}, mrCancel},
            {"Right arrow", {Key(VK_RIGHT), Key(VK_RETURN)}, mrCancel},
            {"Down arrow", {Key(VK_DOWN), Key(VK_RETURN)}, mrCancel},
            {"Left arrow wraps", {Key(VK_LEFT), Key(VK_RETURN)}, mrCancel},
            {"Up arrow twice", {Key(VK_UP), Key(VK_UP), Key(VK_RETURN)}, mrOk},
            {"Space on the moved focus", {Key(VK_TAB), Key(VK_SPACE)}, mrCancel},
        });
    ExpectClosings(kButtonsYesNo, {{"Right arrow", {Key(VK_RIGHT), Key(VK_RETURN)}, mrNo},
                                   {"Escape after moving", {Key(VK_RIGHT), Key(VK_ESCAPE)}, mrNo},
                                   {"Tab to No, Escape", {Key(VK_TAB), Key(VK_ESCAPE)}, mrNo}});
}

TEST(Closing, EnterAndEscapeWithAModifierDoNothing) {
    ExpectClosings(kButtonsOkCancel,
                   {
                       {"Shift+Enter", {Held(VK_SHIFT, VK_RETURN), Click(kCancel)}, mrCancel},
                       {"Ctrl+Enter", {Held(VK_CONTROL, VK_RETURN), Click(kCancel)}, mrCancel},
                       {"Shift+Escape", {Held(VK_SHIFT, VK_ESCAPE), Click(kOk)}, mrOk},
                   });
}

TEST(Closing, DefaultFrameFollowsTheFocusedButton) {
    std::vector<bool> framed; // OK, Cancel after each step
    const auto record = [&](HWND d) {
        framed.push_back(HasDefaultFrame(ButtonCaptioned(d, kOk)));
        framed.push_back(HasDefaultFrame(ButtonCaptioned(d, kCancel)));
    };
    EXPECT_EQ(
        Ask(kButtonsOkCancel, {record, Key(VK_TAB), record, Key(VK_TAB), record, Click(kCancel)}),
        mrCancel);
    EXPECT_EQ(framed, (std::vector<bool>{true, false, false, true, true, false}));
}

TEST(Closing, HelpButtonKeepsTheDialogOpen) {
    Driver driver({Click("ﾍﾙﾌﾟ(&H)"), AltKey('H'), Click(kOk)});
    EXPECT_EQ(AskUser("?", DialogKind::Confirmation, kButtonsOk | ButtonSet(dbHelp), 0), mrOk);
    driver.ExpectCompleted();
}

// ---- the input box

String Prompt(std::vector<Step> steps, const String& defaultText = kDefault) {
    Driver driver(std::move(steps));
    String text = PromptForText("ICQ履歴日本語化", "置き換えフォント名を入力", defaultText);
    driver.ExpectCompleted();
    return text;
}

TEST(InputBox, ClosingTable) {
    const struct {
        const char* how;
        std::vector<Step> steps;
        String expected;
    } closings[] = {
        {"OK", {Type("ab"), Click(kOk)}, "ab"},
        {"Cancel", {Type("ab"), Click(kCancel)}, kDefault},
        {"Enter, focus untouched", {Type("ab"), Key(VK_RETURN)}, "ab"},
        {"Escape", {Type("ab"), Key(VK_ESCAPE)}, kDefault},
        {"close box", {Type("ab"), CloseBox()}, kDefault},
        {"Alt+F4", {Type("ab"), AltKey(VK_F4)}, kDefault},
        {"quit request", {Type("ab"), Quit()}, kDefault},
        {"typed letters go to the field", {Type("ok"), AltKey('O'), Key(VK_RETURN)}, "ok"},
        {"Tab to OK, Enter", {Type("ab"), Key(VK_TAB), Key(VK_RETURN)}, "ab"},
        {"Tab to OK, Space", {Type("ab"), Key(VK_TAB), Key(VK_SPACE)}, "ab"},
        {"Tab twice to Cancel, Enter",
         {Type("ab"), Key(VK_TAB), Key(VK_TAB), Key(VK_RETURN)},
         kDefault},
        {"Shift+Tab to Cancel, Enter",
         {Type("ab"), Held(VK_SHIFT, VK_TAB), Key(VK_RETURN)},
         kDefault},
        {"emptied field", {Key(VK_DELETE), Click(kOk)}, ""},
        {"no trimming", {Type(" a b "), Key(VK_RETURN)}, " a b "},
    };
    for (const auto& c : closings) {
        SCOPED_TRACE(c.how);
        EXPECT_EQ(Prompt(c.steps), c.expected);
    }
}

TEST(InputBox, QueryTextChangesTheValueOnlyForOk) {
    String value = "Korvel";
    {
        Driver driver({Key(VK_RETURN)});
        EXPECT_TRUE(QueryText("c", "p", value));
        driver.ExpectCompleted();
    }
    EXPECT_EQ(value, "Korvel");
    {
        Driver driver({Type("x"), Key(VK_ESCAPE)});
        EXPECT_FALSE(QueryText("c", "p", value));
        driver.ExpectCompleted();
    }
    EXPECT_EQ(value, "Korvel");
}

TEST(InputBox, LongDefaultStaysWholeButTypingStopsAt255) {
    const String longDefault(300, 'k');
    String shown;
    const auto read = [&](HWND d) { shown = TextOf(ChildrenOf(d, "Edit").at(0)); };
    EXPECT_EQ(Prompt({read, Key(VK_END), Type("x"), Key(VK_RETURN)}, longDefault), longDefault);
    EXPECT_EQ(shown, longDefault);
    EXPECT_EQ(Prompt({Type("x"), Key(VK_RETURN)}, longDefault), "x") << "a selection is replaced";
}

TEST(InputBox, FieldSelectsItsTextWhenReachedByKeyNotByClick) {
    std::vector<DWORD> selections; // start and end after each reading
    const auto readSelection = [&](HWND d) {
        DWORD start = 0, end = 0;
        SendMessageA(ChildrenOf(d, "Edit").at(0), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        selections.insert(selections.end(), {start, end});
    };
    const auto clickIntoField = [](HWND d) {
        HWND edit = ChildrenOf(d, "Edit").at(0);
        const LPARAM at = MAKELPARAM(2, 4);
        PostMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(edit, WM_LBUTTONUP, 0, at);
    };
    Prompt({readSelection, Key(VK_END), readSelection, Key(VK_TAB), Key(VK_TAB), Key(VK_TAB),
            readSelection, Key(VK_TAB), clickIntoField, readSelection, Click(kCancel)});
    ASSERT_EQ(selections.size(), 8u);
    EXPECT_EQ(selections[0], 0u) << "selected initially";
    EXPECT_EQ(selections[1], 6u);
    EXPECT_EQ(selections[2], selections[3]) << "End leaves no selection";
    EXPECT_EQ(selections[4], 0u) << "selected again after Tab around";
    EXPECT_EQ(selections[5], 6u);
    EXPECT_EQ(selections[6], selections[7]) << "a click places the caret";
    EXPECT_LT(selections[7], 6u);
}

// ---- modality

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcA(h, m, w, l);
}

HWND MakeTopLevel(const char* title) {
    static const ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "DialogsTestWindow";
        return RegisterClassA(&wc);
    }();
    EXPECT_NE(atom, 0);
    return CreateWindowExA(0, "DialogsTestWindow", title, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST(Modality, OtherWindowsAreDisabledWhileOpenAndActiveAgainAfter) {
    HWND active = MakeTopLevel("active"), alreadyDisabled = MakeTopLevel("disabled");
    ASSERT_TRUE(active && alreadyDisabled);
    ShowWindow(active, SW_SHOW);
    ShowWindow(alreadyDisabled, SW_SHOW);
    EnableWindow(alreadyDisabled, FALSE);
    SetActiveWindow(active);
    ASSERT_EQ(GetActiveWindow(), active);

    bool activeEnabled = true, appEnabled = true, dialogEnabled = false, dialogActive = false;
    Driver driver({[&](HWND d) {
                       activeEnabled = IsWindowEnabled(active);
                       appEnabled = IsWindowEnabled(static_cast<HWND>(ApplicationWindow()));
                       dialogEnabled = IsWindowEnabled(d);
                       dialogActive = GetActiveWindow() == d;
                   },
                   Key(VK_RETURN)});
    EXPECT_EQ(AskUser(kMessage, DialogKind::Warning, kButtonsOkCancel, 0), mrOk);
    driver.ExpectCompleted();
    EXPECT_FALSE(activeEnabled);
    EXPECT_FALSE(appEnabled) << "the hidden application window is a top-level window too";
    EXPECT_TRUE(dialogEnabled);
    EXPECT_TRUE(dialogActive);

    EXPECT_TRUE(IsWindowEnabled(active));
    EXPECT_TRUE(IsWindowEnabled(static_cast<HWND>(ApplicationWindow())));
    EXPECT_FALSE(IsWindowEnabled(alreadyDisabled)) << "a window disabled before stays so";
    EXPECT_EQ(GetActiveWindow(), active);
    EXPECT_EQ(DialogWindowsLeft(), 0) << "the dialog is destroyed";
    DestroyWindow(active);
    DestroyWindow(alreadyDisabled);
}

TEST(Modality, QuitMessageIsUsedUp) {
    EXPECT_EQ(Ask(kButtonsYesNo, {Quit()}), mrCancel);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST(Modality, NoDialogOutlivesItsCall) {
    EXPECT_EQ(Ask(kButtonsOkCancel, {Key(VK_ESCAPE)}), mrCancel);
    EXPECT_EQ(Prompt({Key(VK_ESCAPE)}), kDefault);
    EXPECT_EQ(DialogWindowsLeft(), 0);
}

TEST(Modality, BuildMessageFormGivesAHiddenFormUntilShown) {
    DialogFormPtr form = BuildMessageForm(kMessage, DialogKind::Warning, kButtonsOkCancel);
    HWND hwnd = FormWindow(*form);
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(ButtonCaptions(hwnd), (std::vector<String>{kOk, kCancel}));
    {
        Driver driver({Key(VK_ESCAPE)});
        EXPECT_EQ(ShowModal(*form), mrCancel);
        driver.ExpectCompleted();
    }
    EXPECT_FALSE(IsWindowVisible(hwnd)) << "hidden again, not yet destroyed";
    EXPECT_TRUE(IsWindow(hwnd));
    form.reset();
    EXPECT_FALSE(IsWindow(hwnd));
}

// ---- failures

const char* g_refusedClass = nullptr;

LRESULT CALLBACK RefuseCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        if (!IS_INTRESOURCE(create->lpszClass) && !lstrcmpiA(create->lpszClass, g_refusedClass))
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs `call` while windows of `className` cannot be created.
template <class Call> void ExpectWin32Error(const char* className, Call call) {
    SCOPED_TRACE(className);
    g_refusedClass = className;
    HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseCreation, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    bool raised = false;
    try {
        call();
    } catch (const EWin32Error& e) {
        raised = true;
        const String& text = e.Message();
        const String coded = "Win32 ｴﾗｰ。ｺｰﾄﾞ: ";
        EXPECT_TRUE(text == "Win32 API 呼び出しに失敗しました" ||
                    (text.compare(0, coded.size(), coded) == 0 && text.find(".\n") != String::npos))
            << text;
        EXPECT_STREQ(e.ClassName(), "EWin32Error");
    }
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(raised);
    EXPECT_EQ(DialogWindowsLeft(), 0) << "the half-built dialog is destroyed";
    EXPECT_TRUE(IsWindowEnabled(static_cast<HWND>(ApplicationWindow())));
}

TEST(Failures, WindowThatCannotBeCreatedRaisesEWin32Error) {
    ExpectWin32Error("BUTTON", [] { AskUser(kMessage, DialogKind::Warning, kButtonsOk, 0); });
    ExpectWin32Error("STATIC", [] { Inform(kMessage); });
    ExpectWin32Error("TMessageForm", [] { AskUser(kMessage, DialogKind::Warning, kButtonsOk, 0); });
    ExpectWin32Error("EDIT", [] { PromptForText("c", "p", "d"); });
    ExpectWin32Error("TForm", [] { PromptForText("c", "p", "d"); });
    // And the dialogs work again afterwards.
    EXPECT_EQ(Ask(kButtonsOk, {Key(VK_RETURN)}), mrOk);
}

String RaisedText() {
    try {
        RaiseLastWin32Error();
    } catch (const EWin32Error& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

TEST(Failures, Win32ErrorTextNamesTheCode) {
    SetLastError(ERROR_ACCESS_DENIED);
    const String text = RaisedText();
    const String start = "Win32 ｴﾗｰ。ｺｰﾄﾞ: 5.\n";
    EXPECT_EQ(text.compare(0, start.size(), start), 0) << text;
    EXPECT_GT(text.size(), start.size()) << "the system's text follows";
    EXPECT_NE(text.back(), '\n') << "no line break of the system's text is kept";
    SetLastError(0);
    EXPECT_EQ(RaisedText(), "Win32 API 呼び出しに失敗しました");
}

} // namespace
} // namespace vorn

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    vorn::CreateApplication(nullptr);
    const int failed = RUN_ALL_TESTS();
    vorn::DestroyApplication();
    return failed;
}
