# Writes the ISO 3166-1 numeric country codes of Debian's iso-codes list (IN, its JSON file) as a
# C++ source (OUT): the sorted array ledger::kIso3166Numeric with a comment per code.
#   cmake -DIN=/usr/share/iso-codes/json/iso_3166-1.json -DOUT=iso3166_numeric.cpp -P this file
file(READ "${IN}" json)
string(JSON count LENGTH "${json}" "3166-1")
if(count EQUAL 0)
  message(FATAL_ERROR "${IN} lists no countries")
endif()
math(EXPR last "${count} - 1")
set(entries "")
foreach(i RANGE ${last})
  string(JSON numeric GET "${json}" "3166-1" ${i} numeric)
  string(JSON alpha GET "${json}" "3166-1" ${i} alpha_3)
  # Leading zeros would make octal numbers; the list sorts by the three digits as written.
  string(REGEX REPLACE "^0+([0-9])" "\\1" value "${numeric}")
  list(APPEND entries "${numeric}:${value}:${alpha}")
endforeach()
list(SORT entries)
set(body "")
foreach(e ${entries})
  string(REPLACE ":" ";" parts "${e}")
  list(GET parts 1 value)
  list(GET parts 2 alpha)
  string(APPEND body "    ${value},  // ${alpha}\n")
endforeach()
file(WRITE "${OUT}.tmp"
  "// Generated from ${IN} by ledger/iso3166_numeric.cmake; do not edit.\n"
  "#include \"ledger/country_codes.h\"\n\n"
  "namespace ledger {\n\n"
  "const unsigned short kIso3166Numeric[] = {\n${body}};\n"
  "const unsigned kIso3166Count = ${count};\n\n"
  "}  // namespace ledger\n")
file(RENAME "${OUT}.tmp" "${OUT}")
