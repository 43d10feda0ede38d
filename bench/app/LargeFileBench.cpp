// The largest program file the editor reads (16 MiB, some 1.5 million lines)
// in the real main window: how long the event loop stalls while it opens and
// afterwards (the live check, the recovery copy), how long until the text is
// in the editor, what the usual steps cost with it (an edit, the check, save,
// find, the end of the text), and the process's memory before opening, after
// opening and after New. A 10 ms timer stands for the window's painting and
// keys: the longest gap between its ticks is the longest stall.
//
// usage: bench_large_file [MIB]   (16 by default; Release build, offscreen)

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <malloc.h>
#include <sys/resource.h>

#include "app/editor/EditorText.h"
#include "files/Cp1251.h"
#include "app/shell/VeltraApplication.h"
#include "app/window/TMainForm.h"
#include "bench/app/FirstPaint.h"
#include "bench/app/PlainDialogs.h"
#include "bench/app/ProbeSettings.h"
#include "tests/support/MainFormPeer.h"

namespace {

using veltra::bench::residentKb;
using veltra::bench::waitUntil;

// Answers the save dialog with one file; nothing else is asked.
class SavingDialogs : public veltra::bench::PlainDialogs {
  public:
    QString savePath;
    QString saveFileName(QWidget*, const veltra::FileDialogSetup&) override { return savePath; }
};

// The longest gap between the ticks of a 10 ms timer since the last reset.
class StallWatch {
  public:
    StallWatch() {
        QObject::connect(&timer_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, clock_.restart()); });
        timer_.start(10);
        clock_.start();
    }
    void reset() {
        clock_.restart();
        longest_ = 0;
    }
    qint64 longestMs() const { return std::max(longest_, clock_.elapsed()); }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

// A program of the usual lines, Windows-1251 with CR LF, up to `bytes`.
QByteArray largeProgram(qint64 bytes, int* lines) {
    const QStringList kinds = {"метка_1:",
                               "свд_1 = ж,7",
                               "пауза=10",
                               "А=А+1",
                               "реле_1=вкл",
                               "// шаг",
                               "если кн_1==вкл тогда переход метка_1",
                               "свд = к",
                               "порт_1=01000000"};
    QByteArray program;
    program.reserve(bytes);
    QByteArray line;
    *lines = 0;
    for (int i = 0;; ++i) {
        veltra::encodeCp1251(kinds[i % kinds.size()], line);
        if (program.size() + line.size() + 2 > bytes) break;
        program += line + "\r\n";
        ++*lines;
    }
    return program;
}

void settle(int ms) {
    waitUntil([] { return false; }, ms);
}

// The GUI thread's processor time: on a machine shared with other work the
// wall clock says more about the others than about the editor.
double threadCpuMs() {
    rusage use{};
    getrusage(RUSAGE_THREAD, &use);
    return use.ru_utime.tv_sec * 1e3 + use.ru_utime.tv_usec / 1e3 + use.ru_stime.tv_sec * 1e3 +
           use.ru_stime.tv_usec / 1e3;
}

double mib(long kb) {
    return kb / 1024.0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    veltra::VeltraApplication app(argc, argv);
    const qint64 bytes = (argc > 1 ? qint64(std::max(1, atoi(argv[1]))) : 16) << 20;

    veltra::bench::ProbeSettings settings;
    if (!settings.ok()) return 1;
    QTemporaryDir folder;
    SavingDialogs dialogs;
    dialogs.savePath = folder.filePath("saved.txt");
    veltra::setUserDialogs(&dialogs);
    int lines = 0;
    const QString path = folder.filePath("large.txt");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(largeProgram(bytes, &lines)) < 0) return 1;
    }

    auto form = std::make_unique<veltra::TMainForm>();
    if (!waitUntil([&] { return !form->isStarting(); }, 10000)) return 1;
    auto* edit = form->findChild<QPlainTextEdit*>(QStringLiteral("edit"));
    settle(1000);
    const long before = residentKb();
    std::printf("%d lines, %lld bytes\n", lines, bytes);

    StallWatch stalls;
    // One step: its time, the longest stall while it ran, then the longest
    // stall in the `after` ms that follow (timers it started).
    const auto measure = [&](const char* name, const std::function<void()>& step, int after) {
        bool done = false;
        QElapsedTimer clock;
        const double cpuFrom = threadCpuMs();
        stalls.reset();
        QTimer::singleShot(0, [&] {
            clock.start();
            step();
            done = true;
        });
        waitUntil([&] { return done; }, 600000);
        const qint64 took = clock.elapsed();
        const double cpu = threadCpuMs() - cpuFrom;
        const qint64 during = stalls.longestMs();
        stalls.reset();
        const double cpuAfter = threadCpuMs();
        settle(after);
        std::printf(
            "%-24s %6lld ms (GUI thread %6.0f ms)  longest stall %6lld ms; in the %d ms after: %6lld ms "
            "(GUI thread %6.0f ms)\n",
            name, took, cpu, during, after, stalls.longestMs(), threadCpuMs() - cpuAfter);
    };

    measure(
        "open (text all in)", [&] { form->openProgramFile(path); }, 3000);
    if (veltra::countedLineCount(*edit->document()) != lines) {
        std::printf("the text did not arrive: %d lines\n", veltra::countedLineCount(*edit->document()));
        return 1;
    }
    const long opened = residentKb();
    measure(
        "to the end (Ctrl+End)", [&] { QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier); }, 500);
    measure(
        "type a character", [&] { QTest::keyClick(edit, Qt::Key_X); }, 2500);
    measure(
        "check (F5's and F8's)", [&] { veltra::test::TMainFormPeer(*form).checkProgram(); }, 500);
    measure(
        "find a missing word",
        [&] {
            QTest::keyClick(edit, Qt::Key_F, Qt::ControlModifier);
            auto* field = form->findChild<QLineEdit*>(QStringLiteral("findText"));
            field->setText(QStringLiteral("нет_такого"));
            QTest::keyClick(field, Qt::Key_Return);
            QTest::keyClick(field, Qt::Key_Escape);
        },
        500);
    measure(
        "save", [&] { veltra::test::TMainFormPeer(*form).btSaveToFileClick(); }, 2500);
    measure(
        "new", [&] { form->findChild<QPushButton*>(QStringLiteral("btNew"))->click(); }, 2500);
    const long renewed = residentKb();
    malloc_trim(0);
    std::printf(
        "memory: before %.0f MiB, after opening %.0f MiB, after New %.0f MiB (%.0f MiB once trimmed)\n",
        mib(before), mib(opened), mib(renewed), mib(residentKb()));
    form->close();
    form.reset();
    veltra::setUserDialogs(nullptr);
    return 0;
}
