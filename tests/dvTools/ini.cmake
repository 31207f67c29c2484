# The in-house INI library: string tools, tree list, document and text format.
skimplane_add_test(dvtree_tests SOURCES dvTreeList_test.cpp LIBS dvtools)
skimplane_add_test(dvstr_tests SOURCES dvStrTools_test.cpp LIBS dvtools)
skimplane_add_test(dvini_tests SOURCES dvIniTools_test.cpp dvIniFormat_test.cpp LIBS dvtools)
