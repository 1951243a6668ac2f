# The WebAssembly build (emcmake cmake ... -DKARROWEN_WEB_SYSROOT=DIR): the
# libraries come from the folder scripts/web-libs.sh fills, as the imported
# targets the native build gets from find_package. There are no threads and
# no fontconfig in a page; tests and tools are native only.
set(KARROWEN_WEB_SYSROOT "$ENV{HOME}/.cache/karrowen-web/sysroot" CACHE PATH
    "The WebAssembly libraries built by scripts/web-libs.sh")
if(NOT EXISTS ${KARROWEN_WEB_SYSROOT}/lib/libSDL2.a)
  message(FATAL_ERROR "No WebAssembly libraries in ${KARROWEN_WEB_SYSROOT}: run scripts/web-libs.sh (make web does)")
endif()

function(karrowen_web_library target library)
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${KARROWEN_WEB_SYSROOT}/lib/${library}
                        INTERFACE_INCLUDE_DIRECTORIES "${ARGN}")
endfunction()

set(WEB_INCLUDE ${KARROWEN_WEB_SYSROOT}/include)
karrowen_web_library(ZLIB::ZLIB libz.a ${WEB_INCLUDE})
karrowen_web_library(PkgConfig::MINIZIP libminizip.a ${WEB_INCLUDE}/minizip ${WEB_INCLUDE})
set_target_properties(PkgConfig::MINIZIP PROPERTIES INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
karrowen_web_library(JPEG::JPEG libjpeg.a ${WEB_INCLUDE})
karrowen_web_library(PNG::PNG libpng16.a ${WEB_INCLUDE})
set_target_properties(PNG::PNG PROPERTIES INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
karrowen_web_library(Freetype::Freetype libfreetype.a ${WEB_INCLUDE}/freetype2)
set_target_properties(Freetype::Freetype PROPERTIES INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
# Before emscripten's own SDL headers, which it puts on every include path.
karrowen_web_library(SDL2::SDL2 libSDL2.a ${WEB_INCLUDE}/SDL2)
set_target_properties(SDL2::SDL2 PROPERTIES IMPORTED_NO_SYSTEM TRUE)
add_library(Threads::Threads INTERFACE IMPORTED GLOBAL)

target_compile_definitions(karrowen_flags INTERFACE KARROWEN_WEB=1)
# The served folder: the page, its script, the .wasm and the .data.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/page)
