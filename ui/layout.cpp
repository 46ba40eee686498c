#include "ui/layout.h"

namespace corelens {

namespace {

// First edge and count along one axis; C++ division truncates toward zero, as required.
void lay_axis(int image, int tile, int& first, int& count) {
    if (tile <= 0) {
        first = 0;
        count = 0;
        return;
    }
    first = (0 - ((image / 2) / tile) - 1) * tile + (image - tile) / 2;
    count = 0;
    while (count * tile < 2 * image) ++count;
}

}  // namespace

TileGrid tile_grid(int image_width, int image_height, int tile_width, int tile_height) {
    TileGrid grid;
    grid.tile_width = tile_width;
    grid.tile_height = tile_height;
    lay_axis(image_width, tile_width, grid.first_x, grid.columns);
    lay_axis(image_height, tile_height, grid.first_y, grid.rows);
    if (grid.columns == 0 || grid.rows == 0) grid.columns = grid.rows = 0;
    return grid;
}

Position centred_origin(int screen_width, int screen_height, int window_width, int window_height) {
    return {screen_width / 2 - window_width / 2, screen_height / 2 - window_height / 2};
}

}  // namespace corelens
