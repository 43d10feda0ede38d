#pragma once
// A real main window offscreen, its settings and files in a temporary folder,
// its dialogs answered by a script.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/editor/EditorText.h"
#include "app/window/TMainForm.h"
#include "files/ProgramFolder.h"
#include "help/THelpConsolForm.h"
#include "help/THelpForm.h"
#include "link/WaitTurns.h"
#include "tests/support/MainFormPeer.h"
#include "tests/support/PtyBoardPeer.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/WaitFor.h"

namespace veltra::test {

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

// A window's control by its object name; a missing one fails the test.
template <typename Widget> Widget* control(const QWidget& window, const char* name) {
    auto* widget = window.findChild<Widget*>(QLatin1String(name));
    if (!widget) throw std::runtime_error(std::string("no control ") + name);
    return widget;
}

// COM1 is a board played by the test on a pseudo-terminal; COM2 and COM3
// name devices that do not exist, so no test ever opens a real port.
class MainFormTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    PtyBoardPeer board;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<THelpForm> helpForm;
    std::unique_ptr<THelpConsolForm> helpConsolForm;

    void SetUp() override {
        setProgramFolder(dir.path());
        writeIni("");
    }

    QByteArray portsSection() const {
        return "[PORTS]\nCOM1=" + QByteArray::fromStdString(board.slavePath()) +
               "\nCOM2=" + dir.filePath("absent-COM2").toUtf8() +
               "\nCOM3=" + dir.filePath("absent-COM3").toUtf8() + "\n";
    }

    // The settings file: `keys`, then the port section.
    void writeIni(const QByteArray& keys) { writeFile(iniPath(), keys + portsSection()); }

    void TearDown() override {
        if (form && !form->isClosing()) form->close();
        helpConsolForm.reset();
        helpForm.reset();
        form.reset();
        setProgramFolder(QString());
    }

    QString iniPath() const { return dir.filePath(QStringLiteral("Veltra.ini")); }

    TMainForm& start() {
        helpConsolForm.reset();
        helpForm.reset();
        form = std::make_unique<TMainForm>();
        helpForm = std::make_unique<THelpForm>(form.get());
        helpConsolForm = std::make_unique<THelpConsolForm>(form.get());
        form->setHelpWindows(helpForm.get(), helpConsolForm.get());
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        // The port's steps follow the first paint.
        EXPECT_TRUE(waitFor([&] { return !form->isStarting(); }));
        edit()->setFocus();
        return *form;
    }

    // One full second of the window's timer, run by hand: the timer itself is
    // stopped, so that nothing else runs the once-a-second work meanwhile.
    void runOneSecond() {
        timer()->stop();
        for (int i = 0; i < 10; ++i)
            peer().TmTimer();
    }

    // The window's handlers and parts its buttons, keys and timer reach.
    TMainFormPeer peer() const { return TMainFormPeer(*form); }

    void setEditorText(const QString& text) {
        // Taken as the unchanged state, as after opening a file.
        form->setProgramText(text);
    }

    // The window's controls, found by their names as a user finds them by sight.
    QPlainTextEdit* edit() const { return control<QPlainTextEdit>(*form, "edit"); }
    QPlainTextEdit* editConsol() const { return control<QPlainTextEdit>(*form, "editConsol"); }
    QPushButton* button(const char* name) const { return control<QPushButton>(*form, name); }
    QLabel* label(const char* name) const { return control<QLabel>(*form, name); }
    QTimer* timer() const { return form->findChild<QTimer*>(QStringLiteral("Tm")); }

    QString message() const { return label("stError")->text(); }
    // Status bar panel 0 (port), 1 (link) or 2 (clock), and its tooltip.
    QLabel* panel(int index) const {
        return control<QLabel>(*form, ("stBarPanel" + std::to_string(index)).c_str());
    }
    QColor messageColour() const { return label("stError")->palette().color(QPalette::WindowText); }
    QWidget* focused() const { return form->focusWidget(); }

    // The window's waits, where a test acts as the user at a given turn.
    WaitTurns& turns() const { return form->session().turns(); }
    // What the window and its port have waited, on their turns' clocks
    // (WaitTurns::WaitedMs): a measure that a loaded machine does not move.
    std::int64_t waitedMs() const { return turns().WaitedMs() + form->session().portTurns().WaitedMs(); }

    // Closes the window once its waits have run `ms` more of that clock.
    // `closedAt` is that clock once the close has run.
    void closeAfterWaiting(int ms) {
        const std::int64_t from = waitedMs();
        auto* watch = new QTimer(form.get());
        QObject::connect(watch, &QTimer::timeout, form.get(), [this, watch, from, ms] {
            if (waitedMs() - from < ms) return;
            watch->stop();
            form->close();
            closedAt = waitedMs();
        });
        watch->start(1);
    }
    std::int64_t closedAt = -1;

    // Types any text, Cyrillic included, one key press per character.
    static void type(QWidget* widget, const QString& text) {
        for (QChar c : text) {
            QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
};

} // namespace veltra::test
