#pragma once
// How the windows ask the user something: a message box and the save-file dialog. Tests
// put their own answers in place; the program leaves both empty and gets the real ones.
#include <windows.h>

#include <functional>
#include <string>

namespace corelens {

struct UserPrompts {
    std::function<int(HWND owner, const char* text, const char* caption, UINT type)> message_box;
    std::function<int(HWND owner, const std::string& directory, std::string& path)> choose_save_file;
};

// The process's prompts; an empty member means MessageBoxA or choose_save_file.
UserPrompts& user_prompts();

int ask_message_box(HWND owner, const char* text, const char* caption, UINT type);
int ask_save_file(HWND owner, const std::string& directory, std::string& path);

}  // namespace corelens
