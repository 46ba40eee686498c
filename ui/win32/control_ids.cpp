#include "ui/win32/control_ids.h"

#include "resources/resource.h"

namespace corelens {

int control_id(Field field) {
    switch (field) {
        case Field::name: return IDC_MAIN_NAME;
        case Field::vendor: return IDC_MAIN_VENDOR;
        case Field::description: return IDC_MAIN_DESCRIPTION;
        case Field::model: return IDC_MAIN_MODEL;
        case Field::family: return IDC_MAIN_FAMILY;
        case Field::speed: return IDC_MAIN_SPEED;
        case Field::stepping: return IDC_MAIN_STEPPING;
        case Field::type: return IDC_MAIN_TYPE;
        case Field::level: return IDC_MAIN_LEVEL;
        case Field::mmx: return IDC_FEAT_MMX;
        case Field::three_dnow: return IDC_FEAT_3DNOW;
        case Field::simd: return IDC_FEAT_SIMD;
        case Field::l1_data: return IDC_FEAT_L1_DATA;
        case Field::l1_code: return IDC_FEAT_L1_CODE;
        case Field::l2: return IDC_FEAT_L2;
    }
    return 0;
}

int control_id(Control control) {
    switch (control) {
        case Control::processor_label: return IDC_MAIN_NAME_LABEL;
        case Control::speed_label: return IDC_MAIN_SPEED_LABEL;
        case Control::vendor_label: return IDC_MAIN_VENDOR_LABEL;
        case Control::description_label: return IDC_MAIN_DESCRIPTION_LABEL;
        case Control::level_label: return IDC_MAIN_LEVEL_LABEL;
        case Control::family_label: return IDC_MAIN_FAMILY_LABEL;
        case Control::model_label: return IDC_MAIN_MODEL_LABEL;
        case Control::stepping_label: return IDC_MAIN_STEPPING_LABEL;
        case Control::type_label: return IDC_MAIN_TYPE_LABEL;
        case Control::results_label: return IDC_MAIN_RESULTS_LABEL;
        case Control::features_button: return IDC_MAIN_FEATURES;
        case Control::copy_button: return IDC_MAIN_COPY;
        case Control::save_button: return IDC_MAIN_SAVE;
        case Control::about_button: return IDC_MAIN_ABOUT;
        case Control::quit_button:
        case Control::features_ok_button:
        case Control::about_ok_button: return IDOK;
        case Control::l2_label: return IDC_FEAT_L2_LABEL;
        case Control::l1_data_label: return IDC_FEAT_L1_DATA_LABEL;
        case Control::l1_code_label: return IDC_FEAT_L1_CODE_LABEL;
        case Control::mmx_label: return IDC_FEAT_MMX_LABEL;
        case Control::simd_label: return IDC_FEAT_SIMD_LABEL;
        case Control::three_dnow_label: return IDC_FEAT_3DNOW_LABEL;
        case Control::cache_heading: return IDC_FEAT_CACHE_HEADING;
        case Control::extensions_heading: return IDC_FEAT_EXT_HEADING;
        case Control::flags_heading: return IDC_FEAT_FLAGS_HEADING;
        case Control::cache_help_button: return IDC_FEAT_CACHE_HELP;
    }
    return 0;
}

void apply_window_texts(HWND window, const WindowTexts& texts) {
    SetWindowTextA(window, texts.title);
    for (const ControlText& control : texts.controls) {
        SetDlgItemTextA(window, control_id(control.control), control.text);
    }
}

void apply_field_texts(HWND window, const std::vector<FieldText>& fields) {
    for (const FieldText& field : fields) {
        if (!field.enabled) EnableWindow(GetDlgItem(window, control_id(field.field)), FALSE);
        SetDlgItemTextA(window, control_id(field.field), field.text.c_str());
    }
}

}  // namespace corelens
