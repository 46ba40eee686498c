#include "ui/win32/prompts.h"

#include "report/result_output.h"

namespace corelens {

UserPrompts& user_prompts() {
    static UserPrompts prompts;
    return prompts;
}

int ask_message_box(HWND owner, const char* text, const char* caption, UINT type) {
    const UserPrompts& prompts = user_prompts();
    if (prompts.message_box) return prompts.message_box(owner, text, caption, type);
    return MessageBoxA(owner, text, caption, type);
}

int show_message(HWND owner, const Message& message, bool yes_no) {
    UINT type = yes_no ? MB_YESNO : MB_OK;
    if (message.icon == MessageIcon::warning) type |= MB_ICONWARNING;
    if (message.icon == MessageIcon::information) type |= MB_ICONINFORMATION;
    return ask_message_box(owner, message.text, message.caption, type);
}

int ask_save_file(HWND owner, const std::string& directory, std::string& path) {
    const UserPrompts& prompts = user_prompts();
    if (prompts.choose_save_file) return prompts.choose_save_file(owner, directory, path);
    return choose_save_file(owner, directory, path);
}

}  // namespace corelens
