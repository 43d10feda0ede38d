// Takes a picture of the board window, to look at it (or for the documentation):
//   veltra-board-screenshot board.png
// The board runs a program that lights every LED in another colour, sets the
// ports, a relay and the variables, and has button 2 held.

#include "board/BoardModel.h"
#include "board/view/BoardView.h"

#include <QApplication>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: veltra-board-screenshot FILE.png\n");
        return 64;
    }
    veltra::BoardModel model;
    const std::vector<std::uint16_t> program{0xA1F1, 0xA2F2, 0xA3F3, 0xA4F4, 0xA5F5, 0xA6F6, 0xA7F7,
                                             0xA8F8, 0xA971, 0xAA32, 0xAB23, 0xAC38, 0x1A01, 0x9164,
                                             0x9207, 0xC10A, 0xC240, 0xD100, 0xAD51, 0x4201, 0xE000};
    if (!model.loadProgram(program)) {
        std::fprintf(stderr, "the board refused the program\n");
        return 1;
    }
    model.advance(veltra::BoardTime(0));
    model.setButton(2, true);
    veltra::BoardView view(model);
    view.show();
    view.refresh();
    if (view.grab().save(QString::fromLocal8Bit(argv[1]))) return 0;
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
}
