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
# The standard library's own checks join the sanitizers: an empty optional
# read or an index past a vector's end stops there, where ASan may see nothing.
if(KARROWEN_SANITIZE)
  target_compile_options(karrowen_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
                                                  -D_GLIBCXX_ASSERTIONS)
  target_link_options(karrowen_flags INTERFACE -fsanitize=address,undefined)
endif()

# LLVM's linker, where it is installed, links the tests and programs about
# three times faster than the default one; the build works without it.
option(KARROWEN_LLD "Link with lld when it is installed" ON)
if(KARROWEN_LLD AND NOT EMSCRIPTEN)
  include(CheckLinkerFlag)
  check_linker_flag(CXX -fuse-ld=lld KARROWEN_HAS_LLD)
  if(KARROWEN_HAS_LLD)
    add_link_options(-fuse-ld=lld)
  endif()
endif()
