# The guide's test runs scripts/screenshots.sh once with the photographer of this build.
target_compile_definitions(tst_guida PRIVATE PROJECT_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                             SCHERMATE_PATH="$<TARGET_FILE:schermate>")
add_dependencies(tst_guida schermate)
