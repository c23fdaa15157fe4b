# Fails the build when a folder includes what its part may not see.
# The libraries' headers all lie on the compiler's default search path, so
# include directories alone cannot keep them out of the wrong part.
#   cmake -DSOURCE_DIR=<project> -P CheckIncludes.cmake
cmake_minimum_required(VERSION 3.25)

# folder: the project folders it may include from
set(own_player    player common)
set(own_common    common)
set(own_mpvengine mpvengine player common)
set(own_readers   readers player common)
set(own_pane      pane player common)
set(own_recorder  recorder common)
# folder: the outside libraries' headers it may include
set(lib_mpvengine "mpv/")
set(lib_readers   "libavformat/;libavcodec/;libavutil/;libswresample/")
set(lib_recorder  "pulse/;lame/")

set(project_folders player common mpvengine readers pane recorder app playback pausepoints recording res)
set(library_headers mpv/ libavformat/ libavcodec/ libavutil/ libswresample/ pulse/ lame/)

set(faults "")
foreach(folder IN LISTS project_folders)
  file(GLOB files "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"][^>\"]+[>\"]")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*" "\\1" included "${line}")
      string(REGEX MATCH "^[^/]+/" top "${included}")
      if(top STREQUAL "")
        continue()
      endif()
      string(REGEX REPLACE "/$" "" top_folder "${top}")
      set(wrong OFF)
      if(top_folder IN_LIST project_folders AND DEFINED own_${folder})
        if(NOT top_folder IN_LIST own_${folder})
          set(wrong ON)
        endif()
      elseif(top IN_LIST library_headers)
        if(NOT top IN_LIST lib_${folder})
          set(wrong ON)
        endif()
      endif()
      file(RELATIVE_PATH shown "${SOURCE_DIR}" "${file}")
      if(wrong)
        string(APPEND faults "  ${shown}: ${included}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(NOT faults STREQUAL "")
  message(FATAL_ERROR "Includes across the parts' borders:\n${faults}")
endif()
