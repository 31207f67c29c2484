# The Qt layer of the in-house library: the ruled multi-line label and the window position keeper.
add_library(dvwidgets STATIC
  ${CMAKE_CURRENT_LIST_DIR}/dvLabel.h
  ${CMAKE_CURRENT_LIST_DIR}/dvLabel.cpp
)
target_include_directories(dvwidgets PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(dvwidgets PUBLIC dvtools Qt6::Widgets)
