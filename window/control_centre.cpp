// Where the centre of a control is inside the main window, in pixels at 96
// dots per inch, printed as "x y": the place scripts/screenshot clicks,
// worked out from the table the window is laid out by.
//   qor-control-centre NAME
#include <cstdio>

#include "control_table.h"

int main(int argc, char** argv) {
    using namespace qor::window;
    if (argc != 2) {
        std::fputs("Usage: qor-control-centre NAME\n", stderr);
        return 2;
    }
    std::size_t row = FindRow(argv[1]);
    if (row == kNoRow) {
        std::fprintf(stderr, "qor-control-centre: no control named %s\n", argv[1]);
        return 1;
    }
    // Each control sits inside its container, as the window places it.
    int x = TwipsToPixels(kControls[row].width) / 2;
    int y = TwipsToPixels(kControls[row].height) / 2;
    for (; row != kNoRow; row = kContainerRows[row]) {
        x += TwipsToPixels(kControls[row].left);
        y += TwipsToPixels(kControls[row].top);
    }
    std::printf("%d %d\n", x, y);
    return 0;
}
