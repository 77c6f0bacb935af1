# Finds the codec libraries of cmake/codec-libraries.txt and leaves their
# imported targets in vardolin_codec_targets, for the picture engine.
find_package(PkgConfig REQUIRED)
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/codec-libraries.txt vardolin_codec_lines REGEX "^[^#]")
set(vardolin_codec_targets)
foreach(line ${vardolin_codec_lines})
  string(REGEX MATCH "^[^ \t]+" module "${line}")
  string(MAKE_C_IDENTIFIER "codec_${module}" prefix)
  pkg_check_modules(${prefix} REQUIRED IMPORTED_TARGET ${module})
  list(APPEND vardolin_codec_targets PkgConfig::${prefix})
endforeach()
