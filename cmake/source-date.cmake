# Run by CPack on the files it is about to pack: every file and folder gets
# the time in SOURCE_DATE_EPOCH, so that a package's bytes depend on the
# commit it was made from and not on when it was built.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  return()
endif()
file(GLOB_RECURSE staged LIST_DIRECTORIES true
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
execute_process(
  COMMAND touch -h -d @$ENV{SOURCE_DATE_EPOCH}
          "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" ${staged}
  COMMAND_ERROR_IS_FATAL ANY)
