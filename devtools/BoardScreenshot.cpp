// Takes a picture of the board window, to look at it (or for the documentation):
//   veltra-board-screenshot board.png [PROGRAM.txt MS]
// The board runs a program that lights every LED in another colour, sets the
// ports, a relay and the variables, and has button 2 held; or the program
// file given (Windows-1251, as the editor keeps them) for MS milliseconds of
// board time.

#include "board/BoardModel.h"
#include "board/view/BoardView.h"
#include "compiler/ProgramCheck.h"

#include <QApplication>
#include <QFile>
#include <QStringDecoder>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The words of a program file; empty when it cannot be read or checked.
std::vector<std::uint16_t> compiledFile(const char* path) {
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringDecoder cp1251("windows-1251");
    const QString text = cp1251.decode(file.readAll());
    std::vector<std::u32string> lines;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        lines.push_back(line.toStdU32String());
    }
    veltra::ProgramImage image;
    veltra::CheckReport report;
    if (veltra::buildProgram(lines, image, report) != 0) {
        std::fprintf(stderr, "%s: %s\n", path, report.message.c_str());
        return {};
    }
    return {image.words.begin(), image.words.begin() + image.count};
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: veltra-board-screenshot FILE.png [PROGRAM.txt MS]\n");
        return 64;
    }
    veltra::BoardModel model;
    const bool ownProgram = argc == 4;
    const std::vector<std::uint16_t> program =
        ownProgram ? compiledFile(argv[2])
                   : std::vector<std::uint16_t>{0xA1F1, 0xA2F2, 0xA3F3, 0xA4F4, 0xA5F5, 0xA6F6, 0xA7F7,
                                                0xA8F8, 0xA971, 0xAA32, 0xAB23, 0xAC38, 0x1A01, 0x9164,
                                                0x9207, 0xC10A, 0xC240, 0xD100, 0xAD51, 0x4201, 0xE000};
    if (program.empty() || !model.loadProgram(program)) {
        std::fprintf(stderr, "the board refused the program\n");
        return 1;
    }
    if (ownProgram) {
        // In small steps, as the window's timer runs it.
        const long ms = std::strtol(argv[3], nullptr, 10);
        for (long t = 0; t <= ms; t += 10)
            model.advance(veltra::BoardTime(t));
    } else {
        model.advance(veltra::BoardTime(0));
        model.setButton(2, true);
    }
    veltra::BoardView view(model);
    view.show();
    view.refresh();
    if (view.grab().save(QString::fromLocal8Bit(argv[1]))) return 0;
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
}
