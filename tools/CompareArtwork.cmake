# Repaints the artwork into WORK_DIR and fails when any file differs from the
# committed copy under SOURCE_DIR (someone changed the painter but not the files).
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${PAINTER} ${WORK_DIR} RESULT_VARIABLE paintResult)
if(NOT paintResult EQUAL 0)
  message(FATAL_ERROR "paint_artwork failed: ${paintResult}")
endif()
set(files
  Images/bitmaps.bmp
  windows/pictures/splash.png
  windows/pictures/info.png
  windows/pictures/playfield.png
  windows/pictures/icon256.png
  windows/pictures/icon128.png
  windows/pictures/icon64.png
  windows/pictures/icon48.png
  windows/pictures/icon32.png
  windows/pictures/icon24.png
  windows/pictures/icon16.png)
set(stale "")
foreach(f IN LISTS files)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/${f} ${SOURCE_DIR}/${f}
                  RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    list(APPEND stale ${f})
  endif()
endforeach()
if(stale)
  message(FATAL_ERROR "Committed artwork is stale, run `ninja artwork`: ${stale}")
endif()
