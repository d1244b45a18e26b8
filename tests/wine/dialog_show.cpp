// Shows one dialog form and exits with its answer, for screenshots of each form
// and for the robot's own tests:
//
//   dialog_show warning-okcancel|warning-yesno|warning-ok|information|input [TEXT [FILE]]
//
// TEXT replaces the message, or for the input box the default text. The exit
// code is the dialog's result; the information message exits 0 once closed; the
// input box exits 1 when the returned text differs from the default and 2 when
// it is the same, and writes the text to FILE when one is named. A form name
// it does not know exits 64.
#include "host/application.h"
#include "host/dialogs.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) return 64;
    const char* form = argv[1];
    const bool hasText = argc >= 3;
    vorn::CreateApplication(nullptr);

    int code = 64;
    const vorn::String message =
        hasText ? argv[2] : "ICQが起動している場合はただちに終了して下さい";
    if (!std::strcmp(form, "warning-okcancel")) {
        code = vorn::AskUser(message, vorn::DialogKind::Warning, vorn::kButtonsOkCancel, 0);
    } else if (!std::strcmp(form, "warning-yesno")) {
        code = vorn::AskUser(message, vorn::DialogKind::Warning, vorn::kButtonsYesNo, 0);
    } else if (!std::strcmp(form, "warning-ok")) {
        code = vorn::AskUser(message, vorn::DialogKind::Warning, vorn::kButtonsOk, 0);
    } else if (!std::strcmp(form, "information")) {
        vorn::Inform(message);
        code = 0;
    } else if (!std::strcmp(form, "input")) {
        const vorn::String defaultText = hasText ? argv[2] : "Korvel";
        const vorn::String text =
            vorn::PromptForText("ICQ履歴日本語化", "置き換えフォント名を入力", defaultText);
        if (argc >= 4) {
            if (std::FILE* out = std::fopen(argv[3], "wb")) {
                std::fwrite(text.data(), 1, text.size(), out);
                std::fclose(out);
            }
        }
        code = text != defaultText ? 1 : 2;
    }
    vorn::DestroyApplication();
    return code;
}
