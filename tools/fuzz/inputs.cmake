# The readers of outside input under libFuzzer: templates loaded into a canvas,
# zip archives through the resource layer, the language table, input scripts,
# device profiles, the host's command line and the game's "ARG:" line.
# Included by tools/fuzz/CMakeLists.txt once FUZZ_FLAGS and FUZZ_OPTIMIZE are set:
#   cmake --build build-fuzz --target fuzz_template && ctest --test-dir build-fuzz -R fuzz_template
# Each target's seeds are <name>_corpus/ beside this file, its dictionary
# <name>.dict; what a run adds goes to the build folder.
set(FUZZ_SRC ${PROJECT_SOURCE_DIR}/src)
# The template readers and what they build; drawing and the rest come from the
# libraries, uninstrumented, to keep the build of this target short.
set(FUZZ_INPUT_TEMPLATE)
foreach(source scene/template_loader scene/canvas scene/property_list scene/sprite_reader scene/scene_sprite
               scene/sprite scene/widgets scene/bitmap_font scene/sprite_text scene/image_cache
               render3d/object_readers render3d/scene3d render3d/object3d sound/sound_template)
  list(APPEND FUZZ_INPUT_TEMPLATE ${FUZZ_SRC}/${source}.cpp)
endforeach()
set(FUZZ_INPUT_GAME)
foreach(source app/start_choice game/game_level game/maze game/items game/actor game/game_random)
  list(APPEND FUZZ_INPUT_GAME ${FUZZ_SRC}/${source}.cpp)
endforeach()

# karrowen_input_fuzz_target(NAME SOURCE MAX_LEN [SEEDS_ONLY] SOURCES <instrumented sources> LIBS <libraries>)
# SEEDS_ONLY: the test run starts from the seeds alone and keeps nothing, for a
# target too slow to replay a corpus that grows with every run in its 10 s;
# make fuzz-long still grows one for it in the build folder.
function(karrowen_input_fuzz_target name source max_len)
  cmake_parse_arguments(TARGET "SEEDS_ONLY" "" "SOURCES;LIBS" ${ARGN})
  add_executable(fuzz_${name} ${CMAKE_CURRENT_LIST_DIR}/${source} ${TARGET_SOURCES})
  target_compile_options(fuzz_${name} PRIVATE ${FUZZ_FLAGS} ${FUZZ_OPTIMIZE})
  target_link_options(fuzz_${name} PRIVATE ${FUZZ_FLAGS})
  target_link_libraries(fuzz_${name} PRIVATE ${TARGET_LIBS})
  set(seeds ${CMAKE_CURRENT_LIST_DIR}/${name}_corpus)
  if(TARGET_SEEDS_ONLY)
    file(GLOB seed_files CONFIGURE_DEPENDS ${seeds}/*)
    list(JOIN seed_files "," seed_list)
    set(inputs -seed_inputs=${seed_list})
  else()
    set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
    file(MAKE_DIRECTORY ${corpus})
    set(inputs ${corpus} ${seeds})
  endif()
  add_test(NAME fuzz_${name}
           COMMAND fuzz_${name} -max_total_time=${KARROWEN_FUZZ_SECONDS} -max_len=${max_len} -timeout=20
                   -rss_limit_mb=2048 -print_final_stats=1 -dict=${CMAKE_CURRENT_LIST_DIR}/${name}.dict ${inputs})
  set_tests_properties(fuzz_${name} PROPERTIES TIMEOUT 120)
endfunction()

karrowen_input_fuzz_target(template template_fuzz.cpp 16384 SEEDS_ONLY
  SOURCES ${FUZZ_INPUT_TEMPLATE} LIBS karrowen_render3d)
target_compile_definitions(fuzz_template PRIVATE KARROWEN_FUZZ_RESOURCES="${KARROWEN_RESOURCE_DIR}")
# The built resources (generated pictures among them) are what templates name.
add_dependencies(fuzz_template karrowen_resources)
karrowen_input_fuzz_target(resource resource_fuzz.cpp 65536
  SOURCES ${FUZZ_DATA_OBJECTS} LIBS karrowen_platform PkgConfig::MINIZIP ZLIB::ZLIB)
karrowen_input_fuzz_target(language_table language_table_fuzz.cpp 16384
  SOURCES ${FUZZ_DATA_OBJECTS} LIBS karrowen_platform PkgConfig::MINIZIP ZLIB::ZLIB)
karrowen_input_fuzz_target(input_script input_script_fuzz.cpp 8192
  SOURCES ${FUZZ_SRC}/platform/host/input_script.cpp LIBS karrowen_platform)
karrowen_input_fuzz_target(device_profile device_profile_fuzz.cpp 4096
  SOURCES ${FUZZ_SRC}/platform/host/device_profile.cpp ${FUZZ_SRC}/platform/host/screen.cpp
          ${FUZZ_SRC}/platform/direct_display.cpp ${FUZZ_SRC}/platform/device_info.cpp
  LIBS karrowen_platform)
karrowen_input_fuzz_target(command_line command_line_fuzz.cpp 4096
  SOURCES ${FUZZ_SRC}/platform/host/host_options.cpp ${FUZZ_SRC}/app/start_choice.cpp
  LIBS karrowen_app karrowen_data)
karrowen_input_fuzz_target(start_line start_line_fuzz.cpp 1024
  SOURCES ${FUZZ_INPUT_GAME} LIBS karrowen_game)
