# The rainfall import.
# - moravel_core: the workbook's cells, ReadWorkbook (which runs the helper) and the import's
#   logic on plain values;
# - moravel_readers: the readers of .xls (freexl), .xlsx/.ods (liborcus) and CSV, which run
#   only inside the helper program moravel-reader (and in the tests and fuzz targets);
# - moravel_ui: the range picker dialog and the window's command.
target_sources(moravel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Workbook.cpp ${CMAKE_CURRENT_LIST_DIR}/Workbook.h
  ${CMAKE_CURRENT_LIST_DIR}/WorkbookProcess.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImportBlock.cpp ${CMAKE_CURRENT_LIST_DIR}/ImportBlock.h
)
target_sources(moravel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/RangePicker.cpp ${CMAKE_CURRENT_LIST_DIR}/RangePicker.h
  ${CMAKE_CURRENT_LIST_DIR}/ExcelImport.cpp ${CMAKE_CURRENT_LIST_DIR}/ExcelImport.h
  ${CMAKE_CURRENT_LIST_DIR}/ExcelImportWindow.cpp
)

add_library(moravel_readers STATIC
  ${CMAKE_CURRENT_LIST_DIR}/WorkbookReaders.cpp ${CMAKE_CURRENT_LIST_DIR}/WorkbookReaders.h
  ${CMAKE_CURRENT_LIST_DIR}/XlsWorkbook.cpp ${CMAKE_CURRENT_LIST_DIR}/XlsWorkbook.h
  ${CMAKE_CURRENT_LIST_DIR}/XlsRecords.cpp ${CMAKE_CURRENT_LIST_DIR}/XlsRecords.h
  ${CMAKE_CURRENT_LIST_DIR}/CsvWorkbook.cpp ${CMAKE_CURRENT_LIST_DIR}/CsvWorkbook.h
  ${CMAKE_CURRENT_LIST_DIR}/SpreadsheetArchive.cpp ${CMAKE_CURRENT_LIST_DIR}/SpreadsheetArchive.h
  ${CMAKE_CURRENT_LIST_DIR}/OrcusWorkbook.cpp ${CMAKE_CURRENT_LIST_DIR}/OrcusWorkbook.h
)
target_link_libraries(moravel_readers PUBLIC moravel_core
  PRIVATE PkgConfig::FREEXL PkgConfig::MINIZIP PkgConfig::ORCUS)
target_compile_options(moravel_readers PRIVATE -Wall -Wextra)

# The helper sits beside the program in the build tree and in libexec/moravel when installed.
add_executable(moravel-reader ${CMAKE_CURRENT_LIST_DIR}/ReaderMain.cpp)
target_link_libraries(moravel-reader PRIVATE moravel_readers)
set_target_properties(moravel-reader PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/src)
include(GNUInstallDirs)
install(TARGETS moravel-reader RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/moravel)
