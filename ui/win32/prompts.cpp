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

int ask_save_file(HWND owner, const std::string& directory, std::string& path) {
    const UserPrompts& prompts = user_prompts();
    if (prompts.choose_save_file) return prompts.choose_save_file(owner, directory, path);
    return choose_save_file(owner, directory, path);
}

}  // namespace corelens
