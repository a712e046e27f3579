# The Windows build against the static Qt that scripts/build-qt-windows.sh makes (configure
# with PREFIX/bin/qt-cmake). A static Qt links its platform plugins into each program, so
# every Qt program names the ones it may run on: the Windows platform for the user's desktop,
# the offscreen platform for the tests under Wine.
function(vormatic_qt_platform_plugins target)
    if(NOT WIN32)
        return()
    endif()
    get_target_property(qt_core_type Qt6::Core TYPE)
    if(qt_core_type STREQUAL "STATIC_LIBRARY")
        qt_import_plugins(${target} INCLUDE Qt6::QWindowsIntegrationPlugin
                          Qt6::QOffscreenIntegrationPlugin)
    endif()
endfunction()

# libtelnet for Windows: built by scripts/build-qt-windows.sh from its source package with the
# same compilers, installed beside Qt (PREFIX/lib/libtelnet.a, PREFIX/include/libtelnet.h).
# Defines the target vormatic::libtelnet, or stops with the reason when it is not there.
function(vormatic_find_windows_libtelnet)
    if(TARGET vormatic::libtelnet)
        return()
    endif()
    set(qt_prefix "${QT6_INSTALL_PREFIX}")
    find_path(VORMATIC_LIBTELNET_INCLUDE_DIR libtelnet.h PATHS "${qt_prefix}/include"
              NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    find_library(VORMATIC_LIBTELNET_LIBRARY NAMES libtelnet.a telnet PATHS "${qt_prefix}/lib"
                 NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(NOT VORMATIC_LIBTELNET_INCLUDE_DIR OR NOT VORMATIC_LIBTELNET_LIBRARY)
        message(FATAL_ERROR
            "libtelnet for Windows is missing: ${qt_prefix}/lib/libtelnet.a and "
            "${qt_prefix}/include/libtelnet.h are not both there. scripts/build-qt-windows.sh "
            "builds it beside Qt from the libtelnet source package, and says so when that "
            "package cannot be fetched.")
    endif()
    add_library(vormatic::libtelnet STATIC IMPORTED GLOBAL)
    set_target_properties(vormatic::libtelnet PROPERTIES
        IMPORTED_LOCATION "${VORMATIC_LIBTELNET_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${VORMATIC_LIBTELNET_INCLUDE_DIR}")
endfunction()
