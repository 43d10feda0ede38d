#pragma once
// The main window's generated controls (ui->edit, ui->stError, ...), for code
// outside the application's own library that works on the window.

#include "ui_TMainForm.h"
