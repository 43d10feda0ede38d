#pragma once
// The printed form of a program: each page has the file's name and the date
// at its head and "Страница N из M" at its foot; the lines follow in a
// fixed-width font with their numbers, and a line wider than the page goes on
// in the next row without a number.

#include <QDateTime>
#include <QString>
#include <QStringList>

class QPrinter;

namespace veltra {

struct PrintJob {
    QString title; // the file's name
    QDateTime when;
    QStringList lines;
};

// Paints `job` on `printer`; false when the printer could not be started
// (a PDF file that cannot be created).
bool printProgram(QPrinter& printer, const PrintJob& job);

} // namespace veltra
