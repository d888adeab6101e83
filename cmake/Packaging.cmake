# Installation and the Debian package (CPack's DEB generator); scripts/package-check.sh builds
# the program and runs cpack, which gives build/package/overprint_<version>_<arch>.deb. The
# program itself is installed by src/app.
include(GNUInstallDirs)

set(OVERPRINT_APP_ID org.overprint.Overprint)
set(_packaging ${CMAKE_SOURCE_DIR}/packaging)
set(_docdir ${CMAKE_INSTALL_DATADIR}/doc/${PROJECT_NAME})

# The shipped data: the program builds a user's folder from here (core::ProgramFolder finds it
# at ../share/overprint from its own executable).
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/${PROJECT_NAME}
        PATTERN "README*" EXCLUDE)

# Desktop integration: menu entry, icon, MIME type of template packages, AppStream metadata.
install(FILES ${_packaging}/${OVERPRINT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_packaging}/${OVERPRINT_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_packaging}/${OVERPRINT_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${OVERPRINT_APP_ID}.xml)
install(FILES ${_packaging}/icons/${OVERPRINT_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(_size 16 22 24 32 48 64 128 256)
    install(FILES ${_packaging}/icons/${_size}/${OVERPRINT_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
endforeach()

# Debian wants the changelog and the manual page compressed with gzip -9n (no name, no time,
# so the package is reproducible).
function(overprint_gzip source output)
    add_custom_command(OUTPUT ${output}
                       COMMAND gzip -9n -c ${source} > ${output}
                       DEPENDS ${source} VERBATIM)
endfunction()
overprint_gzip(${_packaging}/changelog ${CMAKE_BINARY_DIR}/changelog.gz)
set(_gzipped ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${_docdir})
install(FILES ${_packaging}/copyright DESTINATION ${_docdir})
# The manual page of the command line, once it is written.
if(EXISTS ${_packaging}/${PROJECT_NAME}.1)
    overprint_gzip(${_packaging}/${PROJECT_NAME}.1 ${CMAKE_BINARY_DIR}/${PROJECT_NAME}.1.gz)
    list(APPEND _gzipped ${CMAKE_BINARY_DIR}/${PROJECT_NAME}.1.gz)
    install(FILES ${CMAKE_BINARY_DIR}/${PROJECT_NAME}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
add_custom_target(packaging_files ALL DEPENDS ${_gzipped})

# Installing (and so packing) takes what is built and does not build every target first: the
# package holds the program alone, and scripts/package-check.sh builds it before calling cpack.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "overprint maintainers <maintainers@overprint.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fills in delivery notes and prints the values onto pre-printed forms")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${_packaging}/description.txt)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries the program links come from dpkg-shlibdeps; what it loads at run time is named here:
# the SQLite driver of Qt SQL, the CJK fonts that the template faces are substituted with, and
# Qt's TIFF reader for scans.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, fonts-noto-cjk, qt6-image-formats-plugins")
# The scan room's libraries (poppler, OpenCV), libcups (the text mode's raw jobs) and Qt Charts are named after the Debian packages that hold the
# files built against: the linker drops a library the executable does not call yet (--as-needed),
# and dpkg-shlibdeps only sees what is left.
# Qt Charts (the overview's charts) is named the same way.
get_target_property(_charts_library Qt6::Charts LOCATION)
foreach(_library ${POPPLER_QT6_LINK_LIBRARIES} ${OPENCV_core_LIBRARY} ${OPENCV_imgproc_LIBRARY}
                 ${OPENCV_video_LIBRARY} ${CUPS_LIBRARIES} ${_charts_library})
    file(REAL_PATH ${_library} _file)
    execute_process(COMMAND dpkg-query -S ${_file} OUTPUT_VARIABLE _owner ERROR_QUIET
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REGEX REPLACE ":.*" "" _owner "${_owner}")
    if(_owner)
        string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${_owner}")
    endif()
endforeach()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
