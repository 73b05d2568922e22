# The report workbook: libxlsxwriter writes the sheets, the chart part is generated here.
target_sources(moravel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Excel.cpp ${CMAKE_CURRENT_LIST_DIR}/Excel.h
  ${CMAKE_CURRENT_LIST_DIR}/ChartXml.cpp ${CMAKE_CURRENT_LIST_DIR}/ChartXml.h
  ${CMAKE_CURRENT_LIST_DIR}/ReportPackage.cpp ${CMAKE_CURRENT_LIST_DIR}/ReportPackage.h
)
# The export of a series of realisations (CSV and a workbook with a native chart).
target_sources(moravel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SeriesExport.cpp ${CMAKE_CURRENT_LIST_DIR}/SeriesExport.h
  ${CMAKE_CURRENT_LIST_DIR}/ClassicNumbers.h
)
