# Where the installed files go, and the helpers that put them there in the
# shape a Debian system expects (man pages and changelogs compressed).
include(GNUInstallDirs)
find_program(VARDOLIN_GZIP gzip REQUIRED)

# The Debian package installs below /usr, whatever prefix this build has; the
# programs know both places, so that an installed copy never writes beside
# itself (frame/LogFolder.cpp).
set(VARDOLIN_PACKAGE_PREFIX /usr)
set(VARDOLIN_PACKAGE_BINDIR ${VARDOLIN_PACKAGE_PREFIX}/${CMAKE_INSTALL_BINDIR})

# The decode process is no command of its own: it lives in a folder of the
# package's under libexec, which the programs find from their own folder.
set(VARDOLIN_DECODER_DIR ${CMAKE_INSTALL_LIBEXECDIR}/vardolin)
file(RELATIVE_PATH VARDOLIN_DECODER_FROM_PROGRAMS ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_FULL_LIBEXECDIR}/vardolin)

# vardolin_compressed(<file> <output variable>): a build step that writes
# <file>.gz into the build folder, without name or time stamp in it, so the
# same file gives the same bytes on every build.
function(vardolin_compressed file output)
  get_filename_component(name ${file} NAME)
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/compressed)
  set(gz ${folder}/${name}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E copy ${file} ${folder}/${name}
    COMMAND ${VARDOLIN_GZIP} -9nf ${folder}/${name}
    DEPENDS ${file}
    VERBATIM)
  add_custom_target(compress_${name} ALL DEPENDS ${gz})
  set(${output} ${gz} PARENT_SCOPE)
endfunction()

# vardolin_install_man_page(<page> <section>)
function(vardolin_install_man_page page section)
  vardolin_compressed(${CMAKE_CURRENT_SOURCE_DIR}/${page} gz)
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()
