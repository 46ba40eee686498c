#pragma once
// The Win32 side of UserDialogs: message boxes, the save-file dialog and the clipboard, each
// owned by one window.
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "ui/view_model.h"

namespace corelens {

class WindowsDialogs final : public UserDialogs {
public:
    // owner may be null: a box of its own, as before any window exists.
    explicit WindowsDialogs(HWND owner) : owner_(owner) {}

    Answer ask(const Message& question, bool cancellable) override;
    void tell(const Message& message) override;
    bool choose_file(const SaveDialogRequest& request, std::string& path) override;
    // CF_TEXT in a zero-filled movable block of k_clipboard_block_size bytes.
    bool put_on_clipboard(const std::string& text) override;

private:
    HWND owner_;
};

constexpr DWORD k_save_dialog_flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                                      OFN_SHOWHELP | OFN_PATHMUSTEXIST;  // 0x81E
constexpr DWORD k_save_dialog_file_capacity = MAX_PATH;

// The request's file types as the dialog takes them: each name and pattern ended by a NUL,
// and one more NUL after the last.
std::string save_dialog_filter(const SaveDialogRequest& request);

// The save-file dialog's record, apart from showing it, so that its fields can be checked.
// filter is save_dialog_filter's; file_buffer holds k_save_dialog_file_capacity bytes. Both
// must outlive the record.
void fill_save_dialog_record(OPENFILENAMEA& record, HWND owner, const SaveDialogRequest& request,
                             const std::string& filter, char* file_buffer);

}  // namespace corelens
