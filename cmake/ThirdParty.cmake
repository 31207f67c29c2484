# CLI11 (header only) and GoogleTest, installed or from the folders the cache names.
find_package(CLI11 CONFIG QUIET)
if(NOT TARGET CLI11::CLI11 AND SKIMPLANE_CLI11_HEADERS)
  # Only the CLI folder is made visible, never the rest of the folder it sits in (a cross build must not
  # see the build machine's C library headers).
  set(cli11_include ${CMAKE_BINARY_DIR}/cli11-include)
  file(MAKE_DIRECTORY ${cli11_include})
  file(CREATE_LINK ${SKIMPLANE_CLI11_HEADERS}/CLI ${cli11_include}/CLI SYMBOLIC)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${cli11_include})
endif()

enable_testing()
if(SKIMPLANE_GTEST_SOURCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${SKIMPLANE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)
