// The command-line program has no windows: no clipboard, no save dialog, and message boxes
// become lines on standard error. corelens-gui has them from Qt.
#include <cstdio>

#include "platform/platform.h"

namespace corelens::platform {

bool message_box(void* /*owner*/, const std::string& text, const std::string& caption,
                 MessageStyle style) {
    const std::string line = terminal_text(caption + ": " + text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    return style != MessageStyle::yes_no;  // nobody can answer Yes
}

bool copy_text_to_clipboard(void* /*owner*/, const std::string& /*text*/,
                            std::size_t /*block_size*/) {
    return false;
}

bool show_save_dialog(const SaveDialogRequest& /*request*/, std::string& /*path*/) {
    return false;
}

}  // namespace corelens::platform
