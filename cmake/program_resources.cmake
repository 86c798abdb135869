# tolvane_program_resources(TARGET DESCRIPTION [MANIFEST file])
# Gives a shipped program its version resource, from cmake/version.rc.in: the
# product name "Tolvane", its own file description and the release version,
# PROJECT_VERSION. A program with visible windows also takes the manifest
# that draws its controls with common controls 6; the others go without, as
# a manifest costs every start time.
function(tolvane_program_resources target description)
    cmake_parse_arguments(R "" "MANIFEST" "" ${ARGN})
    set(TOLVANE_PROGRAM ${target})
    set(TOLVANE_DESCRIPTION ${description})
    set(TOLVANE_MANIFEST_LINE "")
    set(depends "")
    if(R_MANIFEST)
        set(TOLVANE_MANIFEST_LINE
            "CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST \"${R_MANIFEST}\"")
        set(depends ${R_MANIFEST})
    endif()
    set(rc ${CMAKE_BINARY_DIR}/resources/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
    if(depends)
        set_source_files_properties(${rc} TARGET_DIRECTORY ${target}
            PROPERTIES OBJECT_DEPENDS "${depends}")
    endif()
endfunction()
