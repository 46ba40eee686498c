#pragma once
// The three windows as a toolkit sees them: every value field and its greying, the messages,
// and the save flow as decisions. The controls and their texts are ui/dialogs.h's; neither
// toolkit defines a text of its own.
#include <cstddef>
#include <string>
#include <vector>

#include "core/processor_record.h"
#include "platform/platform.h"
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
