# "windows-zip": the Windows programs in one archive, ready to unpack anywhere, without their
# debugging information (which stays in build/windows/bin). The ASPI library sits beside the
# command line so that the engine finds the virtual recorder there.
set(KIVO_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/kivo-ardel-${PROJECT_VERSION}-windows-x64.zip)
set(KIVO_WINDOWS_STAGE ${CMAKE_BINARY_DIR}/windows-zip)
set(KIVO_WINDOWS_PROGRAMS kivoardel-cli kivo-vrctl wnaspi32)
set(KIVO_STRIP_COMMANDS)
set(KIVO_STAGED_NAMES)
foreach(program ${KIVO_WINDOWS_PROGRAMS})
  list(APPEND KIVO_STRIP_COMMANDS
       COMMAND ${CMAKE_STRIP} --strip-debug -o ${KIVO_WINDOWS_STAGE}/$<TARGET_FILE_NAME:${program}>
               $<TARGET_FILE:${program}>)
  list(APPEND KIVO_STAGED_NAMES $<TARGET_FILE_NAME:${program}>)
endforeach()
add_custom_command(
  OUTPUT ${KIVO_WINDOWS_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KIVO_WINDOWS_STAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KIVO_WINDOWS_STAGE}
  ${KIVO_STRIP_COMMANDS}
  COMMAND ${CMAKE_COMMAND} -E chdir ${KIVO_WINDOWS_STAGE}
          ${CMAKE_COMMAND} -E tar cf ${KIVO_WINDOWS_ZIP} --format=zip ${KIVO_STAGED_NAMES}
  DEPENDS ${KIVO_WINDOWS_PROGRAMS}
  COMMENT "Packing the Windows programs into ${KIVO_WINDOWS_ZIP}")
add_custom_target(windows-zip DEPENDS ${KIVO_WINDOWS_ZIP})
