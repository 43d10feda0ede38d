#pragma once
// The settings dialog's generated controls, for code outside the library.

#include "ui_TFormConfig.h"
