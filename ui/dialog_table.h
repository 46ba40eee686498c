// The three windows, each described once: title, client size and every control in template
// order, which is also the tab order, the z order and the order the labels are painted in.
// Plain macro lists without a system header: resources/corelens.rc expands them into its
// dialog templates, ui/dialogs.cpp into the table both toolkits read. Ids are the fixed
// numbers of resources/resource.h.
//
// CONTROL(name, id, kind, text, x, y, width, height), in dialog units. An ampersand in the
// text marks the mnemonic; a field's text is a placeholder until the window writes its value.
#pragma once

#define CORELENS_MAIN_TITLE "Corelens - CPU identification tool"
#define CORELENS_MAIN_SIZE 178, 188
#define CORELENS_MAIN_CONTROLS(CONTROL) \
    CONTROL(features_button,   IDC_MAIN_FEATURES,          button,          "CPU &Features", 114, 22, 56, 12) \
    CONTROL(copy_button,       IDC_MAIN_COPY,              button,          "&Copy",         58, 152, 54, 12) \
    CONTROL(save_button,       IDC_MAIN_SAVE,              button,          "&Save",        116, 152, 54, 12) \
    CONTROL(about_button,      IDC_MAIN_ABOUT,             button,          "&About",         3, 171, 77, 14) \
    CONTROL(quit_button,       IDOK,                       default_button,  "&Quit",         97, 171, 78, 14) \
    CONTROL(vendor_label,      IDC_MAIN_VENDOR_LABEL,      label,           "Vendor:",       11,  43, 41,  8) \
    CONTROL(model_label,       IDC_MAIN_MODEL_LABEL,       label,           "Model:",        11, 102, 41,  8) \
    CONTROL(stepping_label,    IDC_MAIN_STEPPING_LABEL,    label,           "Stepping:",     11, 114, 41,  8) \
    CONTROL(family_label,      IDC_MAIN_FAMILY_LABEL,      label,           "Family:",       11,  89, 41,  8) \
    CONTROL(type_label,        IDC_MAIN_TYPE_LABEL,        label,           "Type:",         11, 134, 41,  8) \
    CONTROL(vendor,            IDC_MAIN_VENDOR,            unwrapped_field, "Vendor",        58,  40, 112, 11) \
    CONTROL(model,             IDC_MAIN_MODEL,             field,           "Model",         58, 100, 112, 11) \
    CONTROL(stepping,          IDC_MAIN_STEPPING,          field,           "Stepping",      58, 114, 112, 11) \
    CONTROL(family,            IDC_MAIN_FAMILY,            field,           "Family",        58,  87, 112, 11) \
    CONTROL(type,              IDC_MAIN_TYPE,              field,           "Type",          58, 132, 112, 11) \
    CONTROL(description_label, IDC_MAIN_DESCRIPTION_LABEL, label,           "Description:",  11,  56, 41,  8) \
    CONTROL(description,       IDC_MAIN_DESCRIPTION,       field,           "Description",   58,  54, 112, 11) \
    CONTROL(speed_label,       IDC_MAIN_SPEED_LABEL,       label,           "Speed:",        11,  24, 41,  8) \
    CONTROL(speed,             IDC_MAIN_SPEED,             field,           "Speed",         58,  22, 50, 11) \
    CONTROL(level_label,       IDC_MAIN_LEVEL_LABEL,       label,           "CPUID-Level:",  11,  69, 44,  8) \
    CONTROL(level,             IDC_MAIN_LEVEL,             field,           "Level",         58,  68, 112, 11) \
    CONTROL(unnamed,           IDC_STATIC,                 group_box,       "",               3,   0, 172, 168) \
    CONTROL(name,              IDC_MAIN_NAME,              unwrapped_field, "Name",          58,   8, 112, 11) \
    CONTROL(processor_label,   IDC_MAIN_NAME_LABEL,        label,           "Processor:",    11,   9, 41,  8) \
    CONTROL(unnamed,           IDC_STATIC,                 separator,       "",               3,  78, 172, 5) \
    CONTROL(unnamed,           IDC_STATIC,                 separator,       "",               3, 144, 172, 5) \
    CONTROL(unnamed,           IDC_STATIC,                 separator,       "",               3,  32, 172, 5) \
    CONTROL(unnamed,           IDC_STATIC,                 separator,       "",               3, 124, 172, 5) \
    CONTROL(results_label,     IDC_MAIN_RESULTS_LABEL,     label,           "Results:",      11, 154, 41,  8)

