# Reads the version record section of the executable and checks its fields.
find_program(READELF readelf REQUIRED)
execute_process(COMMAND ${READELF} -p .zm_version ${EXE} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "no version record in ${EXE}")
endif()
foreach(expected "FileVersion=${FILE_VERSION}" "ProductVersion=${PRODUCT_VERSION}" "CompanyName=${COMPANY}"
                 "FileDescription=Quorvin Zoltava mno" "ProductName=Quorvin Zoltava mno" "Comments=Autor:")
    string(FIND "${out}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "version record lacks ${expected}:\n${out}")
    endif()
endforeach()
message(STATUS "version record:\n${out}")
