# The sound loaders and the mixer under libFuzzer. Included by
# tools/fuzz/CMakeLists.txt once FUZZ_FLAGS and FUZZ_OPTIMIZE are set:
#   cmake --build build-fuzz --target fuzz_sound && ctest --test-dir build-fuzz -R fuzz_sound
set(FUZZ_SOUND_SOURCES
    ${PROJECT_SOURCE_DIR}/src/sound/adpcm_decoder.cpp
    ${PROJECT_SOURCE_DIR}/src/sound/mod_player.cpp
    ${PROJECT_SOURCE_DIR}/src/sound/mod_sound.cpp
    ${PROJECT_SOURCE_DIR}/src/sound/period_table.cpp
    ${PROJECT_SOURCE_DIR}/src/sound/sound_mixer.cpp
    ${PROJECT_SOURCE_DIR}/src/sound/voice.cpp
    ${PROJECT_SOURCE_DIR}/src/sound/wave_out_driver.cpp
    ${PROJECT_SOURCE_DIR}/src/sound/wave_sound.cpp)
add_executable(fuzz_sound ${CMAKE_CURRENT_LIST_DIR}/sound_fuzz.cpp ${FUZZ_SOUND_SOURCES})
target_compile_options(fuzz_sound PRIVATE ${FUZZ_FLAGS} ${FUZZ_OPTIMIZE})
target_link_options(fuzz_sound PRIVATE ${FUZZ_FLAGS})
target_link_libraries(fuzz_sound PRIVATE karrowen_platform)

# New inputs go to the build folder; the seeds in the source tree stay as they are.
set(SOUND_CORPUS ${CMAKE_CURRENT_BINARY_DIR}/sound-corpus)
file(MAKE_DIRECTORY ${SOUND_CORPUS})
add_test(NAME fuzz_sound
         COMMAND fuzz_sound -max_total_time=${KARROWEN_FUZZ_SECONDS} -max_len=65536 -timeout=20 -rss_limit_mb=2048
                 -print_final_stats=1 ${SOUND_CORPUS} ${CMAKE_CURRENT_LIST_DIR}/sound_corpus)
set_tests_properties(fuzz_sound PROPERTIES TIMEOUT 120)
