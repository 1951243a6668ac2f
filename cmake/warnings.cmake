# Compiler flags shared by every target of the project.
add_library(karrowen_flags INTERFACE)
target_compile_options(karrowen_flags INTERFACE -Wall -Wextra)
# GCC 12 at -O3 (Release) takes the copies inside std::string's operator+ for
# overlapping ones: a known false -Wrestrict, gone in GCC 13.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(karrowen_flags INTERFACE $<$<CONFIG:Release>:-Wno-restrict>)
endif()
if(KARROWEN_WERROR)
  target_compile_options(karrowen_flags INTERFACE -Werror)
endif()
if(KARROWEN_SANITIZE)
  target_compile_options(karrowen_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(karrowen_flags INTERFACE -fsanitize=address,undefined)
endif()
