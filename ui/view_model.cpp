#include "ui/view_model.h"

#include "report/result_output.h"
#include "report/value_texts.h"
#include "ui/about_logic.h"

namespace corelens {

const char* const k_unknown_speed_text = "(unable to determine speed)";

const Message k_save_question{
    "Do you want to save the results in\nHTML-format?\n\n('YES' for HTML, 'NO' for text)",
    "Type of output", MessageIcon::none};
const Message k_save_failed_message{"Saving the results failed!", "Error", MessageIcon::warning};
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
        {Field::name, record_text(record.name), true},
        {Field::vendor, record_text(record.vendor_id), true},
        {Field::description, format_description(record), record.brand_string[0] != '\0'},
        {Field::model, format_model(record), true},
        {Field::family, format_family(record), true},
        {Field::speed, measured ? format_speed(record.speed_mhz) : k_unknown_speed_text, measured},
        {Field::stepping, format_stepping(record), true},
        {Field::type, format_type(record), true},
        {Field::level, format_cpuid_level(record), true},
    };
}

std::vector<FieldText> features_field_texts(const ProcessorRecord& record) {
    return {
        {Field::mmx, format_feature(record, Feature::mmx), true},
        {Field::three_dnow, format_feature(record, Feature::three_dnow), true},
        {Field::simd, format_feature(record, Feature::isse), true},
        {Field::l1_data, format_l1_cache(record.l1_data_kb), record.l1_data_kb != 0},
        {Field::l1_code, format_l1_cache(record.l1_code_kb), record.l1_code_kb != 0},
        // Level 2 "none" is a real answer and stays enabled; only "unknown" is greyed.
        {Field::l2, format_l2_cache(record.l2_kb), record.l2_kb >= 0},
    };
}

namespace {

constexpr ControlText k_main_controls[] = {
    {Control::processor_label, ControlKind::label, "Processor:"},
    {Control::speed_label, ControlKind::label, "Speed:"},
    {Control::vendor_label, ControlKind::label, "Vendor:"},
    {Control::description_label, ControlKind::label, "Description:"},
    {Control::level_label, ControlKind::label, "CPUID-Level:"},
    {Control::family_label, ControlKind::label, "Family:"},
    {Control::model_label, ControlKind::label, "Model:"},
    {Control::stepping_label, ControlKind::label, "Stepping:"},
    {Control::type_label, ControlKind::label, "Type:"},
    {Control::results_label, ControlKind::label, "Results:"},
    {Control::features_button, ControlKind::button, "CPU &Features"},
    {Control::copy_button, ControlKind::button, "&Copy"},
    {Control::save_button, ControlKind::button, "&Save"},
    {Control::about_button, ControlKind::button, "&About"},
    {Control::quit_button, ControlKind::default_button, "&Quit"},
};

constexpr ControlText k_features_controls[] = {
    {Control::cache_heading, ControlKind::heading, "Cache information:"},
    {Control::l2_label, ControlKind::label, "L2 (unif.):"},
    {Control::l1_data_label, ControlKind::label, "L1 Data:"},
    {Control::l1_code_label, ControlKind::label, "L1 Instr.:"},
    {Control::extensions_heading, ControlKind::heading, "Instruction set extensions:"},
    {Control::mmx_label, ControlKind::label, "MMX:"},
    {Control::simd_label, ControlKind::label, "SIMD (ISSE):"},
    {Control::three_dnow_label, ControlKind::label, "3DNow:"},
    {Control::flags_heading, ControlKind::heading, "Processor Flags (almost complete list):"},
    {Control::cache_help_button, ControlKind::button, "&?"},
    {Control::features_ok_button, ControlKind::default_button, "OK"},
};

constexpr ControlText k_about_controls[] = {
    {Control::about_ok_button, ControlKind::default_button, "OK"},
};

template <std::size_t N>
constexpr ControlTexts list_of(const ControlText (&controls)[N]) {
    return {controls, N};
}

constexpr WindowTexts k_main_window{"Corelens - CPU identification tool", list_of(k_main_controls)};
constexpr WindowTexts k_features_window{"CPU Features", list_of(k_features_controls)};
constexpr WindowTexts k_about_window{"About", list_of(k_about_controls)};

}  // namespace

const WindowTexts& main_window_texts() { return k_main_window; }
const WindowTexts& features_window_texts() { return k_features_window; }
const WindowTexts& about_window_texts() { return k_about_window; }

int SavePrompts::save(const std::string& path) { return save_results(path, k_create_always); }

SaveOutcome run_save_flow(SavePrompts& prompts, const std::string& starting_folder,
                          void* owner) {
    const bool html = prompts.ask_yes_no(k_save_question);
    std::string path = html ? "corelens_results.html" : "corelens_results.txt";
    if (!prompts.choose_file(save_dialog_request(owner, starting_folder, path), path)) {
        return SaveOutcome::cancelled;
    }
    // The format follows the name finally chosen, not the answer above.
    const int written = prompts.save(path);
    if (written != 0) return SaveOutcome::saved;
    prompts.tell(k_save_failed_message);
    return SaveOutcome::failed;
}

}  // namespace corelens
