# ondrel_add_resources(target rcfile [DEPENDS files...] [INCLUDES dirs...])
#
# Compiles a program module's resource script to a standard .res file and
# puts it next to the module as "<module file>.res", where the platform's
# resource calls (LoadStringW, LoadBitmapW, FindResourceW...) look for it.
# The script is preprocessed with the C preprocessor (RC_INVOKED defined,
# the script's folder and the platform's headers on the include path);
# DEPENDS names the headers, pictures and icons it uses, so that changing
# one rebuilds the .res. INCLUDES adds folders where the compiler looks for
# headers and for the files that the script names (pictures, icons).
find_program(ONDREL_WINDRES x86_64-w64-mingw32-windres
  DOC "resource compiler (Debian package binutils-mingw-w64-x86-64)")

function(ondrel_add_resources target rcfile)
  cmake_parse_arguments(PARSE_ARGV 2 RES "" "" "DEPENDS;INCLUDES")
  if(NOT ONDREL_WINDRES)
    message(FATAL_ERROR "ondrel_add_resources(${target}): x86_64-w64-mingw32-windres not found; "
                        "install binutils-mingw-w64-x86-64 (scripts/deps)")
  endif()
  get_filename_component(rc "${rcfile}" ABSOLUTE)
  get_filename_component(rcdir "${rc}" DIRECTORY)
  # Next to the module file: the module's folder and file name are known
  # here (ondrel_add_module builds "<name>.so" in the current binary
  # folder unless the target says otherwise).
  get_target_property(dir ${target} LIBRARY_OUTPUT_DIRECTORY)
  if(NOT dir)
    set(dir "${CMAKE_CURRENT_BINARY_DIR}")
  endif()
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  get_target_property(prefix ${target} PREFIX)
  if(prefix STREQUAL "prefix-NOTFOUND")
    set(prefix "${CMAKE_SHARED_LIBRARY_PREFIX}")
  endif()
  set(res "${dir}/${prefix}${name}${CMAKE_SHARED_LIBRARY_SUFFIX}.res")
  set(includes "-I${rcdir}" "-I${CMAKE_SOURCE_DIR}/platform/include")
  foreach(extra IN LISTS RES_INCLUDES)
    list(APPEND includes "-I${extra}")
  endforeach()
  add_custom_command(
    OUTPUT "${res}"
    COMMAND "${ONDREL_WINDRES}" --preprocessor=cpp -DRC_INVOKED ${includes} -O res "${rc}" "${res}"
    WORKING_DIRECTORY "${rcdir}"
    DEPENDS "${rc}" ${RES_DEPENDS}
    COMMENT "Compiling resources of ${target}"
    VERBATIM)
  # Building the module builds its resources.
  target_sources(${target} PRIVATE "${res}")
endfunction()
