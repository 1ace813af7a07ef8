# The suites that touch the catalogue run a second time on a server catalogue
# when a test server is given (scripts/test.sh starts one): the same executable,
# registered as NAME_server, with CATALOGO_DI_PROVA=server, where each test
# catalogue is a new database on the server. Cases that break the catalogue
# file itself skip there.
#
# Every suite of these folders runs on both engines: the store and the engines,
# the window registry, and the window families that read and write the catalogue.
set(SERVER_SUITE_FOLDERS core/catalogue core/engines core/export gui gui/mainwindow gui/search gui/browse gui/service)

# A suite of those folders that stays on the catalogue file says why here.
set_source_files_properties(core/catalogue/tst_backup.cpp PROPERTIES
  CATALOGUE_FILE_ONLY "backup copies of the catalogue file; a server's are its administrator's")
set_source_files_properties(core/catalogue/tst_restore.cpp PROPERTIES
  CATALOGUE_FILE_ONLY "puts a backup copy in place of the catalogue file")
set_source_files_properties(core/catalogue/tst_diagnosis.cpp PROPERTIES
  CATALOGUE_FILE_ONLY "damaged, cut short and read-only catalogue files")
set_source_files_properties(core/catalogue/tst_storeimport.cpp PROPERTIES
  CATALOGUE_FILE_ONLY "fills a new catalogue file, as the Access conversion does; tst_servercopy copies to a server")
set_source_files_properties(core/engines/tst_database.cpp PROPERTIES
  CATALOGUE_FILE_ONLY "the SQLite file's own statements, counters and files that are not catalogues")
set_source_files_properties(core/engines/tst_searchindex.cpp PROPERTIES
  CATALOGUE_FILE_ONLY "the file's search index against the sqlite3 shell")
set_source_files_properties(gui/tst_layouts.cpp PROPERTIES
  CATALOGUE_FILE_ONLY "the windows' geometry, the same on either engine")
set_source_files_properties(gui/mainwindow/tst_pictures.cpp PROPERTIES
  CATALOGUE_FILE_ONLY "the program's pictures; no catalogue")
set_source_files_properties(gui/search/tst_columnwidths.cpp PROPERTIES
  CATALOGUE_FILE_ONLY "column widths in CINFIG.INI; no catalogue")
set_source_files_properties(gui/service/tst_servicewindow.cpp PROPERTIES
  CATALOGUE_FILE_ONLY "each action first copies the catalogue file; on a server the window makes no copies")

if(DEFINED ENV{RUDOZUZURIVAZ_TEST_SERVER})
  foreach(source ${TEST_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    get_filename_component(folder ${source} DIRECTORY)
    file(RELATIVE_PATH folder ${CMAKE_CURRENT_SOURCE_DIR} ${folder})
    get_source_file_property(fileOnly ${source} CATALOGUE_FILE_ONLY)
    if(folder IN_LIST SERVER_SUITE_FOLDERS AND NOT fileOnly)
      add_test(NAME ${name}_server COMMAND ${name})
      set_tests_properties(${name}_server PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;CATALOGO_DI_PROVA=server;${SANITIZER_TEST_ENVIRONMENT}"
        TIMEOUT 600)
    endif()
  endforeach()
endif()
