# The 3DS loader and the software renderer under libFuzzer. Included by
# tools/fuzz/CMakeLists.txt once FUZZ_FLAGS and FUZZ_OPTIMIZE are set:
#   cmake --build build-fuzz --target fuzz_3ds && ctest --test-dir build-fuzz -R fuzz_3ds
file(GLOB FUZZ_RENDER3D_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/render3d/*.cpp)
add_executable(fuzz_3ds ${CMAKE_CURRENT_LIST_DIR}/fuzz_3ds.cpp ${FUZZ_RENDER3D_SOURCES})
target_compile_options(fuzz_3ds PRIVATE ${FUZZ_FLAGS} ${FUZZ_OPTIMIZE})
target_link_options(fuzz_3ds PRIVATE ${FUZZ_FLAGS})
target_link_libraries(fuzz_3ds PRIVATE karrowen_scene)

# New inputs go to the build folder; the seeds in the source tree stay as they are.
set(MODEL_CORPUS ${CMAKE_CURRENT_BINARY_DIR}/3ds-corpus)
file(MAKE_DIRECTORY ${MODEL_CORPUS})
add_test(NAME fuzz_3ds
         COMMAND fuzz_3ds -max_total_time=${KARROWEN_FUZZ_SECONDS} -max_len=16384 -timeout=20 -rss_limit_mb=2048
                 -print_final_stats=1 -dict=${CMAKE_CURRENT_LIST_DIR}/3ds.dict
                 ${MODEL_CORPUS} ${CMAKE_CURRENT_LIST_DIR}/3ds_corpus)
set_tests_properties(fuzz_3ds PROPERTIES TIMEOUT 120)
