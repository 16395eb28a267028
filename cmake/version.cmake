# The project's version (project() in the top CMakeLists.txt) for the programs:
#   qm_version         a library that gives the header "quillmere_version.h"
#                      (qm::kVersion, "1.0.0"), for --version and the like
#   qm_release_program(TARGET "what it is")
#                      gives a Windows program its version resource (product
#                      "Quillmere", the version, the description) and puts it in
#                      the release; a program with an application manifest
#                      beside its resources (win32/TARGET.manifest, its
#                      assembly version written @QM_MANIFEST_VERSION@) gets it
#                      with the version as MAJOR.MINOR.PATCH.0

configure_file(${CMAKE_CURRENT_LIST_DIR}/quillmere_version.h.in
               ${CMAKE_BINARY_DIR}/generated/quillmere_version.h @ONLY)
add_library(qm_version INTERFACE)
target_include_directories(qm_version INTERFACE ${CMAKE_BINARY_DIR}/generated)

function(qm_release_program target description)
  if(NOT WIN32)
    return()
  endif()
  set(QM_RC_DESCRIPTION "${description}")
  set(QM_RC_NAME "${target}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set(manifest ${CMAKE_CURRENT_SOURCE_DIR}/win32/${target}.manifest)
  if(EXISTS ${manifest})
    # The resource compiler looks in the include folders before the resource
    # script's own, so the manifest made here is the one compiled in. The
    # folder is named by the version: a new version changes the flags and the
    # resources are compiled again.
    set(QM_MANIFEST_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
    set(folder ${CMAKE_BINARY_DIR}/generated/manifest-${QM_MANIFEST_VERSION})
    configure_file(${manifest} ${folder}/${target}.manifest @ONLY)
    target_include_directories(${target} PRIVATE $<$<COMPILE_LANGUAGE:RC>:${folder}>)
  endif()
  set_property(GLOBAL APPEND PROPERTY QM_RELEASE_PROGRAMS ${target})
endfunction()
