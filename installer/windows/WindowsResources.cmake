# The Windows resources of the wizard (icon, manifest, version information) as a source of
# `target`, generated from the project() version. The Qt build adds them to the executable;
# the Qt-free Windows build adds them to a test program that reads them back, so that a broken
# resource fails there too.
function(vormatic_windows_resources target)
    set(folder ${PROJECT_SOURCE_DIR}/installer/windows)
    set(generated ${PROJECT_BINARY_DIR}/generated/installer)
    set(VORMATIC_ICON ${PROJECT_SOURCE_DIR}/pages/art/rendered/program-icon.ico)
    set(VORMATIC_MANIFEST ${generated}/vormatic-installer.manifest)
    configure_file(${folder}/vormatic-installer.manifest ${VORMATIC_MANIFEST} @ONLY)
    configure_file(${folder}/vormatic-installer.rc.in ${generated}/vormatic-installer.rc @ONLY)
    target_sources(${target} PRIVATE ${generated}/vormatic-installer.rc)
    set_property(SOURCE ${generated}/vormatic-installer.rc APPEND PROPERTY OBJECT_DEPENDS
                 ${VORMATIC_ICON} ${VORMATIC_MANIFEST})
endfunction()
