# The Linux library exports the same names as the DLLs. exports.def is the one list of them: this
# turns it into the two pieces an ELF build needs.
# - exported_aliases.inc: for every "name = body" line an alias of the shared body under the host's
#   name, with default visibility (an alias must be defined where its body is: entry_points.cpp
#   includes it).
# - exports.map: a version script that exports the 111 names and makes everything else local, the
#   statically linked C++ runtime included.
function(tandrel_generate_elf_exports def_file out_dir)
  file(STRINGS ${def_file} lines)
  set(aliases "// Generated from exports.def: the host's names of the shared bodies.\n")
  set(names "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*(ts3plugin_[A-Za-z0-9_]+)[ \t]*=[ \t]*([A-Za-z0-9_]+)[ \t]*$")
      set(name ${CMAKE_MATCH_1})
      set(body ${CMAKE_MATCH_2})
      string(APPEND aliases "TANDREL_ALIAS_OF_${body}(${name});\n")
      list(APPEND names ${name})
    elseif(line MATCHES "^[ \t]*(ts3plugin_[A-Za-z0-9_]+)[ \t]*$")
      list(APPEND names ${CMAKE_MATCH_1})
    endif()
  endforeach()
  list(LENGTH names count)
  if(NOT count EQUAL 111)
    message(FATAL_ERROR "${def_file} names ${count} entry points, not 111")
  endif()
  list(JOIN names ";\n    " joined)
  set(map "/* Generated from exports.def: the host's entry points, and nothing else. */\n{\n  global:\n    ${joined};\n  local:\n    *;\n};\n")
  file(CONFIGURE OUTPUT ${out_dir}/exported_aliases.inc CONTENT "${aliases}" @ONLY)
  file(CONFIGURE OUTPUT ${out_dir}/exports.map CONTENT "${map}" @ONLY)
endfunction()
