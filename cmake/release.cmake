# The release build (make dist): the same bytes from any checkout of one commit.
# No debug information and no symbols, source and build folders mapped away
# from whatever the compiler keeps of them, and no link time in the PE header.
option(QM_REPRODUCIBLE "Build programs that do not depend on where or when they were built" OFF)
if(QM_REPRODUCIBLE)
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>"
                      "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")
  add_link_options(-s)
  if(WIN32)
    add_link_options(-Wl,--no-insert-timestamp)
  endif()
endif()

# build/.../release.txt for scripts/dist: the version, then each program of the
# release (qm_release_program) as a path, one a line.
function(qm_write_release_list)
  get_property(programs GLOBAL PROPERTY QM_RELEASE_PROGRAMS)
  set(lines "${PROJECT_VERSION}\n")
  foreach(p IN LISTS programs)
    string(APPEND lines "$<TARGET_FILE:${p}>\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/release.txt CONTENT "${lines}")
  if(programs)
    add_custom_target(release-programs DEPENDS ${programs})
  endif()
endfunction()
