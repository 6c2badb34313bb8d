# Run by cpack after it has built the package: fails when the package's
# Depends came out empty (dpkg-shlibdeps missing or finding nothing).
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND dpkg-deb --field ${package} Depends
    OUTPUT_VARIABLE depends OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed OR depends STREQUAL "")
    message(FATAL_ERROR "${package} has no Depends: install file and dpkg-dev (scripts/install-deps.sh does)")
  endif()
  message(STATUS "${package} Depends: ${depends}")
endforeach()
