#pragma once
// The window's generated form (the controls of Formatka.ui, as Ui::TFormatkaOkno). Include
// this header rather than ui_Formatka.h outside src/window: a target that names
// ui_Formatka.h itself would ask its own form compiler for a form it does not have.
#include "ui_Formatka.h"
