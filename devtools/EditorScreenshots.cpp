// Takes the editor's screenshots shown in the documentation, from the real
// program on a real X display (scripts/screenshots.sh runs it under Xvfb):
//   veltra-editor-screenshots DIR [NAME.png ...]
// The program folder is the current folder, with its Veltra.ini and the
// example programs; COM1 is set to the virtual board, which the editor starts
// beside itself, and COM2 to an adapter that is not plugged in.
//
// One editor runs through the shots in the order of kShots below; each shot
// leaves the window as the next one expects it. A new shot is one function
// and one row. NAME arguments take only those shots (the earlier ones still
// run, unsaved, to bring the window where the named one needs it).

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QHelpEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>

#include <cstdio>
#include <functional>
#include <memory>

#include "app/editor/LineGutter.h"
#include "app/editor/ProgramEdit.h"
#include "app/settings/TFormConfig.h"
#include "app/shell/Translations.h"
#include "app/shell/VeltraApplication.h"
#include "app/window/TMainForm.h"
#include "devtools/ScreenDriver.h"
#include "files/ProgramFolder.h"
#include "help/THelpConsolForm.h"
#include "help/THelpForm.h"

namespace {

using namespace veltra;
using namespace veltra::shots;

class Editor {
  public:
    Editor() {
        form = std::make_unique<TMainForm>();
        helpForm = std::make_unique<THelpForm>(form.get());
        helpConsolForm = std::make_unique<THelpConsolForm>(form.get());
        form->setHelpWindows(helpForm.get(), helpConsolForm.get());
    }
    ~Editor() {
        if (!form->isClosing()) form->close();
        settle([&] { return form->isClosing() && !form->isVisible(); });
    }

    QPlainTextEdit* edit() const { return form->findChild<QPlainTextEdit*>(QStringLiteral("edit")); }
    QPlainTextEdit* console() const { return form->findChild<QPlainTextEdit*>(QStringLiteral("editConsol")); }
    QString message() const { return form->findChild<QLabel*>(QStringLiteral("stError"))->text(); }
    // A button of the window, clicked as the user clicks it.
    void click(const char* button) const { form->findChild<QPushButton*>(QLatin1String(button))->click(); }
    // F10: the other view.
    void switchView() const { QTest::keyClick(form.get(), Qt::Key_F10); }

    // The settings dialog, changed by `change` and saved.
    void saveSettings(const std::function<void(TFormConfig&)>& change) {
        whileModal([&] { click("btParam"); },
                   [&](QWidget& shown) {
                       auto& dialog = static_cast<TFormConfig&>(shown);
                       change(dialog);
                       dialog.btSaveClick();
                   });
    }

    // Enter in the console, and its answer.
    bool enter(const QString& line) {
        const int answers = console()->toPlainText().count(QStringLiteral(">>"));
        type(console(), line);
        QTest::keyClick(console(), Qt::Key_Return);
        return settle(
            [&] { return console()->toPlainText().count(QStringLiteral(">>")) > answers && !form->busy(); });
    }

