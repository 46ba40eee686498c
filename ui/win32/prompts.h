#pragma once
// How the windows ask the user something: a message box and the save-file dialog. Tests
// put their own answers in place; the program leaves both empty and gets the real ones.
#include <windows.h>

#include <functional>
#include <string>

#include "ui/view_model.h"

namespace corelens {

struct UserPrompts {
    std::function<int(HWND owner, const char* text, const char* caption, UINT type)> message_box;
    std::function<int(HWND owner, const std::string& directory, std::string& path)> choose_save_file;
};

// The process's prompts; an empty member means MessageBoxA or choose_save_file.
UserPrompts& user_prompts();

int ask_message_box(HWND owner, const char* text, const char* caption, UINT type);
// A view-model message with its icon; Yes/No when yes_no.
int show_message(HWND owner, const Message& message, bool yes_no = false);
int ask_save_file(HWND owner, const std::string& directory, std::string& path);

}  // namespace corelens
