# The rainfall import: workbook reader, import logic and range picker.
moravel_add_test(test_import
  ${CMAKE_CURRENT_LIST_DIR}/test_import_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_import_block.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_import_picker.cpp
)
target_compile_definitions(test_import PRIVATE
  MORAVEL_IMPORT_FIXTURES="${CMAKE_CURRENT_LIST_DIR}/fixtures")
