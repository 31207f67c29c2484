# Tests of the Qt layer of the in-house library (label, window position keeper) and of the registry store.
skimplane_add_test(dvlabel_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/dvLabel_test.cpp LIBS dvwidgets QT)
skimplane_add_test(dvregistry_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/RegistryHive_test.cpp LIBS dvregistry)
skimplane_add_test(dvwinpos_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/dvWinPos_test.cpp LIBS dvwidgets QT)
