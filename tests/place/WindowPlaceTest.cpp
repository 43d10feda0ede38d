// The four places of the program's windows, on screens of every shape the
// users have: each keeps its rule (centred, docked, beside, never over the
// editor) and stays on the screen, and the board, which works out the
// editor's place in another process, finds the editor where it stands.

#include <gtest/gtest.h>

#include <QMargins>
#include <QRect>

#include <cstdlib>
#include <set>
#include <string>

#include "place/WindowPlace.h"

namespace veltra {
namespace {

std::string shown(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height());
}

// The frame's middle at most a pixel off the screen's (rounding): the gaps on
// either side differ by at most two.
bool centredAcross(const QRect& frame, const QRect& screen) {
    return std::abs((frame.left() - screen.left()) - (screen.right() - frame.right())) <= 2;
}
bool centredDown(const QRect& frame, const QRect& screen) {
    return std::abs((frame.top() - screen.top()) - (screen.bottom() - frame.bottom())) <= 2;
}

TEST(WindowPlace, EveryWindowKeepsItsRuleAndTheScreenOnEveryScreen) {
    const QSize editorInner(642, 607);
    const QSize runWindow(830, 560);
    const QSize boardPreferred(614, 473), boardMinimum(458, 473);
    const struct {
        const char* what;
        QRect screen;
        bool boardBeside;   // room left of the centred editor for the board's smallest frame
        bool runBothWidths; // room for the editor and the run window side by side
    } screens[] = {
        {"1920 x 1080", {0, 0, 1920, 1080}, true, true},
        {"1600 x 900", {0, 0, 1600, 900}, true, true},
        {"just wide enough for the board", {0, 0, 1592, 900}, true, true},
        {"just too narrow for the board", {0, 0, 1580, 900}, false, true},
        {"a top bar", {0, 32, 1920, 1048}, true, true},
        {"a left dock", {70, 27, 1850, 1053}, true, true},
        {"a second screen", {1920, 0, 1920, 1040}, true, true},
        {"1366 x 768", {0, 0, 1366, 768}, false, false},
        {"odd sizes", {0, 0, 1365, 767}, false, false},
        {"lower than the windows", {0, 0, 1920, 400}, true, true},
    };
    // Offscreen windows have no frame; a window manager adds a title bar and borders.
    const QMargins framings[] = {{0, 0, 0, 0}, {1, 22, 1, 1}};

    std::set<int> boardGaps;
    for (const auto& s : screens) {
        for (const QMargins& m : framings) {
            SCOPED_TRACE(std::string(s.what) + ", title bar " + std::to_string(m.top()));
            const QRect& screen = s.screen;

            // The main window: centred, on the screen where it fits.
            const QRect editor = centredFrame(screen, editorInner.grownBy(m));
            EXPECT_TRUE(centredAcross(editor, screen) && centredDown(editor, screen)) << shown(editor);
            EXPECT_EQ(editor.size(), editorInner.grownBy(m));
            if (editor.height() <= screen.height()) {
                EXPECT_TRUE(screen.contains(editor)) << shown(editor);
            }

            // The help windows: one pixel right of the main window, tops level.
            const QPoint help = dockedRight(editor);
            EXPECT_EQ(help.x() - editor.right(), 2);
            EXPECT_EQ(help.y(), editor.top());

            // The board, placed by another process that knows only the
            // editor's inner width: left of the editor's real frame, never
            // over it, as wide as it prefers unless the screen's edge cuts it.
            const BoardPlace board =
                placeBesideEditor(screen, editorInner.width(), m, boardPreferred, boardMinimum);
            const QRect& b = board.frame;
            EXPECT_EQ(board.beside, s.boardBeside) << shown(b);
            EXPECT_EQ(b.height(), boardPreferred.height() + m.top() + m.bottom());
            EXPECT_GE(b.width(), boardMinimum.width() + m.left() + m.right());
            EXPECT_LE(b.width(), boardPreferred.width() + m.left() + m.right());
            EXPECT_GE(b.left(), screen.left());
            EXPECT_GE(b.top(), screen.top());
            if (b.height() <= screen.height()) {
                EXPECT_TRUE(centredDown(b, screen)) << shown(b);
            }
            if (board.beside) {
                EXPECT_LT(b.right(), editor.left()) << shown(b) << " editor " << shown(editor);
                boardGaps.insert(editor.left() - b.right());
                if (b.width() < boardPreferred.width() + m.left() + m.right()) {
                    EXPECT_EQ(b.left(), screen.left()) << "narrower only where the screen ends";
                }
            } else {
                EXPECT_EQ(b.left(), screen.left());
                EXPECT_EQ(b.width(), boardMinimum.width() + m.left() + m.right());
            }

            // The run window, beside the editor wherever the user left it.
            const QSize run = runWindow.grownBy(m);
            const QRect editors[] = {
                editor,
                {screen.topLeft(), editor.size()},
                {QPoint(screen.right() + 1 - editor.width(), screen.top()), editor.size()},
                {QPoint(screen.left(), screen.bottom() + 1 - editor.height() / 2), editor.size()},
                // Neither side has room, the left one only just not.
                {QPoint(screen.left() + run.width() - 10, screen.top() + 50), editor.size()},
            };
            for (const QRect& e : editors) {
                SCOPED_TRACE("editor at " + shown(e));
                const BesidePlace place = besidePlace(e, run, screen);
                const QRect w(place.window, run);
                const QRect movedEditor(place.editor.value_or(e.topLeft()), e.size());
                EXPECT_EQ(s.runBothWidths, !w.intersects(movedEditor)) << shown(w);
                EXPECT_GE(w.left(), screen.left());
                EXPECT_GE(w.top(), screen.top());
                if (s.runBothWidths) {
                    EXPECT_TRUE(w.left() == movedEditor.right() + 1 || w.right() + 1 == movedEditor.left())
                        << "stands right beside the editor: " << shown(w);
                    EXPECT_LE(w.right(), screen.right());
                }
                if (place.editor) {
                    const bool neitherSide =
                        e.right() + run.width() > screen.right() && e.left() - run.width() < screen.left();
                    EXPECT_TRUE(neitherSide) << "the editor moves only when neither side has room";
                    EXPECT_EQ(*place.editor, QPoint(screen.left(), e.top()));
                }
                // Level with the editor, unless that would take it off the screen.
                if (w.top() != e.top()) {
                    EXPECT_TRUE(w.bottom() == screen.bottom() || w.top() == screen.top()) << shown(w);
                }
            }
        }
    }
    EXPECT_EQ(boardGaps.size(), 1u) << "the board stands the same few pixels from the editor on every screen";
}

} // namespace
} // namespace veltra
