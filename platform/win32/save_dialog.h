#pragma once
// The save-file dialog's record, apart from showing it, so that its fields can be checked.
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "platform/platform.h"

namespace corelens::platform {

constexpr DWORD k_save_dialog_flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                                      OFN_SHOWHELP | OFN_PATHMUSTEXIST;  // 0x81E
constexpr DWORD k_save_dialog_file_capacity = MAX_PATH;
constexpr DWORD k_save_dialog_title_capacity = 256;

// The process-wide file-title buffer, emptied before every dialog.
extern char save_dialog_file_title[k_save_dialog_title_capacity];

// Fills record for GetSaveFileNameA. filter_list holds the request's pairs and the final
// NUL; file_buffer holds k_save_dialog_file_capacity bytes. Both must outlive the record.
void fill_save_dialog_record(OPENFILENAMEA& record, const SaveDialogRequest& request,
                             const std::string& filter_list, char* file_buffer);

}  // namespace corelens::platform
