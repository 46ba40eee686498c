#include <windows.h>
#include <commdlg.h>

#include <cstddef>
#include <cstring>

#include "platform/platform.h"
#include "platform/win32/save_dialog.h"

namespace corelens::platform {

namespace {

// A movable global block: freed on scope exit unless it was handed to the clipboard.
class GlobalBlock {
public:
    explicit GlobalBlock(SIZE_T size) : block_(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size)) {}
    ~GlobalBlock() {
        if (block_ != nullptr) GlobalFree(block_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

    HGLOBAL get() const { return block_; }
    void release() { block_ = nullptr; }

private:
    HGLOBAL block_;
};

// Closes the clipboard on scope exit when it was opened.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != 0) {}
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;

    bool is_open() const { return open_; }

private:
    bool open_;
};

bool fill_block(HGLOBAL block, const std::string& text) {
    void* memory = GlobalLock(block);
    if (memory == nullptr) return false;
    std::memcpy(memory, text.data(), text.size());  // the zero fill supplies the NUL
    GlobalUnlock(block);
    return true;
}

}  // namespace

char save_dialog_file_title[k_save_dialog_title_capacity];

// The short form of the record, as systems before Windows 2000 know it: up to and
// including lpTemplateName.
constexpr DWORD k_short_record_size = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
static_assert(sizeof(void*) != 4 || k_short_record_size == 76,
              "the short save-dialog record is 76 bytes on 32-bit Windows");

bool message_box(void* owner, const std::string& text, const std::string& caption,
                 MessageStyle style) {
    UINT flags = MB_OK;
    switch (style) {
    case MessageStyle::ok:
        break;
    case MessageStyle::warning:
        flags = MB_ICONWARNING;
        break;
    case MessageStyle::information:
        flags = MB_ICONINFORMATION;
        break;
    case MessageStyle::yes_no:
        flags = MB_YESNO;
        break;
    }
    const int answer = MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), flags);
    return answer == IDOK || answer == IDYES;
}

bool copy_text_to_clipboard(void* owner, const std::string& text, std::size_t block_size) {
    if (text.size() >= block_size) return false;  // no room for the NUL: refused, not cut
    GlobalBlock block(block_size);
    if (block.get() == nullptr || !fill_block(block.get(), text)) return false;
    OpenedClipboard clipboard(static_cast<HWND>(owner));
    if (!clipboard.is_open() || !EmptyClipboard()) return false;
    if (SetClipboardData(CF_TEXT, block.get()) == nullptr) return false;
    block.release();  // the clipboard owns it now
    return true;
}

void fill_save_dialog_record(OPENFILENAMEA& record, const SaveDialogRequest& request,
                             const std::string& filter_list, char* file_buffer) {
    record = OPENFILENAMEA{};
    record.lStructSize = k_short_record_size;
    const HWND owner = static_cast<HWND>(request.owner);
    record.hwndOwner = owner;
    record.hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    record.lpstrFilter = filter_list.c_str();
    record.nFilterIndex = request.filter_index;
    record.lpstrFile = file_buffer;
    record.nMaxFile = k_save_dialog_file_capacity;
    save_dialog_file_title[0] = '\0';
    record.lpstrFileTitle = save_dialog_file_title;
    record.nMaxFileTitle = k_save_dialog_title_capacity;
    record.lpstrInitialDir = request.initial_directory.c_str();
    record.lpstrTitle = request.title.c_str();
    record.Flags = k_save_dialog_flags;
    record.lpstrDefExt = request.default_extension.c_str();
}

bool show_save_dialog(const SaveDialogRequest& request, std::string& path) {
    if (path.size() >= k_save_dialog_file_capacity) return false;
    char file[k_save_dialog_file_capacity] = {};
    std::memcpy(file, path.data(), path.size());
    std::string filter_list = request.filter;
    filter_list += '\0';  // ends the list
    OPENFILENAMEA record;
    fill_save_dialog_record(record, request, filter_list, file);
    if (!GetSaveFileNameA(&record)) return false;
    file[k_save_dialog_file_capacity - 1] = '\0';
    path = file;
    return true;
}

}  // namespace corelens::platform
