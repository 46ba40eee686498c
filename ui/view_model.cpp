#include "ui/view_model.h"

#include "report/renderers.h"
#include "report/result_output.h"
#include "report/value_texts.h"
#include "ui/about_logic.h"

namespace corelens {

const char* const k_unknown_speed_text = "(unable to determine speed)";

const Message k_unsupported_cpu_message{
    "Sorry, your CPU does not support the CPUID-instruction.\n"
    "This application is therefore not able to determine\n"
    "your CPU and will terminate.",
    "Unsupported CPU", MessageIcon::warning};
const Message k_save_question{
    "Do you want to save the results in\nHTML-format?\n\n('YES' for HTML, 'NO' for text)",
    "Type of output", MessageIcon::none};
const Message k_save_failed_message{"Saving the results failed!", "Error", MessageIcon::warning};
const Message k_clipboard_failed_message{"Copy to clipboard failed!", "Error", MessageIcon::warning};
const Message k_cache_help_message{
    "If the detection fails, this can have a\nwhole bunch of reasons. If you got an older\n"
    "CPU, it may not support reading its cache\ninformation. If you got a CPU not manufactured\n"
    "by AMD or INTEL, the vendor may not use the\nsame method to get the cache information!",
    "Information about the cache", MessageIcon::information};
const Message k_cursor_error_message{k_cursor_error_text, k_cursor_error_caption, MessageIcon::none};
const Message k_email_error_message{k_email_error_text, k_email_error_caption, MessageIcon::warning};

std::vector<FieldText> main_field_texts(const ProcessorRecord& record) {
    const bool measured = record.speed_mhz != 0.0f;
    return {
        {Control::name, record_text(record.name), true},
        {Control::vendor, record_text(record.vendor_id), true},
        {Control::description, format_description(record), record.brand_string[0] != '\0'},
        {Control::model, format_model(record), true},
        {Control::family, format_family(record), true},
        {Control::speed, measured ? format_speed(record.speed_mhz) : k_unknown_speed_text, measured},
        {Control::stepping, format_stepping(record), true},
        {Control::type, format_type(record), true},
        {Control::level, format_cpuid_level(record), true},
    };
}

std::vector<FieldText> features_field_texts(const ProcessorRecord& record) {
    return {
        {Control::mmx, format_feature(record, Feature::mmx), true},
        {Control::three_dnow, format_feature(record, Feature::three_dnow), true},
        {Control::simd, format_feature(record, Feature::isse), true},
        {Control::l1_data, format_l1_cache(record.l1_data_kb), record.l1_data_kb != 0},
        {Control::l1_code, format_l1_cache(record.l1_code_kb), record.l1_code_kb != 0},
        // Level 2 "none" is a real answer and stays enabled; only "unknown" is greyed.
        {Control::l2, format_l2_cache(record.l2_kb), record.l2_kb >= 0},
    };
}

const SaveConventions k_windows_save{false, {"(*.txt)", "*.txt"}, {"(*.html)", "*.html"}, false, false};
const SaveConventions k_desktop_save{
    true, {"Text files (*.txt)", "*.txt"}, {"HTML files (*.htm *.html)", "*.htm *.html"}, true, true};

SaveDialogRequest save_dialog_request(const std::string& initial_directory, const std::string& proposed_name,
                                      const SaveConventions& conventions) {
    const bool text = has_extension("txt", proposed_name);
    return {"Save Corelens-results", initial_directory, {conventions.text_type, conventions.html_type},
            text ? 1u : 2u, text ? "txt" : "html"};
}

SaveOutcome run_save_flow(UserDialogs& dialogs, const std::string& starting_folder,
                          const SaveConventions& conventions) {
    const Answer answer = dialogs.ask(k_save_question, conventions.cancellable);
    if (answer == Answer::cancel) return SaveOutcome::cancelled;
    std::string path = answer == Answer::yes ? "corelens_results.html" : "corelens_results.txt";
    if (!dialogs.choose_file(save_dialog_request(starting_folder, path, conventions), path)) {
        return SaveOutcome::cancelled;
    }
    // The format follows the name finally chosen, not the answer above.
    const bool htm = conventions.htm_is_html && has_extension(".htm", path);
    std::string reason;
    if (save_results(path, k_create_always, htm ? ReportFormat::html : format_of(path), &reason) != 0) {
        return SaveOutcome::saved;
    }
    if (!conventions.names_failure) {
        dialogs.tell(k_save_failed_message);
        return SaveOutcome::failed;
    }
    const std::string text = std::string(k_save_failed_message.text) + "\n\n" + path + ":\n" + reason;
    dialogs.tell({text.c_str(), k_save_failed_message.caption, k_save_failed_message.icon});
    return SaveOutcome::failed;
}

void run_copy_flow(UserDialogs& dialogs) {
    run_copy_flow(dialogs, render_text_report(processor_record, gather_report_context()));
}

void run_copy_flow(UserDialogs& dialogs, const std::string& report) {
    // Too long for the block: refused like a busy clipboard, never cut.
    if (report.size() < k_clipboard_block_size && dialogs.put_on_clipboard(report)) return;
    dialogs.tell(k_clipboard_failed_message);
}

}  // namespace corelens
