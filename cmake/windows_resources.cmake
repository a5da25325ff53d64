# The program icon, the version information from project() and the application manifest
# (per-monitor DPI awareness, common controls 6, asInvoker, long paths), linked into the
# executable.
enable_language(RC)
function(ziq_add_windows_resources target)
    set(ZIQ_RESOURCE_DIR ${PROJECT_SOURCE_DIR}/resources/windows)
    set(ZIQ_VERSION_QUAD ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
    set(ZIQ_VERSION_COMMAS ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0)
    set(ZIQ_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/generated/ziq2.manifest)
    configure_file(${ZIQ_RESOURCE_DIR}/ziq2.manifest ${ZIQ_MANIFEST} @ONLY)
    configure_file(${ZIQ_RESOURCE_DIR}/ziq2.rc.in ${CMAKE_CURRENT_BINARY_DIR}/generated/ziq2.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated/ziq2.rc)
    if(MSVC)
        # The manifest comes from the resource script; the linker's own would clash with it.
        target_link_options(${target} PRIVATE /MANIFEST:NO)
    endif()
endfunction()
