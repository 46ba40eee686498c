#pragma once
// The three windows as a toolkit sees them: every value field and its greying, the messages,
// and the save flow as decisions. The controls and their texts are ui/dialogs.h's; neither
// toolkit defines a text of its own.
#include <cstddef>
#include <string>
#include <vector>

#include "core/processor_record.h"
#include "ui/dialogs.h"

namespace corelens {

extern const char* const k_unknown_speed_text;  // "(unable to determine speed)"

// A value field of the main or features window and what it shows.
struct FieldText {
    Control field;
    std::string text;
    bool enabled;  // false: the field is greyed before its text is set
};

// Main window: name, vendor, description, model, family, speed, stepping, type, level.
std::vector<FieldText> main_field_texts(const ProcessorRecord& record);
// Features window: MMX, 3DNow, SIMD, L1 data, L1 code, L2.
std::vector<FieldText> features_field_texts(const ProcessorRecord& record);

enum class MessageIcon { none, information, warning };

struct Message {
    const char* text;
    const char* caption;
    MessageIcon icon;
};

extern const Message k_unsupported_cpu_message;  // no CPUID: the program ends
extern const Message k_save_question;        // HTML (Yes) or text (No)
extern const Message k_save_failed_message;
extern const Message k_clipboard_failed_message;
extern const Message k_cache_help_message;   // the "&?" button
extern const Message k_cursor_error_message;  // the about window's hand cursor is missing
extern const Message k_email_error_message;   // no mail client took the link

// The Windows program's label font: this face at this character-cell height in pixels,
// normal weight. corelens-gui writes its labels in the window font its layout is measured in.
constexpr char k_label_font_face[] = "Arial";
constexpr int k_label_cell_height = 14;

// Label and heading colours, 0xRRGGBB.
constexpr unsigned k_label_colour = 0x000000;
constexpr unsigned k_heading_colour = 0x000080;

// The save-file dialog as the Save button asks for it.
struct FileType {
    const char* name;     // "(*.txt)"
    const char* pattern;  // "*.txt"
};
struct SaveDialogRequest {
    const char* title;
    std::string initial_directory;
    std::vector<FileType> types;
    unsigned type_index;  // the one preselected, counted from 1
    const char* default_extension;  // added to a name typed without one
};

// How the save goes in one toolkit: the Windows program's as it always was, or as a Linux
// desktop's programs save.
struct SaveConventions {
    bool cancellable;  // the HTML-or-text question has Cancel, which Esc answers
    FileType text_type, html_type;
    bool htm_is_html;   // a name ending in ".htm" is saved as HTML too
    bool names_failure; // a failed save names the file and the reason
};
extern const SaveConventions k_windows_save;  // Yes/No, "(*.txt)", "Saving the results failed!"
extern const SaveConventions k_desktop_save;  // Yes/No/Cancel, "Text files (*.txt)", the file named

// Opens in initial_directory with the conventions' text and HTML types offered; the
// preselected type and the default extension follow the proposed name's ending.
SaveDialogRequest save_dialog_request(const std::string& initial_directory, const std::string& proposed_name,
                                      const SaveConventions& conventions);

// How the windows talk to the user. ui/win32 and ui/qt implement it over their own message
// box, save-file dialog and clipboard, and only show what they are asked.
enum class Answer { yes, no, cancel };

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // Yes and No, and Cancel when cancellable: Esc and closing the box then answer cancel.
    virtual Answer ask(const Message& question, bool cancellable) = 0;
    virtual void tell(const Message& message) = 0;
    // path holds the proposed name and, on true, the chosen path.
    virtual bool choose_file(const SaveDialogRequest& request, std::string& path) = 0;
    // Windows-1252 text with CR LF line ends; false when the clipboard refused it.
    virtual bool put_on_clipboard(const std::string& text) = 0;
};

enum class SaveOutcome { cancelled, saved, failed };

// The Save button: asks HTML or text, proposes "corelens_results.html" or ".txt" in
// starting_folder, and has report/ replace the chosen file with the program's report; the
// format follows the name finally chosen. A failed save is told with k_save_failed_message,
// followed by the path and the reason where the conventions name the failure.
SaveOutcome run_save_flow(UserDialogs& dialogs, const std::string& starting_folder,
                          const SaveConventions& conventions);

// The clipboard's block of text, its NUL included.
constexpr std::size_t k_clipboard_block_size = 4096;

// The Copy button: the text report of the program's record onto the clipboard. A report
// too long for the block is refused, never cut; a failure is told with
// k_clipboard_failed_message.
void run_copy_flow(UserDialogs& dialogs);
void run_copy_flow(UserDialogs& dialogs, const std::string& report);

}  // namespace corelens
