#include "ui/win32/dressing.h"

#include <optional>

#include "resources/resource.h"
#include "ui/layout.h"

namespace corelens {

namespace {

constexpr int k_background_margin = 200;  // pixels beyond the main client area

// Members in creation order, so that destruction deselects the bitmap, then frees it,
// then deletes the context.
struct Background {
    MemoryDc dc;
    Bitmap bitmap;
    SelectedObject selection;
};

std::optional<Background> background;
HICON program_icon = nullptr;  // kept for the life of the process

HINSTANCE instance_of(HWND window) {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
}

void lay_tiles(HDC target, SIZE size, HDC tile_dc, HBITMAP tile) {
    BITMAP info{};
    if (tile == nullptr || GetObjectA(tile, sizeof info, &info) == 0) {
        // No tile: a plain light grey rather than whatever the new bitmap holds.
        RECT all{0, 0, size.cx, size.cy};
        Brush grey(CreateSolidBrush(RGB(222, 222, 222)));
        FillRect(target, &all, grey.get());
        return;
    }
    const TileGrid grid = tile_grid(size.cx, size.cy, info.bmWidth, info.bmHeight);
    for (int column = 0; column < grid.columns; ++column) {
        for (int row = 0; row < grid.rows; ++row) {
            const Position at = grid.tile(column, row);
            BitBlt(target, at.x, at.y, info.bmWidth, info.bmHeight, tile_dc, 0, 0, SRCCOPY);
        }
    }
}

}  // namespace

HDC background_dc() { return background ? background->dc.get() : nullptr; }

void dress_main_window(HWND window) {
    const HINSTANCE instance = instance_of(window);
    if (program_icon == nullptr) program_icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_CORELENS));
    SetClassLongPtrA(window, GCLP_HICON, reinterpret_cast<LONG_PTR>(program_icon));

    RECT client{};
    GetClientRect(window, &client);
    release_background();  // a second main window replaces the image, never leaks it
    Background image;
    const SIZE size{client.right - client.left + k_background_margin,
                    client.bottom - client.top + k_background_margin};

    WindowDc window_dc(window);
    image.dc = MemoryDc(window_dc.get());
    image.bitmap = Bitmap(CreateCompatibleBitmap(window_dc.get(), size.cx, size.cy));
    image.selection = SelectedObject(image.dc.get(), image.bitmap.get());
    MemoryDc tile_dc(window_dc.get());
    Bitmap tile(LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_BACKGROUND)));
    SelectedObject tile_selection(tile_dc.get(), tile.get());
    window_dc.reset();

    lay_tiles(image.dc.get(), size, tile_dc.get(), tile.get());
    background.emplace(std::move(image));
}

void release_background() { background.reset(); }

void center_on_screen(HWND window) {
    RECT frame{};
    GetWindowRect(window, &frame);
    int screen_width = 0;
    int screen_height = 0;
    {
        WindowDc dc(window);
        screen_width = GetDeviceCaps(dc.get(), HORZRES);
        screen_height = GetDeviceCaps(dc.get(), VERTRES);
    }
    const Position at = centred_origin(screen_width, screen_height, frame.right - frame.left,
                                       frame.bottom - frame.top);
    SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

Font create_label_font() {
    return Font(CreateFontA(k_label_cell_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                            CLIP_TT_ALWAYS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, k_label_font_face));
}

void paint_dialog(HWND window, const DialogWindow& layout) {
    RECT update{};
    if (!GetUpdateRect(window, &update, FALSE)) return;

    PaintDc paint(window);
    const HDC dc = paint.get();
    Font font = create_label_font();
    SelectedObject font_selection(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    BitBlt(dc, update.left, update.top, update.right - update.left, update.bottom - update.top,
           background_dc(), update.left, update.top, SRCCOPY);
    const COLORREF previous_colour = GetTextColor(dc);
    for (const DialogControl& row : layout) {
        if (row.kind != ControlKind::label && row.kind != ControlKind::heading) continue;
        RECT frame{};
        GetWindowRect(GetDlgItem(window, row.id), &frame);
        POINT corner{frame.left, frame.top};
        ScreenToClient(window, &corner);
        SetTextColor(dc, colour_ref(row.kind == ControlKind::heading ? k_heading_colour : k_label_colour));
        TextOutA(dc, corner.x, corner.y, row.text, lstrlenA(row.text));
    }
    SetTextColor(dc, previous_colour);
}

void apply_field_texts(HWND window, const DialogWindow& layout, const std::vector<FieldText>& fields) {
    for (const FieldText& field : fields) {
        const DialogControl* row = layout.find(field.field);
        if (row == nullptr) continue;
        if (!field.enabled) EnableWindow(GetDlgItem(window, row->id), FALSE);
        SetDlgItemTextA(window, row->id, field.text.c_str());
    }
}

}  // namespace corelens
