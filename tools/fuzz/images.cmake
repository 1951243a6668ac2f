# The GIF decoder and the JPEG path under libFuzzer. Included by
# tools/fuzz/CMakeLists.txt once FUZZ_FLAGS and FUZZ_OPTIMIZE are set:
#   cmake --build build-fuzz --target fuzz_gif fuzz_jpeg && ctest --test-dir build-fuzz -R "fuzz_(gif|jpeg)"
find_package(JPEG REQUIRED)
set(FUZZ_IMAGE_SOURCES
    ${PROJECT_SOURCE_DIR}/src/scene/gif_decoder.cpp
    ${PROJECT_SOURCE_DIR}/src/scene/image_file.cpp
    ${PROJECT_SOURCE_DIR}/src/scene/image_ops.cpp
    ${PROJECT_SOURCE_DIR}/src/scene/jpeg_decoder.cpp)
karrowen_fuzz_objects(images SOURCES ${FUZZ_IMAGE_SOURCES} LIBS karrowen_data JPEG::JPEG)

foreach(format gif jpeg)
  add_executable(fuzz_${format} ${CMAKE_CURRENT_LIST_DIR}/${format}_fuzz.cpp $<TARGET_OBJECTS:fuzz_objects_images>)
  target_compile_options(fuzz_${format} PRIVATE ${FUZZ_FLAGS} ${FUZZ_OPTIMIZE})
  target_link_options(fuzz_${format} PRIVATE ${FUZZ_FLAGS})
  target_link_libraries(fuzz_${format} PRIVATE karrowen_data JPEG::JPEG)

  # New inputs go to the build folder; the seeds in the source tree stay as they are.
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${format}-corpus)
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME fuzz_${format}
           COMMAND fuzz_${format} -max_total_time=${KARROWEN_FUZZ_SECONDS} -max_len=65536 -timeout=20
                   -rss_limit_mb=2048 -print_final_stats=1 -dict=${CMAKE_CURRENT_LIST_DIR}/${format}.dict
                   ${corpus} ${CMAKE_CURRENT_LIST_DIR}/image_corpus/${format})
  set_tests_properties(fuzz_${format} PROPERTIES TIMEOUT 120)
endforeach()
