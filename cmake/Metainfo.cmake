# The AppStream entry of the program (src/app/data/vardolin.metainfo.xml.in)
# with the values of this build: the component ID, the release, the issue
# page and, when a web folder serves the screenshots of docs/, the
# screenshots. Software centres take screenshots from the web only, so there
# are none without VARDOLIN_SCREENSHOT_URL.
#
# Included: vardolin_metainfo(<template> <output>) renders it.
# As a script (the package test checks both shapes):
#   cmake -DTEMPLATE=<in> -DOUTPUT=<xml> -DVERSION=<v> [-DVARDOLIN_SCREENSHOT_URL=<url>] -P Metainfo.cmake

function(vardolin_metainfo template output version)
  set(VARDOLIN_METAINFO_URLS "")
  if(VARDOLIN_FEEDBACK_CONTACT MATCHES "^https?://")
    set(VARDOLIN_METAINFO_URLS "  <url type=\"bugtracker\">${VARDOLIN_FEEDBACK_CONTACT}</url>\n")
  endif()
  set(VARDOLIN_METAINFO_SCREENSHOTS "")
  if(VARDOLIN_SCREENSHOT_URL)
    string(REGEX REPLACE "/+$" "" base "${VARDOLIN_SCREENSHOT_URL}")
    string(APPEND base "/")
    set(shots
      "de|The main window in German, after a scan of a holiday's photos with their subfolders"
      "en|The main window in English"
      "run|A run in progress: the status line names the file being copied"
      "info|The info window with the version history")
    set(text "  <screenshots>\n")
    set(kind "default")
    foreach(shot IN LISTS shots)
      string(REPLACE "|" ";" parts "${shot}")
      list(GET parts 0 name)
      list(GET parts 1 caption)
      string(APPEND text "    <screenshot type=\"${kind}\">\n"
                         "      <caption>${caption}</caption>\n"
                         "      <image>${base}screenshot-${name}.png</image>\n"
                         "    </screenshot>\n")
      set(kind "extra")
    endforeach()
    string(APPEND text "  </screenshots>\n")
    set(VARDOLIN_METAINFO_SCREENSHOTS "${text}")
  endif()
  if(NOT VARDOLIN_APP_ID)
    set(VARDOLIN_APP_ID invalid.vardolin.Vardolin)
  endif()
  set(PROJECT_VERSION ${version})
  string(TIMESTAMP VARDOLIN_RELEASE_DATE "%Y-%m-%d" UTC)
  configure_file(${template} ${output} @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND TEMPLATE AND OUTPUT AND VERSION)
  vardolin_metainfo(${TEMPLATE} ${OUTPUT} ${VERSION})
endif()
