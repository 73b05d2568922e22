#pragma once
// The window's command "Importuj z Excela": the rainfall import of import/ExcelImport.h on the
// window's open dialog and rainfall table, with the picker dialog over the window.
#include "import/ExcelImport.h"

class TFormatkaOkno;

namespace moravel::window {

// The import on the window's open dialog
// `OpenDialogImportExcela`, its hour count `Edit_Liczba_godzin_opadu` (set through SetText,
// so the hour-count rule runs exactly when the text changes) and column 1 of `Tabela_Opad`,
// with the picker dialog over the window. Errors are thrown for the window's Guarded.
void ImportRainfallFromExcel(TFormatkaOkno& window);
// The same with another picker.
void ImportRainfallFromExcel(TFormatkaOkno& window, import::RangePicker& picker);

}  // namespace moravel::window
