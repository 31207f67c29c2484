# Pure C++ core of the in-house library: errors, the safe file writer, string tools, tree list, INI document.
add_library(dvtools STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AtomicFileWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BoundedRead.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dvStrTools.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dvTreeList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dvIniTools.cpp
)
target_include_directories(dvtools PUBLIC ${CMAKE_SOURCE_DIR}/src)
