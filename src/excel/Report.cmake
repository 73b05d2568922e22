# The report workbook: libxlsxwriter writes the sheets, the chart part is generated here.
target_sources(moravel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Excel.cpp ${CMAKE_CURRENT_LIST_DIR}/Excel.h
  ${CMAKE_CURRENT_LIST_DIR}/ChartXml.cpp ${CMAKE_CURRENT_LIST_DIR}/ChartXml.h
  ${CMAKE_CURRENT_LIST_DIR}/ReportPackage.cpp ${CMAKE_CURRENT_LIST_DIR}/ReportPackage.h
)
