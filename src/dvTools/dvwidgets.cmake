# The Qt layer of the in-house library (the ruled multi-line label, the window position keeper) and the
# registry store the keeper uses where there is no system registry.
add_library(dvregistry STATIC
  ${CMAKE_CURRENT_LIST_DIR}/RegistryHive.h
  ${CMAKE_CURRENT_LIST_DIR}/RegistryHive.cpp
)
target_include_directories(dvregistry PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(dvregistry PUBLIC dvtools)

add_library(dvwidgets STATIC
  ${CMAKE_CURRENT_LIST_DIR}/dvLabel.h
  ${CMAKE_CURRENT_LIST_DIR}/dvLabel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dvWinPos.h
  ${CMAKE_CURRENT_LIST_DIR}/dvWinPos.cpp
)
target_include_directories(dvwidgets PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(dvwidgets PUBLIC dvtools dvregistry Qt6::Widgets)
