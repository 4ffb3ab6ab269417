# The libraries of the Windows build, taken from the host's Debian packages as headers only.
# The host's /usr/include cannot go on the cross compiler's path (its glibc headers would be
# found before the target's), so the few folders needed are linked into a staging folder.
set(KIVO_HOST_INCLUDE /usr/include CACHE PATH "Where the host's header-only libraries live")
set(KIVO_STAGED_INCLUDE ${CMAKE_BINARY_DIR}/staged-include)
file(MAKE_DIRECTORY ${KIVO_STAGED_INCLUDE})
foreach(part fmt nlohmann CLI utf8cpp xxhash.h)
  if(NOT EXISTS ${KIVO_HOST_INCLUDE}/${part})
    message(FATAL_ERROR "${KIVO_HOST_INCLUDE}/${part} is missing: run scripts/install-deps.sh")
  endif()
  file(CREATE_LINK ${KIVO_HOST_INCLUDE}/${part} ${KIVO_STAGED_INCLUDE}/${part} SYMBOLIC)
endforeach()

add_library(kivo_staged_headers INTERFACE)
target_include_directories(kivo_staged_headers SYSTEM INTERFACE ${KIVO_STAGED_INCLUDE})

add_library(fmt::fmt INTERFACE IMPORTED)
target_link_libraries(fmt::fmt INTERFACE kivo_staged_headers)
target_compile_definitions(fmt::fmt INTERFACE FMT_HEADER_ONLY)

add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_link_libraries(nlohmann_json::nlohmann_json INTERFACE kivo_staged_headers)

add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_link_libraries(CLI11::CLI11 INTERFACE kivo_staged_headers)

add_library(PkgConfig::XXHASH INTERFACE IMPORTED)
target_link_libraries(PkgConfig::XXHASH INTERFACE kivo_staged_headers)
target_compile_definitions(PkgConfig::XXHASH INTERFACE XXH_INLINE_ALL)

set(UTFCPP_INCLUDE_DIR ${KIVO_STAGED_INCLUDE}/utf8cpp)

# Every target sees the staged headers, as every target sees /usr/include on Linux.
include_directories(SYSTEM ${KIVO_STAGED_INCLUDE})

# Wide-character Win32 calls for paths, and no min/max macros over std::min.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

if(KIVO_BUILD_TESTS)
  # GoogleTest from its Debian source package, built for the target.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
