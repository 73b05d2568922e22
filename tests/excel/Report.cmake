# The report workbook, read back by openpyxl through a small script of its own.
moravel_add_test(test_report ${CMAKE_CURRENT_LIST_DIR}/test_report.cpp)
target_compile_definitions(test_report PRIVATE
  REPORT_READBACK_SCRIPT="${CMAKE_CURRENT_LIST_DIR}/report_readback.py")
