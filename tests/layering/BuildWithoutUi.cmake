# Configures and builds identity/, controls/ and assets/ without the window
# layer (tests/layering/CMakeLists.txt), so that none of them can include
# ui/.
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SRC} -B ${OUT} RESULT_VARIABLE rc OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the lower layers do not configure without ui/:\n${log}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${OUT} -j 2 RESULT_VARIABLE rc OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the lower layers do not build without ui/:\n${log}")
endif()
message(STATUS "identity/, controls/ and assets/ build without ui/")
