# One static library per source folder, its files found by glob so that adding a class
# never means editing a list kept by hand. A folder that holds no sources yet becomes an
# interface library, so that targets can already name it.
function(overprint_folder_library name dir)
    cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
    file(GLOB _sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    file(GLOB _cpp CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(_cpp)
        add_library(${name} STATIC ${_sources})
        target_link_libraries(${name} PUBLIC overprint_options ${ARG_LINKS})
    else()
        add_library(${name} INTERFACE)
        target_link_libraries(${name} INTERFACE overprint_options ${ARG_LINKS})
    endif()
endfunction()

# One QtTest executable per folder of tests; every *.cpp in it is one test class that
# registers itself with the shared test main (tests/support/TestMain.cpp).
function(overprint_folder_tests name dir)
    cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
    file(GLOB _sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    if(NOT _sources)
        return()
    endif()
    add_executable(${name} ${_sources})
    target_link_libraries(${name} PRIVATE test_support ${ARG_LINKS} Qt6::Test)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;OVERPRINT_DB_NOSYNC=1;OVERPRINT_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data"
        TIMEOUT 900)
endfunction()
