# Precompiled Qt headers: parsing them was most of each file's compile time. Three donors
# (window-free code, windows, and tests in tests/) each precompile one header that every target of their kind
# reuses, instead of one per target. A donor links only the Qt modules its headers need: GCC
# takes a precompiled header only where every macro it was made with (QT_WIDGETS_LIB, ...) is
# defined the same, and the targets that reuse it may define more.
set(_pch_core <algorithm> <functional> <memory> <vector> <QByteArray> <QDate> <QDateTime> <QDir>
    <QFile> <QFileInfo> <QHash> <QList> <QMap> <QObject> <QRegularExpression> <QSet> <QSqlQuery>
    <QString> <QStringList> <QVariant> <QVector>)
set(_pch_ui ${_pch_core} <QApplication> <QCheckBox> <QComboBox> <QDialog> <QGridLayout>
    <QHBoxLayout> <QHeaderView> <QLabel> <QLineEdit> <QMenu> <QPainter> <QPushButton> <QTableView>
    <QVBoxLayout> <QWidget>)
function(overprint_pch_donor name)
    cmake_parse_arguments(ARG "" "" "LINKS;HEADERS" ${ARGN})
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/pch/${name}.cpp CONTENT "")
    add_library(${name} STATIC ${CMAKE_BINARY_DIR}/pch/${name}.cpp)
    target_link_libraries(${name} PRIVATE overprint_options ${ARG_LINKS})
    set_target_properties(${name} PROPERTIES AUTOMOC OFF)
    target_precompile_headers(${name} PRIVATE ${ARG_HEADERS})
endfunction()
overprint_pch_donor(overprint_pch_core LINKS Qt6::Core Qt6::Gui Qt6::Sql HEADERS ${_pch_core})
overprint_pch_donor(overprint_pch_ui LINKS Qt6::Core Qt6::Gui Qt6::Sql Qt6::Widgets HEADERS ${_pch_ui})

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
        if(name MATCHES "_ui$" OR name STREQUAL "program")
            target_precompile_headers(${name} REUSE_FROM overprint_pch_ui)
        else()
            target_precompile_headers(${name} REUSE_FROM overprint_pch_core)
        endif()
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
    target_precompile_headers(${name} REUSE_FROM overprint_pch_tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;OVERPRINT_DB_NOSYNC=1;OVERPRINT_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data"
        TIMEOUT 900)
endfunction()
