# The generator lives with the benchmarks; its test builds it in.
target_sources(tst_generator PRIVATE ${CMAKE_SOURCE_DIR}/bench/CatalogueGenerator.cpp)
target_include_directories(tst_generator PRIVATE ${CMAKE_SOURCE_DIR}/bench)
