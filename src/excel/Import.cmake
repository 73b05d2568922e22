# The rainfall import: the workbook reader and the import's logic on plain values (core),
# the range picker dialog and the window's command (ui).
target_sources(moravel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/XlsWorkbook.cpp ${CMAKE_CURRENT_LIST_DIR}/XlsWorkbook.h
  ${CMAKE_CURRENT_LIST_DIR}/XlsRecords.cpp ${CMAKE_CURRENT_LIST_DIR}/XlsRecords.h
  ${CMAKE_CURRENT_LIST_DIR}/ImportBlock.cpp ${CMAKE_CURRENT_LIST_DIR}/ImportBlock.h
)
target_sources(moravel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/RangePicker.cpp ${CMAKE_CURRENT_LIST_DIR}/RangePicker.h
  ${CMAKE_CURRENT_LIST_DIR}/ExcelImport.cpp ${CMAKE_CURRENT_LIST_DIR}/ExcelImport.h
  ${CMAKE_CURRENT_LIST_DIR}/ExcelImportWindow.cpp
)
