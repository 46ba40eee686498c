#pragma once
// Window geometry that needs no window system: the background tile grid and centring.

namespace corelens {

struct Position {
    int x;
    int y;
};

// Tiles of tile_width x tile_height laid over an image of image_width x image_height: one
// tile sits exactly in the middle, and the grid runs from left of and above the image to
// past its far edges (columns while column x tile_width < 2 x image_width, rows likewise).
struct TileGrid {
    int columns = 0;
    int rows = 0;
    int first_x = 0;  // left edge of column 0, usually left of the image
    int first_y = 0;  // top edge of row 0, usually above the image
    int tile_width = 0;
    int tile_height = 0;

    Position tile(int column, int row) const {
        return {first_x + column * tile_width, first_y + row * tile_height};
    }
};
// A tile of zero or negative size lays no tiles.
TileGrid tile_grid(int image_width, int image_height, int tile_width, int tile_height);

// Top-left corner that centres a window of window_width x window_height on the screen;
// each halving truncates toward zero.
Position centred_origin(int screen_width, int screen_height, int window_width, int window_height);

}  // namespace corelens
