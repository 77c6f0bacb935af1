# The Debian package: cpack -G DEB in a build folder (scripts/package does it
# for a release build). Both programs, the menu entry, the icons, the man
# pages, the bash completion, the licence and a changelog; the dependencies
# are the runtime libraries the programs link, found by dpkg-shlibdeps.

# A package must name its maintainer with an e-mail address: the one given
# here, else the feedback contact when that is an e-mail address, else one in
# the reserved ".invalid" domain, which says plainly that there is none.
set(VARDOLIN_PACKAGE_MAINTAINER "" CACHE STRING "Maintainer field of the Debian package, as: Name <address>")
if(VARDOLIN_PACKAGE_MAINTAINER)
  set(VARDOLIN_MAINTAINER "${VARDOLIN_PACKAGE_MAINTAINER}")
elseif(VARDOLIN_FEEDBACK_CONTACT MATCHES "^[^:/ ]+@[^ ]+$")
  set(VARDOLIN_MAINTAINER "Vardolin developers <${VARDOLIN_FEEDBACK_CONTACT}>")
else()
  set(VARDOLIN_MAINTAINER "Vardolin developers <no-address@vardolin.invalid>")
endif()
set(doc_folder ${CMAKE_INSTALL_DATADIR}/doc/vardolin)
set(debian_folder ${CMAKE_CURRENT_BINARY_DIR}/debian)

# The licence in Debian's machine-readable copyright format, made from
# LICENSE so the two never differ.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" copyright_line "${licence}")
set(holder "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^MIT License\n\n" "" licence_body "${licence}")
string(REGEX REPLACE "\n+$" "" licence_body "${licence_body}")
string(REPLACE "\n\n" "\n.\n" licence_body "${licence_body}")
string(REPLACE "\n" "\n " licence_body "${licence_body}")
set(upstream_contact "")
if(VARDOLIN_FEEDBACK_CONTACT)
  set(upstream_contact "Upstream-Contact: ${VARDOLIN_FEEDBACK_CONTACT}\n")
endif()
file(WRITE ${debian_folder}/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: Vardolin\n"
  "${upstream_contact}"
  "\n"
  "Files: *\n"
  "Copyright: ${holder}\n"
  "License: Expat\n"
  " ${licence_body}\n")
install(FILES ${debian_folder}/copyright DESTINATION ${doc_folder})

# A native package's changelog; its date follows SOURCE_DATE_EPOCH when set.
string(TIMESTAMP VARDOLIN_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${debian_folder}/changelog @ONLY)
vardolin_compressed(${debian_folder}/changelog changelog_gz)
install(FILES ${changelog_gz} DESTINATION ${doc_folder})

# How to run shards under a scheduler, with the recipes the page names.
install(FILES ${PROJECT_SOURCE_DIR}/docs/scale-out.md DESTINATION ${doc_folder})
install(FILES ${PROJECT_SOURCE_DIR}/docs/scale-out/kubernetes-job.yaml
              ${PROJECT_SOURCE_DIR}/docs/scale-out/slurm-array.sbatch
              ${PROJECT_SOURCE_DIR}/docs/scale-out/parallel-shards
  DESTINATION ${doc_folder}/scale-out)

install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME vardolin)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vardolin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VARDOLIN_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX ${VARDOLIN_PACKAGE_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "make reduced copies of picture files in batches
Vardolin scales every picture of a folder so that its shorter side gets a
chosen length, and writes the copy as JPEG, BMP, PNG or WebP beside the
source, in a subfolder or in another folder; HEIC and AVIF photos become
JPEGs. The desktop program has one window in
German or English; vardolin-batch runs the same batch from a terminal, a
script or a job scheduler.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs a platform plugin of Qt, which no library names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
