# The install test runs scripts/install.sh on this build: the program and the tool
# are built before it.
target_compile_definitions(tst_install PRIVATE PROJECT_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                               PROJECT_BUILD_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(tst_install rudozuzurivaz crea_catalogo)
