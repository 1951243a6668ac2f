# The option names in `karrowen --help`, in the README's host-option table and
# in the manual page are the same set; the README's key table and the manual
# page's KEYS section name the same keys in the same order.
#
# Inputs: PROGRAM, README, MAN_PAGE.

# The option names (--long and -x) in `text`, sorted, without repeats. A name
# starts a word, so "ipaq-h3800" holds none.
function(option_names text out)
  string(REGEX MATCHALL "(^|[^A-Za-z0-9-])-(-[a-z][a-z0-9-]*|[a-z])" found "${text}")
  set(names)
  foreach(match ${found})
    string(REGEX REPLACE "^[^-]" "" name "${match}")
    list(APPEND names ${name})
  endforeach()
  list(REMOVE_DUPLICATES names)
  list(SORT names)
  set(${out} ${names} PARENT_SCOPE)
endfunction()

# The lines of `text` from the line `first` (exclusive) to the next line that
# matches `end`.
function(section text first end out)
  string(FIND "${text}" "${first}\n" start)
  if(start LESS 0)
    message(FATAL_ERROR "no section '${first}'")
  endif()
  string(LENGTH "${first}\n" skip)
  math(EXPR start "${start} + ${skip}")
  string(SUBSTRING "${text}" ${start} -1 rest)
  string(REGEX MATCH "\n(${end})" next "${rest}")
  if(next)
    string(FIND "${rest}" "${next}" stop)
    string(SUBSTRING "${rest}" 0 ${stop} rest)
  endif()
  set(${out} "${rest}" PARENT_SCOPE)
endfunction()

# The first cells of the table rows in `text` (header and rule left out), in order.
function(first_cells text out)
  string(REPLACE "\\|" "/" text "${text}")
  string(REGEX MATCHALL "\n\\|[^|\n]*\\|" rows "\n${text}")
  set(cells)
  foreach(row ${rows})
    string(REGEX REPLACE "^\n\\| *(.*[^ ]) *\\|$" "\\1" cell "${row}")
    if(NOT cell MATCHES "^(-+|Option|Key)$")
      list(APPEND cells "${cell}")
    endif()
  endforeach()
  set(${out} "${cells}" PARENT_SCOPE)
endfunction()

# The tag lines (the line after each .TP) of a manual page section, with the
# roff escapes for hyphens and fonts removed.
function(man_tags text out)
  string(REPLACE "\\-" "-" text "${text}")
  string(REGEX REPLACE "\\\\f[BIRP]" "" text "${text}")
  string(REGEX MATCHALL "\\.TP\n[^\n]*" tags "${text}")
  set(lines)
  foreach(tag ${tags})
    string(REGEX REPLACE "^\\.TP\n" "" line "${tag}")
    list(APPEND lines "${line}")
  endforeach()
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

function(expect_same what expected_name expected actual_name actual)
  if(NOT "${expected}" STREQUAL "${actual}")
    set(missing ${expected})
    list(REMOVE_ITEM missing ${actual})
    set(extra ${actual})
    list(REMOVE_ITEM extra ${expected})
    message(SEND_ERROR "${what}: ${expected_name} and ${actual_name} differ\n"
                       "  ${expected_name}: ${expected}\n  ${actual_name}: ${actual}\n"
                       "  only in ${expected_name}: ${missing}\n  only in ${actual_name}: ${extra}")
  endif()
endfunction()

execute_process(COMMAND ${PROGRAM} --help RESULT_VARIABLE result OUTPUT_VARIABLE help)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "karrowen --help ended with status ${result}")
endif()
# Option lines start with two blanks and a hyphen; the rest of the help only mentions them.
string(REGEX MATCHALL "\n  -[^\n]*" help_lines "\n${help}")
option_names("${help_lines}" help_options)

file(READ ${README} readme)
section("${readme}" "## Host options" "##" readme_options_text)
first_cells("${readme_options_text}" readme_option_cells)
option_names("${readme_option_cells}" readme_options)

file(READ ${MAN_PAGE} man)
section("${man}" ".SH OPTIONS" "\\.SH" man_options_text)
man_tags("${man_options_text}" man_option_tags)
option_names("${man_option_tags}" man_options)

list(LENGTH help_options count)
if(count LESS 10)
  message(FATAL_ERROR "only ${count} options found in --help: ${help_options}")
endif()
expect_same("options" "--help" "${help_options}" "README" "${readme_options}")
expect_same("options" "--help" "${help_options}" "manual page" "${man_options}")

section("${readme}" "## Playing" "##" readme_keys_text)
first_cells("${readme_keys_text}" readme_keys)
section("${man}" ".SH KEYS" "\\.SH" man_keys_text)
man_tags("${man_keys_text}" man_keys)
if(NOT readme_keys)
  message(FATAL_ERROR "no key table in the README")
endif()
expect_same("keys" "README" "${readme_keys}" "manual page" "${man_keys}")
