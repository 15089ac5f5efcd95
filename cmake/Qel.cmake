# Helpers shared by the deliverables' CMakeLists.

# qel_version_resource(<target> <file name> <description>)
# Gives a Windows target its VERSIONINFO resource.
function(qel_version_resource target file_name description)
    set(QEL_FILE_NAME ${file_name})
    set(QEL_FILE_DESCRIPTION ${description})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()

# qel_deliverable(<target> <file name> <description>)
# Names the output, adds the version resource and copies the file into dist/.
function(qel_deliverable target file_name description)
    get_filename_component(base ${file_name} NAME_WE)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${base} PREFIX "")
    qel_version_resource(${target} ${file_name} "${description}")
    if(QEL_DIST_DIR)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${CMAKE_COMMAND} -E make_directory ${QEL_DIST_DIR}
            COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}> ${QEL_DIST_DIR}/
            VERBATIM)
    endif()
endfunction()

# qel_add_test(<target> [NAME name] [ENV var=value ...] [ARGS ...])
# One CTest entry for a test program; Windows programs run under wine64.
function(qel_add_test target)
    cmake_parse_arguments(T "" "NAME" "ENV;ARGS" ${ARGN})
    if(NOT T_NAME)
        set(T_NAME ${target})
    endif()
    add_test(NAME ${T_NAME} COMMAND ${target} ${T_ARGS})
    set(env "LC_ALL=en_US.UTF-8" "LANG=en_US.UTF-8")
    list(APPEND env ${T_ENV})
    # Entries of one program never run at once: the Windows version Wine
    # reports is kept per program name.
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300 RESOURCE_LOCK ${target})
endfunction()
