# Several copies of the program inserting into one catalogue: a small program of
# the core plays each copy, tst_store starts them side by side.
add_executable(inserisci_in_parallelo ${CMAKE_CURRENT_SOURCE_DIR}/core/catalogue/helpers/inserisci_in_parallelo.cpp)
target_link_libraries(inserisci_in_parallelo PRIVATE catalogue_core)
target_compile_definitions(tst_store PRIVATE INSERTER="$<TARGET_FILE:inserisci_in_parallelo>")
add_dependencies(tst_store inserisci_in_parallelo)
