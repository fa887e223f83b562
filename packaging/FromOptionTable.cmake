# Makes the files that list the creation conditions from the option table
# (TABLE: what htmlimglist-option-table prints, one
# "name<TAB>type<TAB>default<TAB>values<TAB>meaning" line per condition), so
# that they follow the table as conditions are added.
#
#   cmake -DMODE=man -DTABLE=... -DTEMPLATE=x.1.in -DOUTPUT=x.1
#         -DVERSION=... -DDATE=YYYY-MM-DD -P FromOptionTable.cmake
#     a man page: @CONDITIONS@ becomes an mdoc list of every condition with
#     its value, its meaning, its default and the values it takes;
#     @MAN_DATE@ and @VERSION@ are filled in too.
#   cmake -DMODE=completion -DTABLE=... -DTEMPLATE=x.bash.in -DOUTPUT=x.bash -P ...
#     the bash completion: @CONDITION_NAMES@, @SWITCH_NAMES@ and
#     @CHOICE_VALUES@ (the numbers a choice among a few takes).
#   cmake -DMODE=check -DTABLE=... -DREADME=... -P ...
#     fails unless the README's table has exactly the table's conditions, in
#     its order, with its defaults and meanings (the test
#     packaging_conditions_documented).
cmake_minimum_required(VERSION 3.22)

# Semicolons separate CMake list items; lines holding one are carried with
# this stand-in and given back when written.
set(semicolon "<htmlimglist-semicolon>")

