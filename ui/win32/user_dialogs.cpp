#include "ui/win32/user_dialogs.h"

#include <cstddef>
#include <cstring>

namespace corelens {

namespace {

constexpr DWORD k_save_dialog_title_capacity = 256;

// The short form of the record, as systems before Windows 2000 know it: up to and
// including lpTemplateName.
constexpr DWORD k_short_record_size = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
static_assert(sizeof(void*) != 4 || k_short_record_size == 76,
              "the short save-dialog record is 76 bytes on 32-bit Windows");

// The process-wide file-title buffer, emptied before every dialog.
char save_dialog_file_title[k_save_dialog_title_capacity];

int show_message(HWND owner, const Message& message, UINT buttons) {
    UINT type = buttons;
    if (message.icon == MessageIcon::warning) type |= MB_ICONWARNING;
    if (message.icon == MessageIcon::information) type |= MB_ICONINFORMATION;
    return MessageBoxA(owner, message.text, message.caption, type);
}

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

Answer WindowsDialogs::ask(const Message& question, bool cancellable) {
    // MB_YESNOCANCEL is MB_YESNO less one; the box answers IDYES 6, IDNO 7, IDCANCEL 2.
    const int answer = show_message(owner_, question, MB_YESNO - (cancellable ? 1 : 0));
    return answer == IDYES ? Answer::yes : answer == IDNO ? Answer::no : Answer::cancel;
}

void WindowsDialogs::tell(const Message& message) { show_message(owner_, message, MB_OK); }

bool WindowsDialogs::choose_file(const SaveDialogRequest& request, std::string& path) {
    if (path.size() >= k_save_dialog_file_capacity) return false;  // refused, never cut
    char file[k_save_dialog_file_capacity] = {};
    std::memcpy(file, path.data(), path.size());
    const std::string filter = save_dialog_filter(request);
    OPENFILENAMEA record;
    fill_save_dialog_record(record, owner_, request, filter, file);
    if (!GetSaveFileNameA(&record)) return false;
    file[k_save_dialog_file_capacity - 1] = '\0';
    path = file;
    return true;
}

bool WindowsDialogs::put_on_clipboard(const std::string& text) {
    if (text.size() >= k_clipboard_block_size) return false;  // no room for the NUL
    GlobalBlock block(k_clipboard_block_size);
    if (block.get() == nullptr || !fill_block(block.get(), text)) return false;
    OpenedClipboard clipboard(owner_);
    if (!clipboard.is_open() || !EmptyClipboard()) return false;
    if (SetClipboardData(CF_TEXT, block.get()) == nullptr) return false;
    block.release();  // the clipboard owns it now
    return true;
}

std::string save_dialog_filter(const SaveDialogRequest& request) {
    std::string filter;
    for (const FileType& type : request.types) {
        filter += type.name;
        filter += '\0';
        filter += type.pattern;
        filter += '\0';
    }
    return filter + '\0';
}

void fill_save_dialog_record(OPENFILENAMEA& record, HWND owner, const SaveDialogRequest& request,
                             const std::string& filter, char* file_buffer) {
    record = OPENFILENAMEA{};
    record.lStructSize = k_short_record_size;
    record.hwndOwner = owner;
    record.hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    record.lpstrFilter = filter.c_str();
    record.nFilterIndex = request.type_index;
    record.lpstrFile = file_buffer;
    record.nMaxFile = k_save_dialog_file_capacity;
    save_dialog_file_title[0] = '\0';
    record.lpstrFileTitle = save_dialog_file_title;
    record.nMaxFileTitle = k_save_dialog_title_capacity;
    record.lpstrInitialDir = request.initial_directory.c_str();
    record.lpstrTitle = request.title;
    record.Flags = k_save_dialog_flags;
    record.lpstrDefExt = request.default_extension;
}

}  // namespace corelens
