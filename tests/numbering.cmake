# Several copies of the program inserting into one catalogue: a small program of
# the core plays each copy, tst_store starts them side by side.
add_executable(inserisci_in_parallelo ${CMAKE_CURRENT_SOURCE_DIR}/core/catalogue/helpers/inserisci_in_parallelo.cpp)
target_link_libraries(inserisci_in_parallelo PRIVATE catalogue_core)
target_compile_definitions(tst_store PRIVATE INSERTER="$<TARGET_FILE:inserisci_in_parallelo>")
add_dependencies(tst_store inserisci_in_parallelo)

# The store's suite, and the windows that read and write the catalogue, once
# more on a server catalogue when a test server is given (scripts/test.sh starts
# one): the same tests, CATALOGO_DI_PROVA=server. Cases that break the catalogue
# file itself skip there.
if(DEFINED ENV{RUDOZUZURIVAZ_TEST_SERVER})
  foreach(name tst_store tst_documentcounter tst_servercopy tst_mainwindow tst_insertion tst_deletion tst_lookuplists
               tst_lookupmaintenance tst_searchwindow tst_browsewindow tst_reportpreview tst_GridListing tst_rowsourcemodel)
    add_test(NAME ${name}_server COMMAND ${name})
    set_tests_properties(${name}_server PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;CATALOGO_DI_PROVA=server;${SANITIZER_TEST_ENVIRONMENT}"
      TIMEOUT 600)
  endforeach()
endif()
