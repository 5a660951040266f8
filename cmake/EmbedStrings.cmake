# Writes a C++ file that holds the two string tables as raw string literals.
# Usage: cmake -DEN_TSV=... -DJA_TSV=... -DOUT=... -P EmbedStrings.cmake
file(READ "${EN_TSV}" english)
file(READ "${JA_TSV}" japanese)
foreach(table english japanese)
    string(FIND "${${table}}" ")qvtsv\"" clash)
    if(NOT clash EQUAL -1)
        message(FATAL_ERROR "The ${table} string table holds the literal's closing mark")
    endif()
endforeach()
file(WRITE "${OUT}.tmp"
"// Generated from resources/strings/*.tsv by cmake/EmbedStrings.cmake. Do not edit.
namespace quorvane::detail {
extern const char* const kEnglishTsv;
extern const char* const kJapaneseTsv;
const char* const kEnglishTsv = R\"qvtsv(${english})qvtsv\";
const char* const kJapaneseTsv = R\"qvtsv(${japanese})qvtsv\";
}  // namespace quorvane::detail
")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
