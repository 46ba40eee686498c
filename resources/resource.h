#pragma once

// Shared by corelens.rc and the dialog code. The numbers are fixed: tools and
// tests refer to the templates and controls by them.

#define IDC_STATIC -1
#ifndef IDOK
#define IDOK 1  // as <windows.h> has it, for code that does without
#endif

// Dialog templates
#define IDD_MAIN     108
#define IDD_ABOUT    116
#define IDD_FEATURES 117

// Artwork
#define IDI_CORELENS   105
#define IDB_BACKGROUND 114
#define IDB_LOGO       115
#define IDR_HAND       118

// Main window (IDOK is "&Quit")
#define IDC_MAIN_VENDOR_LABEL      1000
#define IDC_MAIN_MODEL_LABEL       1001
#define IDC_MAIN_STEPPING_LABEL    1002
#define IDC_MAIN_FAMILY_LABEL      1003
#define IDC_MAIN_VENDOR            1004
#define IDC_MAIN_MODEL             1005
#define IDC_MAIN_STEPPING          1006
#define IDC_MAIN_FAMILY            1007
#define IDC_MAIN_TYPE_LABEL        1008
#define IDC_MAIN_TYPE              1009
#define IDC_MAIN_DESCRIPTION_LABEL 1010
#define IDC_MAIN_DESCRIPTION       1011
#define IDC_MAIN_SPEED_LABEL       1012
#define IDC_MAIN_SPEED             1013
#define IDC_MAIN_RESULTS_LABEL     1014
#define IDC_MAIN_FEATURES          1020
#define IDC_MAIN_ABOUT             1021
#define IDC_MAIN_COPY              1022
#define IDC_MAIN_SAVE              1023
#define IDC_MAIN_LEVEL_LABEL       1024
#define IDC_MAIN_LEVEL             1025
#define IDC_MAIN_NAME_LABEL        1026
#define IDC_MAIN_NAME              1028

// Features window (IDOK is "OK")
#define IDC_FEAT_MMX_LABEL       1010
#define IDC_FEAT_3DNOW_LABEL     1011
#define IDC_FEAT_MMX             1012
#define IDC_FEAT_3DNOW           1013
#define IDC_FEAT_L1_DATA_LABEL   1018
#define IDC_FEAT_L1_CODE_LABEL   1019
#define IDC_FEAT_L1_DATA         1020
#define IDC_FEAT_L1_CODE         1021
#define IDC_FEAT_SIMD_LABEL      1022
#define IDC_FEAT_SIMD            1023
#define IDC_FEAT_L2_LABEL        1024
#define IDC_FEAT_L2              1025
#define IDC_FEAT_FLAGS_HEADING   1026
#define IDC_FEAT_CACHE_HEADING   1027
#define IDC_FEAT_EXT_HEADING     1028
#define IDC_FEAT_LIST            1031
#define IDC_FEAT_CACHE_HELP      1036

// About window (IDOK is "OK")
#define IDC_ABOUT_FRAME 1034
