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
