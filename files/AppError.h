#pragma once
// An error at the edge of the program (a file, the settings, the port) that the
// user must be told about. Handlers let it travel up to the application's
// error box; the program then carries on.

#include <QString>
#include <stdexcept>

namespace veltra {

class AppError : public std::runtime_error {
  public:
    explicit AppError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

} // namespace veltra
