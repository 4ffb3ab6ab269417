# Session import fed arbitrary sectors through its sector-reader seam, then laid out again.
# The seeds in import_corpus are images of small trees cut to their structures; import_corpus.sh
# makes them again.
kivo_fuzz_target(import_fuzz ${CMAKE_CURRENT_LIST_DIR}/import_fuzz.cpp)
target_link_libraries(import_fuzz PRIVATE kivo_iso)
# The parser lives in the library: instrument it too, or the fuzzer would search blind.
target_compile_options(kivo_iso PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
# Name decoding ends in the platform layer's text conversions: instrumented for the same reason.
target_compile_options(kivo_platform PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
if(KIVO_BUILD_TESTS)
  add_test(NAME import_fuzz_corpus COMMAND import_fuzz -runs=0 ${CMAKE_CURRENT_LIST_DIR}/import_corpus)
endif()