function(read_lines path out)
  file(READ "${path}" text)
  string(REPLACE ";" "${semicolon}" text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# names, types, defaults, values and meanings of the option table, in its order.
function(read_table)
  read_lines("${TABLE}" lines)
  set(names "")
  foreach(line IN LISTS lines)
    if(line STREQUAL "")
      continue()
    endif()
    if(NOT line MATCHES "^([A-Za-z0-9]+)\t(text|number|switch)\t([^\t]*)\t([^\t]*)\t([^\t]+)$")
      message(FATAL_ERROR "${TABLE}: cannot read the line '${line}'")
    endif()
    list(APPEND names "${CMAKE_MATCH_1}")
    set(type_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}" PARENT_SCOPE)
    set(default_${CMAKE_MATCH_1} "${CMAKE_MATCH_3}" PARENT_SCOPE)
    set(values_${CMAKE_MATCH_1} "${CMAKE_MATCH_4}" PARENT_SCOPE)
    set(meaning_${CMAKE_MATCH_1} "${CMAKE_MATCH_5}" PARENT_SCOPE)
  endforeach()
  if(names STREQUAL "")
    message(FATAL_ERROR "${TABLE}: no condition")
  endif()
  set(names "${names}" PARENT_SCOPE)
endfunction()

# The rows "| `Name` | default | meaning |" of the README's "Creation
# conditions" table: readme_names in their order, readme_default_<Name> and
# readme_meaning_<Name>.
function(read_readme)
  read_lines("${README}" lines)
  set(in_section FALSE)
  set(found "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^#")
      if(line MATCHES "^### Creation conditions")
        set(in_section TRUE)
      else()
        set(in_section FALSE)
      endif()
    elseif(in_section AND line MATCHES "^\\| `([A-Za-z0-9]+)` \\| ([^|]*[^| ]) +\\| (.*[^ ]) *\\|$")
      list(APPEND found "${CMAKE_MATCH_1}")
      set(readme_default_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}" PARENT_SCOPE)
      set(readme_meaning_${CMAKE_MATCH_1} "${CMAKE_MATCH_3}" PARENT_SCOPE)
    endif()
  endforeach()
  set(readme_names "${found}" PARENT_SCOPE)
endfunction()

# A meaning (markdown, as the README's table shows it) as mdoc text:
# backslashes escaped, `code` in quotes,
# the first letter capitalised, ending with a full stop.
function(mdoc_sentence markdown out)
  string(REPLACE "\\" "\\e" text "${markdown}")
  string(REGEX REPLACE "`([^`]*)`" "\\\\(oq\\1\\\\(cq" text "${text}")
  string(SUBSTRING "${text}" 0 1 first)
  string(SUBSTRING "${text}" 1 -1 rest)
  string(TOUPPER "${first}" first)
  set(text "${first}${rest}")
  if(NOT text MATCHES "[.]$")
    string(APPEND text ".")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# "2026-12-08" as "December 8, 2026", the date form mdoc's .Dd takes.
function(mdoc_date iso out)
  if(NOT iso MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "DATE must be YYYY-MM-DD, not '${iso}'")
  endif()
  set(months January February March April May June July August September October November December)
  math(EXPR month "${CMAKE_MATCH_2} - 1")
  math(EXPR day "${CMAKE_MATCH_3} + 0")
  list(GET months ${month} month_name)
  set(${out} "${month_name} ${day}, ${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

function(write_from_template)
  file(READ "${TEMPLATE}" text)
  foreach(key IN LISTS ARGN)
    string(REPLACE "@${key}@" "${${key}}" text "${text}")
  endforeach()
  string(REPLACE "${semicolon}" ";" text "${text}")
  if(text MATCHES "@[A-Z_]+@")
    message(FATAL_ERROR "${TEMPLATE}: ${CMAKE_MATCH_0} was not filled in")
  endif()
  file(WRITE "${OUTPUT}" "${text}")
endfunction()

read_table()

if(MODE STREQUAL "man")
  set(CONDITIONS ".Bl -tag -width Ds")
  foreach(name IN LISTS names)
    set(type "${type_${name}}")
    set(default "${default_${name}}")
    if(type STREQUAL "text")
      set(value "Ar name")
      set(default_line "Default:\n.Ql ${default} .")
    elseif(type STREQUAL "number")
      set(value "Ar number")
      if(NOT values_${name} MATCHES "^([0-9]+)[.][.]([0-9]+)$")
        message(FATAL_ERROR "${TABLE}: ${name} has no range but '${values_${name}}'")
      endif()
      set(default_line "From ${CMAKE_MATCH_1} to ${CMAKE_MATCH_2}.\nDefault: ${default}.")
    else()
      set(value "Cm 0 Ns | Ns Cm 1")
      if(default STREQUAL "0")
        set(default_line "Default: 0 (off).")
      else()
        set(default_line "Default: 1 (on).")
      endif()
    endif()
    mdoc_sentence("${meaning_${name}}" meaning)
    string(APPEND CONDITIONS "\n.It Cm ${name} Ns = Ns ${value}\n${meaning}\n${default_line}")
  endforeach()
  string(APPEND CONDITIONS "\n.El")
  mdoc_date("${DATE}" MAN_DATE)
  write_from_template(CONDITIONS MAN_DATE VERSION)
elseif(MODE STREQUAL "completion")
  set(CONDITION_NAMES "")
  set(SWITCH_NAMES "")
  set(CHOICE_VALUES "")
  foreach(name IN LISTS names)
    string(APPEND CONDITION_NAMES " ${name}")
    if(type_${name} STREQUAL "switch")
      string(APPEND SWITCH_NAMES " ${name}")
    elseif(type_${name} STREQUAL "number" AND values_${name} MATCHES "^0\\.\\.([1-9])$")
      # A choice among a few numbers: "Name:0,1,2".
      set(choice "${name}:0")
      foreach(value RANGE 1 ${CMAKE_MATCH_1})
        string(APPEND choice ",${value}")
      endforeach()
      string(APPEND CHOICE_VALUES " ${choice}")
    endif()
  endforeach()
  string(STRIP "${CONDITION_NAMES}" CONDITION_NAMES)
  string(STRIP "${SWITCH_NAMES}" SWITCH_NAMES)
  string(STRIP "${CHOICE_VALUES}" CHOICE_VALUES)
  write_from_template(CONDITION_NAMES SWITCH_NAMES CHOICE_VALUES)
elseif(MODE STREQUAL "check")
  read_readme()
  set(problems "")
  foreach(name IN LISTS names)
    if(NOT DEFINED readme_default_${name})
      string(APPEND problems "\n  ${name} has no row in the table")
    elseif(NOT readme_default_${name} STREQUAL default_${name})
      string(APPEND problems
             "\n  ${name}: the table says ${readme_default_${name}}, the program ${default_${name}}")
    elseif(NOT readme_meaning_${name} STREQUAL meaning_${name})
      string(APPEND problems
             "\n  ${name}: the table says \"${readme_meaning_${name}}\", the program \"${meaning_${name}}\"")
    endif()
  endforeach()
  foreach(name IN LISTS readme_names)
    if(NOT name IN_LIST names)
      string(APPEND problems "\n  ${name} is in the table but is no condition")
    endif()
  endforeach()
  if(problems STREQUAL "" AND NOT readme_names STREQUAL names)
    string(APPEND problems "\n  the rows are not in the program's order: ${names}")
  endif()
  if(NOT problems STREQUAL "")
    message(FATAL_ERROR "${README}, \"Creation conditions\":${problems}")
  endif()
  list(LENGTH names count)
  message(STATUS "${count} conditions, each with its row, default and meaning in ${README}")
else()
  message(FATAL_ERROR "MODE must be man, completion or check")
endif()
