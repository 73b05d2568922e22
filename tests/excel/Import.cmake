# The rainfall import: workbook reader, import logic and range picker.
moravel_add_test(test_import
  ${CMAKE_CURRENT_LIST_DIR}/test_import_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_import_block.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_import_picker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_import_command.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_import_window.cpp
)
# The window's GUI test fixture; the readers in this process and the helper of the build tree.
target_include_directories(test_import PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../window)
target_link_libraries(test_import PRIVATE moravel_readers)
add_dependencies(test_import moravel-reader)
target_compile_definitions(test_import PRIVATE
  MORAVEL_IMPORT_FIXTURES="${CMAKE_CURRENT_LIST_DIR}/fixtures"
  MORAVEL_READER_PROGRAM="$<TARGET_FILE:moravel-reader>")

# A picture of the picker with a block marked, for the docs (not a test):
#   xvfb-run -s "-screen 0 1280x1024x24" build/tests/excel/import_picker_shot docs/import-picker.png
add_executable(import_picker_shot EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/import_picker_shot.cpp)
target_link_libraries(import_picker_shot PRIVATE moravel_ui)
add_dependencies(import_picker_shot moravel-reader)
target_compile_definitions(import_picker_shot PRIVATE
  MORAVEL_IMPORT_FIXTURES="${CMAKE_CURRENT_LIST_DIR}/fixtures"
  MORAVEL_READER_PROGRAM="$<TARGET_FILE:moravel-reader>")
