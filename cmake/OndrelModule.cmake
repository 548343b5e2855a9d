# ondrel_add_module(name sources...)
#
# A module that the platform loads at run time (dlopen) and unloads again:
# a program (exports WinMain) or a driver (exports its entry points). Only
# what the code marks as an entry point is visible; everything else stays
# inside the module. No "lib" prefix: the file is named after the module,
# as the platform names its programs and drivers.
function(ondrel_add_module name)
  add_library(${name} SHARED ${ARGN})
  target_link_libraries(${name} PRIVATE platform)
  # Without GNU unique symbols dlclose really unloads the module, so the
  # next load constructs its program-wide objects afresh.
  target_compile_options(${name} PRIVATE ${ONDREL_MODULE_FLAGS})
  # Every symbol must resolve against the platform at link time, not first
  # at load time on the handheld. (Clang's sanitizer runtime lives in the
  # executable, so a sanitized clang build leaves its symbols to load time.)
  if(NOT (CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND ONDREL_SANITIZE))
    target_link_options(${name} PRIVATE LINKER:-z,defs)
  endif()
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
endfunction()
