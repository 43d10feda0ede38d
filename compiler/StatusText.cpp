#include "compiler/StatusText.h"

namespace veltra {

const char* statusText(CmdStatus status) {
    switch (status) {
    case CmdStatus::BadLineStart:
        return "ОШИБКА: начало строки";
    case CmdStatus::LineTooLong:
        return "ОШИБКА: длина строки";
    case CmdStatus::BadCommand:
        return "ОШИБКА: команда";
    case CmdStatus::NoSuchCommand:
        return "ОШИБКА: недопустимая команда";
    case CmdStatus::BadParameter:
        return "ОШИБКА: параметр команды";
    case CmdStatus::Ok:
    case CmdStatus::Skip:
        break;
    }
    return "";
}

} // namespace veltra
