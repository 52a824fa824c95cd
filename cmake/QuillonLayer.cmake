# quillon_layer(<target> DIR <folder> [EXCLUDE <file>...] [DEPS <target>...])
# A static library made of every .cpp in one folder (not its sub-folders), so that adding a source file
# needs no edit here.
function(quillon_layer target)
    cmake_parse_arguments(L "" "DIR" "EXCLUDE;DEPS;FILES" ${ARGN})
    if(L_FILES)
        set(sources ${L_FILES})
    else()
        file(GLOB sources CONFIGURE_DEPENDS ${L_DIR}/*.cpp)
        foreach(x IN LISTS L_EXCLUDE)
            list(REMOVE_ITEM sources ${L_DIR}/${x})
        endforeach()
    endif()
    if(NOT sources)
        set(sources ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
    endif()
    add_library(${target} STATIC ${sources})
    target_link_libraries(${target} PUBLIC ${L_DEPS})
endfunction()

# quillon_test_program(<target> DIR <folder> LIBS <target>... [GUI])
# One GoogleTest program per layer, registered with CTest as a single test (Wine start-up costs seconds).
function(quillon_test_program target)
    cmake_parse_arguments(T "" "DIR" "LIBS;EXTRA" ${ARGN})
    # Test-only resources (dialog templates for window tests) sit beside the tests as .rc files.
    file(GLOB sources CONFIGURE_DEPENDS ${T_DIR}/*.cpp ${T_DIR}/*.rc)
    add_executable(${target} ${sources} ${T_EXTRA} ${CMAKE_SOURCE_DIR}/tests/common/test_main.cpp)
    target_link_libraries(${target} PRIVATE ${T_LIBS} quillon_testsupport GTest::gtest)
    target_link_options(${target} PRIVATE -municode)
    add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
    set_tests_properties(${target} PROPERTIES TIMEOUT 900)
endfunction()

# quillon_version_resource(<file name> <description> <out var>)
# The version resource of one program (file name without .exe), made from the project version; <out var>
# receives the .rc file to compile into it.
function(quillon_version_resource name description out_var)
    set(QUILLON_FILE_NAME ${name})
    set(QUILLON_FILE_DESCRIPTION ${description})
    set(rc ${CMAKE_BINARY_DIR}/version/${name}_version.rc)
    configure_file(${CMAKE_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
    set(${out_var} ${rc} PARENT_SCOPE)
endfunction()
