# The virtual recorder's command decoder and model, fed arbitrary command sequences.
kivo_fuzz_target(virtualdrive_cdb_fuzz ${CMAKE_CURRENT_LIST_DIR}/virtualdrive_cdb_fuzz.cpp)
target_link_libraries(virtualdrive_cdb_fuzz PRIVATE kivo_vdrive)
# The model lives in the library: instrument it too, or the fuzzer would search blind.
target_compile_options(kivo_vdrive PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
if(KIVO_BUILD_TESTS)
  # The seed corpus, run once as an ordinary test.
  add_test(NAME virtualdrive_cdb_fuzz_corpus
    COMMAND virtualdrive_cdb_fuzz -runs=0 ${CMAKE_CURRENT_LIST_DIR}/virtualdrive_cdb_corpus)
endif()
