#pragma once
// The three windows as a toolkit sees them: every text, every value field and its greying,
// and the save flow as decisions. Keyed by names no toolkit owns; ui/win32 maps them to
// control ids and ui/qt to widgets, and neither defines a text of its own.
#include <cstddef>
#include <string>
#include <vector>

#include "core/processor_record.h"
#include "platform/platform.h"

namespace corelens {

extern const char* const k_unknown_speed_text;  // "(unable to determine speed)"

// The value fields of the main and features windows.
enum class Field {
    name, vendor, description, model, family, speed, stepping, type, level,
    mmx, three_dnow, simd, l1_data, l1_code, l2,
};

struct FieldText {
    Field field;
    std::string text;
    bool enabled;  // false: the field is greyed before its text is set
};

// Main window: name, vendor, description, model, family, speed, stepping, type, level.
std::vector<FieldText> main_field_texts(const ProcessorRecord& record);
// Features window: MMX, 3DNow, SIMD, L1 data, L1 code, L2.
std::vector<FieldText> features_field_texts(const ProcessorRecord& record);

// The labels, headings and buttons the windows write themselves.
enum class Control {
    processor_label, speed_label, vendor_label, description_label, level_label,
    family_label, model_label, stepping_label, type_label, results_label,
    features_button, copy_button, save_button, about_button, quit_button,
    l2_label, l1_data_label, l1_code_label, mmx_label, simd_label, three_dnow_label,
    cache_heading, extensions_heading, flags_heading, cache_help_button, features_ok_button,
    about_ok_button,
};

enum class ControlKind {
    label,           // black, painted onto the background
    heading,         // navy, painted onto the background
    button,
    default_button,  // pressed by Enter
};

struct ControlText {
    Control control;
    ControlKind kind;
    const char* text;  // an ampersand marks the mnemonic
};

// A fixed list, built at compile time: the Windows program carries no start-up code for it.
struct ControlTexts {
    const ControlText* first;
    std::size_t count;
    const ControlText* begin() const { return first; }
    const ControlText* end() const { return first + count; }
};

struct WindowTexts {
    const char* title;
    ControlTexts controls;
};

const WindowTexts& main_window_texts();
const WindowTexts& features_window_texts();
const WindowTexts& about_window_texts();

enum class MessageIcon { none, information, warning };

struct Message {
    const char* text;
    const char* caption;
    MessageIcon icon;
};

extern const Message k_save_question;        // Yes/No: HTML or text
extern const Message k_save_failed_message;
extern const Message k_cache_help_message;   // the "&?" button
extern const Message k_cursor_error_message;  // the about window's hand cursor is missing
extern const Message k_email_error_message;   // no mail client took the link

// The label font: this face at this character-cell height in pixels, normal weight.
constexpr char k_label_font_face[] = "Arial";
constexpr int k_label_cell_height = 14;

// Label and heading colours, 0xRRGGBB.
constexpr unsigned k_label_colour = 0x000000;
constexpr unsigned k_heading_colour = 0x000080;

// What the Save button decides; the toolkit only shows what it is asked and reports back.
class SavePrompts {
public:
    virtual ~SavePrompts() = default;
    virtual bool ask_yes_no(const Message& question) = 0;  // true for Yes
    // The save-file dialog; path holds the proposed name and, on true, the chosen path.
    virtual bool choose_file(const platform::SaveDialogRequest& request, std::string& path) = 0;
    virtual void tell(const Message& message) = 0;
    // Writes the report, replacing the file; 1 when written. The program's record.
    virtual int save(const std::string& path);
};

enum class SaveOutcome { cancelled, saved, failed };

// Asks HTML or text, proposes "corelens_results.html" or ".txt" in starting_folder, and
// replaces the chosen file; the format follows the name finally chosen. A failed save is
// told with k_save_failed_message.
SaveOutcome run_save_flow(SavePrompts& prompts, const std::string& starting_folder,
                          void* owner = nullptr);

}  // namespace corelens
