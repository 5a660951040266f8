# Writes strings/StringIds.h: one named constant for each line of names.tsv, checked against
# both string tables so that code can only name ids the tables hold.
# Usage: cmake -DNAMES_TSV=... -DEN_TSV=... -DJA_TSV=... -DOUT=... -P GenerateStringIds.cmake
cmake_policy(VERSION 3.25)
file(STRINGS "${NAMES_TSV}" lines)
file(STRINGS "${EN_TSV}" english)
file(STRINGS "${JA_TSV}" japanese)
set(body "")
set(seen_names "")
set(seen_ids "")
foreach(line IN LISTS lines)
    if(line MATCHES "^#" OR line STREQUAL "")
        continue()
    endif()
    if(NOT line MATCHES "^([0-9]+)\t([A-Za-z][A-Za-z0-9]*)$")
        message(FATAL_ERROR "names.tsv: not an entry: ${line}")
    endif()
    set(id ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    if(name IN_LIST seen_names)
        message(FATAL_ERROR "names.tsv: ${name} is named twice")
    endif()
    if(id IN_LIST seen_ids)
        message(FATAL_ERROR "names.tsv: ${id} has two names")
    endif()
    list(APPEND seen_names ${name})
    list(APPEND seen_ids ${id})
    foreach(table english japanese)
        set(found FALSE)
        foreach(entry IN LISTS ${table})
            if(entry MATCHES "^${id}\t")
                set(found TRUE)
                break()
            endif()
        endforeach()
        if(NOT found)
            message(FATAL_ERROR "names.tsv: ${id} (${name}) is not in the ${table} table")
        endif()
    endforeach()
    string(APPEND body "inline constexpr int kStr${name} = ${id};\n")
endforeach()
file(WRITE "${OUT}.tmp"
"// Generated from resources/strings/names.tsv by cmake/GenerateStringIds.cmake. Do not edit.
#pragma once

namespace quorvane {

${body}
}  // namespace quorvane
")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
