# folio_embed_resources(TARGET FILES f1 f2 ...): a static library that carries the files' bytes
# and registers them with the resource registry (platform/base/resources.h) at start-up.
# Each file becomes the resource named by its file name without extension and typed by its
# extension, both upper-cased; the extensions HTM and CSS are typed HTML, as the pages ask for
# them. The bytes are written into a generated C++ file by a CMake script at build time, so no
# tool has to be built first.
#
# Nothing in a program calls into the generated object, so the library tells the linker to
# keep it (an undefined reference to its anchor function); every program that links the
# library then holds its resources.
function(folio_embed_resources target)
  cmake_parse_arguments(E "" "" "FILES" ${ARGN})
  set(manifest "")
  set(seen "")
  foreach(f ${E_FILES})
    get_filename_component(abs ${f} ABSOLUTE)
    get_filename_component(name ${abs} NAME_WLE)
    get_filename_component(ext ${abs} LAST_EXT)
    string(TOUPPER "${name}" name)
    string(TOUPPER "${ext}" type)
    string(SUBSTRING "${type}" 1 -1 type)
    if(type STREQUAL "HTM" OR type STREQUAL "CSS")
      set(type HTML)
    endif()
    if(name STREQUAL "" OR type STREQUAL "" OR NOT name MATCHES "^[A-Z0-9_.-]+$")
      message(FATAL_ERROR "folio_embed_resources: ${abs} gives no usable resource name")
    endif()
    if("${name}/${type}" IN_LIST seen)
      message(FATAL_ERROR "folio_embed_resources: ${abs} gives ${name} of type ${type} twice")
    endif()
    list(APPEND seen "${name}/${type}")
    string(APPEND manifest "${name}|${type}|${abs}\n")
    list(APPEND deps ${abs})
  endforeach()

  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_manifest.txt)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_embedded.cpp)
  set(anchor folio_resources_anchor_${target})
  # Rewritten only when its text changes, so an unchanged folder does not regenerate.
  file(CONFIGURE OUTPUT ${list_file} CONTENT "${manifest}")
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${list_file} -DOUT=${out} -DANCHOR=${anchor}
            -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/embed_resources_write.cmake
    DEPENDS ${deps} ${list_file} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/embed_resources_write.cmake
    COMMENT "Embedding the resources of ${target}"
    VERBATIM)
  add_library(${target} STATIC ${out})
  target_link_libraries(${target} PUBLIC folio_base)
  target_link_options(${target} INTERFACE "LINKER:--undefined=${anchor}")
endfunction()
