# Bitmap resources: BMP files compiled into the program and found by id at run time.
#
#   korvo_add_bitmap_resources(TARGET korvo_resources BITMAPS 1001 a.bmp 1002 b.bmp ...)
#
# makes an OBJECT library whose generated source registers each file with
# platform::RegisterBitmapResource at static start-up. The files may be outputs of custom
# commands in the calling directory (relative paths are taken from its build folder); the source
# is written again whenever one of them changes.
function(korvo_add_bitmap_resources)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "TARGET" "BITMAPS")
  if(NOT arg_TARGET)
    message(FATAL_ERROR "korvo_add_bitmap_resources: TARGET is required")
  endif()
  list(LENGTH arg_BITMAPS count)
  math(EXPR odd "${count} % 2")
  if(count EQUAL 0 OR odd)
    message(FATAL_ERROR "korvo_add_bitmap_resources: BITMAPS takes pairs of id and file")
  endif()
  set(arguments)
  set(files)
  math(EXPR last "${count} - 1")
  foreach(k RANGE 0 ${last} 2)
    math(EXPR next "${k} + 1")
    list(GET arg_BITMAPS ${k} id)
    list(GET arg_BITMAPS ${next} file)
    get_filename_component(file ${file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
    list(APPEND arguments ${id} ${file})
    list(APPEND files ${file})
  endforeach()
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${arg_TARGET}_bitmaps.cpp)
  add_custom_command(OUTPUT ${source}
                     COMMAND korvo-embed ${source} ${arguments}
                     DEPENDS korvo-embed ${files}
                     COMMENT "Compiling bitmap resources into ${arg_TARGET}"
                     VERBATIM)
  add_library(${arg_TARGET} OBJECT ${source})
  target_link_libraries(${arg_TARGET} PRIVATE korvo_platform)
endfunction()