#define CORELENS_FEATURES_TITLE "CPU Features"
#define CORELENS_FEATURES_SIZE 260, 234
#define CORELENS_FEATURES_CONTROLS(CONTROL) \
    CONTROL(unnamed,            IDC_STATIC,             group_box,      "",                3, 10, 255, 23) \
    CONTROL(l2_label,           IDC_FEAT_L2_LABEL,      label,          "L2 (unif.):",     8, 19, 33,  8) \
    CONTROL(l2,                 IDC_FEAT_L2,            field,          "L2 Cache",       42, 18, 37, 10) \
    CONTROL(unnamed,            IDC_STATIC,             group_box,      "",                3, 83, 255, 130) \
    CONTROL(features_ok_button, IDOK,                   default_button, "OK",            105, 217, 50, 14) \
    CONTROL(feature_list,       IDC_FEAT_LIST,          list,           "List1",           7, 91, 246, 117) \
    CONTROL(flags_heading,      IDC_FEAT_FLAGS_HEADING, heading,        "Processor Flags (almost complete list):", 3, 76, 243, 8) \
    CONTROL(l1_data_label,      IDC_FEAT_L1_DATA_LABEL, label,          "L1 Data:",       88, 19, 31,  8) \
    CONTROL(l1_code_label,      IDC_FEAT_L1_CODE_LABEL, label,          "L1 Instr.:",    180, 19, 32,  8) \
    CONTROL(l1_data,            IDC_FEAT_L1_DATA,       field,          "L1-Data Cache", 131, 18, 37, 10) \
    CONTROL(l1_code,            IDC_FEAT_L1_CODE,       field,          "L1-Instr. Cache", 213, 18, 37, 10) \
    CONTROL(mmx_label,          IDC_FEAT_MMX_LABEL,     label,          "MMX:",            7, 55, 29,  8) \
    CONTROL(three_dnow_label,   IDC_FEAT_3DNOW_LABEL,   label,          "3DNow:",        178, 55, 34,  8) \
    CONTROL(mmx,                IDC_FEAT_MMX,           field,          "MMX",            41, 54, 37, 10) \
    CONTROL(three_dnow,         IDC_FEAT_3DNOW,         field,          "3DNow",         213, 54, 37, 10) \
    CONTROL(simd_label,         IDC_FEAT_SIMD_LABEL,    label,          "SIMD (ISSE):",   87, 55, 43,  8) \
    CONTROL(simd,               IDC_FEAT_SIMD,          field,          "SIMD",          131, 54, 37, 10) \
    CONTROL(unnamed,            IDC_STATIC,             group_box,      "",                3, 46, 255, 23) \
    CONTROL(cache_heading,      IDC_FEAT_CACHE_HEADING, heading,        "Cache information:", 3, 3, 73, 8) \
    CONTROL(cache_help_button,  IDC_FEAT_CACHE_HELP,    button,         "&?",             83,  1, 12, 11) \
    CONTROL(extensions_heading, IDC_FEAT_EXT_HEADING,   heading,        "Instruction set extensions:", 3, 39, 163, 8)

#define CORELENS_ABOUT_TITLE "About"
#define CORELENS_ABOUT_SIZE 173, 73
#define CORELENS_ABOUT_CONTROLS(CONTROL) \
    CONTROL(about_ok_button, IDOK,            default_button, "OK", 63, 51, 50, 14) \
    CONTROL(logo_frame,      IDC_ABOUT_FRAME, logo_frame,     "",    8,  9, 50, 34)