    std::unique_ptr<TMainForm> form;
    std::unique_ptr<THelpForm> helpForm;
    std::unique_ptr<THelpConsolForm> helpConsolForm;
};

// The program of the marks and colours shots: three lines the live check marks.
const QString kMarkedProgram = QStringLiteral("// Кнопки и цвета: кн_1 зажигает свд_1..3,\n"
                                              "// кн_2 гасит всё, кн_3 мигает фиолетовым.\n"
                                              "метка_1:\n"
                                              "если кн_1==вкл тогда переход метка_2\n"
                                              "если кн_2==вкл тогда свд = выкл\n"
                                              "если кн_3==вкл тогда переход метка_3\n"
                                              "пауза+\n"
                                              "переход метка_1\n"
                                              "метка_2:\n"
                                              "свд_1 = к,15\n"
                                              "свд_2 = х,10\n"
                                              "свд_3 = с,5\n"
                                              "реле_1 = вкл\n"
                                              "А=А+1\n"
                                              "если А>9 тогда А=0\n"
                                              "пауза 5\n"
                                              "переход метка_1\n"
                                              "метка_3:\n"
                                              "свд = ф,7\n"
                                              "пауза**\n"
                                              "свд = выкл\n"
                                              "переход метка_4\n");

using Shoot = std::function<QPixmap(Editor&)>;

// The editor, its help windows and the virtual board at its left.
QPixmap besideEditor(const Editor& e) {
    QRect area = e.form->frameGeometry()
                     .united(e.helpForm->frameGeometry())
                     .united(e.helpConsolForm->isVisible() ? e.helpConsolForm->frameGeometry() : QRect());
    area.setLeft(0);
    return screenArea(area);
}

// The editor with the running light uploaded to the virtual board beside
// it, and the language help at its right with a topic shown.
QPixmap editorHelpBoard(Editor& e) {
    e.form->openProgramFile(QDir::current().filePath(QStringLiteral("01-running-light.txt")));
    e.click("btHelp");
    QMetaObject::invokeMethod(e.helpForm.get(), "Label4Click");
    e.form->activateWindow();
    QTimer::singleShot(0, e.form.get(), [&] { e.click("btSend"); });
    if (!settle([&] { return e.message().contains(QStringLiteral("ОК")) && !e.form->busy(); }))
        std::fprintf(stderr, "the upload did not finish: %s\n", qUtf8Printable(e.message()));
    pause(1500);
    return besideEditor(e);
}

// The same run in the console view, three commands answered.
QPixmap consoleRunning(Editor& e) {
    e.switchView();
    for (const QString& line :
         {QStringLiteral("свд_5 = ж,15"), QStringLiteral("свд_1 = к"), QStringLiteral("реле_2 = вкл")})
        e.enter(line);
    pause(500);
    return besideEditor(e);
}

// A command recalled from the history, a pasted block that stops at a line
// only a program may hold, and the console's menu.
QPixmap consoleHistoryPaste(Editor& e) {
    e.console()->setFocus();
    QTest::keyClick(e.console(), Qt::Key_Up);
    QTest::keyClick(e.console(), Qt::Key_Up);
    QTest::keyClick(e.console(), Qt::Key_Up);
    QTest::keyClick(e.console(), Qt::Key_Return);
    settle([&] { return !e.form->busy(); });
    QGuiApplication::clipboard()->setText(QStringLiteral("свд_1 = к\nреле_2 = вкл\nпауза 5\nА=5"));
    QTest::keyClick(e.console(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(e.console(), Qt::Key_Return); // the block runs line by line
    settle([&] { return !e.form->busy(); });
    pause(500);
    const QPoint at(e.console()->width() * 2 / 3, e.console()->height() * 3 / 5);
    emit e.console()->customContextMenuRequested(at);
    QPixmap shot;
    if (settle([] { return QApplication::activePopupWidget() != nullptr; })) {
        pause(300);
        shot = screenOf(*e.form);
        QApplication::activePopupWidget()->close();
    }
    e.switchView();
    return shot;
}

// Line numbers, colouring, the text colour from the settings and three
// lines marked by the live check, one of their hints open.
QPixmap editorMarks(Editor& e) {
    e.saveSettings([](TFormConfig& dialog) {
        dialog.findChild<QComboBox*>(QStringLiteral("cbTEXTcolor"))->setCurrentIndex(1); // yellow
    });
    e.form->setProgramText(kMarkedProgram);
    e.edit()->setFocus();
    e.edit()->moveCursor(QTextCursor::Start);
    type(e.edit(), QStringLiteral(" ")); // a change: the live check runs after its pause
    QTest::keyClick(e.edit(), Qt::Key_Backspace);
    auto* gutter = e.form->findChild<LineGutter*>();
    if (!gutter || !settle([&] { return gutter->firstMarkedLine() > 0; }))
        std::fprintf(stderr, "the live check marked nothing\n");
    pause(300);
    if (gutter) {
        const QTextCursor line(e.edit()->document()->findBlockByNumber(gutter->firstMarkedLine() - 1));
        const int y = e.edit()->cursorRect(line).center().y();
        const QPoint at(gutter->width() / 2, y);
        QHelpEvent help(QEvent::ToolTip, at, gutter->mapToGlobal(at));
        QCoreApplication::sendEvent(gutter, &help);
        pause(500);
    }
    const QPixmap shot = screenOf(*e.form);
    QToolTip::hideText();
    return shot;
}

// The same program in blue on white, after F8.
QPixmap editorLight(Editor& e) {
    e.saveSettings([](TFormConfig& dialog) {
        dialog.findChild<QComboBox*>(QStringLiteral("cbBGcolor"))->setCurrentIndex(2);
        dialog.findChild<QComboBox*>(QStringLiteral("cbTEXTcolor"))->setCurrentIndex(3);
    });
    e.edit()->setFocus();
    QTimer::singleShot(0, e.form.get(), [&] { e.click("btSend"); });
    pause(200);
    settle([&] { return !e.form->busy(); });
    pause(1500);
    return screenOf(*e.form);
}

// The find and replace bar.
QPixmap editorFind(Editor& e) {
    e.edit()->setFocus();
    QTest::keyClick(e.edit(), Qt::Key_H, Qt::ControlModifier);
    pause(200);
    if (QWidget* focus = QApplication::focusWidget()) type(focus, QStringLiteral("метка_"));
    pause(500);
    const QPixmap shot = screenOf(*e.form);
    if (QWidget* focus = QApplication::focusWidget()) QTest::keyClick(focus, Qt::Key_Escape);
    return shot;
}

// The settings dialog with the device list of COM1 open.
QPixmap portChooser(Editor& e) {
    QPixmap shot;
    whileModal([&] { e.click("btParam"); },
               [&](QWidget& dialog) {
                   auto* devices = dialog.findChild<QComboBox*>(QStringLiteral("cbDevice"));
                   devices->showPopup();
                   pause(500);
                   shot =
                       screenArea(dialog.frameGeometry().united(devices->view()->window()->frameGeometry()));
                   devices->hidePopup();
                   static_cast<QDialog&>(dialog).reject();
               });
    return shot;
}

// The open dialog, in Russian.
QPixmap fileDialog(Editor& e) {
    QPixmap shot;
    whileModal([&] { e.click("btLoadFromFile"); },
               [&](QWidget& dialog) {
                   shot = screenOf(dialog);
                   static_cast<QDialog&>(dialog).reject();
               });
    return shot;
}

// The print preview of the program.
QPixmap printPreview(Editor& e) {
    QPixmap shot;
    whileModal([&] { e.click("btPrintFile"); },
               [&](QWidget& dialog) {
                   pause(700);
                   shot = screenOf(dialog);
                   static_cast<QDialog&>(dialog).reject();
               });
    return shot;
}

// The message for a device that is not there: COM2 is chosen, its adapter
// is not plugged in.
QPixmap portDoctorMissing(Editor& e) {
    QPixmap shot;
    whileModal(
        [&] {
            e.saveSettings([](TFormConfig& dialog) {
                dialog.findChild<QComboBox*>(QStringLiteral("cbPortName"))->setCurrentIndex(1);
            });
        },
        [&](QWidget& box) {
            shot = screenOf(box);
            box.close();
        },
        "QMessageBox");
    return shot;
}

struct Shot {
    const char* file;
    Shoot take;
};

const Shot kShots[] = {
    {"editor-help-board.png", editorHelpBoard},
    {"console-running.png", consoleRunning},
    {"console-history-paste.png", consoleHistoryPaste},
    {"editor-marks.png", editorMarks},
    {"editor-light.png", editorLight},
    {"editor-find.png", editorFind},
    {"port-chooser.png", portChooser},
    {"file-dialog-ru.png", fileDialog},
    {"print-preview.png", printPreview},
    {"port-doctor-missing.png", portDoctorMissing},
};

} // namespace

int main(int argc, char** argv) {
    VeltraApplication app(argc, argv);
    const auto russian = installRussianQtTexts();
    if (argc < 2) {
        std::fprintf(stderr, "usage: veltra-editor-screenshots DIR [NAME.png ...]\n");
        return 64;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QStringList wanted;
    for (int i = 2; i < argc; ++i)
        wanted << QString::fromLocal8Bit(argv[i]);
    setProgramFolder(QDir::currentPath());

    int failed = 0;
    {
        Editor editor;
        QTimer unexpected;
        closeUnexpectedBoxes(unexpected);
        if (!settle(
                [&] { return !editor.form->isStarting() && editor.form->session().link().LinkAlive(); })) {
            std::fprintf(stderr, "the editor did not reach the virtual board: %s\n",
                         qUtf8Printable(editor.message()));
            return 1;
        }
        for (const Shot& shot : kShots) {
            const QString file = QString::fromLatin1(shot.file);
            std::fprintf(stderr, "%s\n", shot.file);
            const QPixmap picture = shot.take(editor);
            if (!wanted.isEmpty() && !wanted.contains(file)) continue;
            if (picture.isNull() || !picture.save(out.filePath(file))) {
                std::fprintf(stderr, "cannot take %s\n", shot.file);
                ++failed;
            } else {
                std::printf("%s\n", qPrintable(out.filePath(file)));
                std::fflush(stdout);
            }
        }
    }
    return failed == 0 ? 0 : 1;
}
