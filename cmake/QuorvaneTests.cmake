# One helper registers every test binary: GoogleTest cases become CTest tests with a label.
find_package(GTest REQUIRED)
include(GoogleTest)

# quorvane_add_test_binary(NAME <target> LABEL <label> SOURCES <files...> LIBS <libs...>)
function(quorvane_add_test_binary)
    cmake_parse_arguments(T "" "NAME;LABEL" "SOURCES;LIBS" ${ARGN})
    if(NOT T_SOURCES)
        return()
    endif()
    # Every binary carries the hang watch: a stuck test ends with its threads' stacks.
    add_executable(${T_NAME} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/HangWatch.cpp)
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_options(${T_NAME} PRIVATE ${QUORVANE_WARNINGS})
    target_compile_definitions(${T_NAME} PRIVATE
        QUORVANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QUORVANE_BINARY_DIR="${CMAKE_BINARY_DIR}")
    if(T_LABEL MATCHES "^(gui|dbus|x11|bench)$")
        set_target_properties(${T_NAME} PROPERTIES AUTOMOC ON)
    endif()
    gtest_discover_tests(${T_NAME} PROPERTIES LABELS ${T_LABEL} DISCOVERY_TIMEOUT 60)
endfunction()
