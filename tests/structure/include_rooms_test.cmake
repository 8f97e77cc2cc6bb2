# Shows that include_rooms.cmake fails, naming the file and the header, on
# includes of generated headers that run upwards: it checks the small tree in
# fixture/, whose panel includes headers made in the plug-in's build folder
# (quoted, in angle brackets, configured) and whose layer includes a stand-in's,
# while its plug-in includes the panel's generated header, which is allowed. Run:
#   cmake [-DRESULTS=<folder for a JUnit report>] -P include_rooms_test.cmake
execute_process(
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_CURRENT_LIST_DIR}/fixture -P ${CMAKE_CURRENT_LIST_DIR}/include_rooms.cmake
    RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE output)

set(expected
    "panel/form/Form.h: includes Plugin.h generated in the build folder of plugin/, above panel/form/"
    "panel/control/Control.cpp: includes Plugin.h generated in the build folder of plugin/, above panel/control/"
    "panel/control/Control.cpp: includes Version.h generated in the build folder of plugin/, above panel/control/"
    "layer/Layer.cpp: includes StandIn.h generated in the build folder of standins/dispatcher/, outside the plug-in's rooms"
    "4 includes run upwards")
set(missing "")
foreach(line IN LISTS expected)
    string(FIND "${output}" "${line}" at)
    if(at LESS 0)
        list(APPEND missing "${line}")
    endif()
endforeach()
if(code EQUAL 0)
    list(APPEND missing "a failing exit")
endif()

if(RESULTS)
    set(verdict "")
    if(missing)
        set(verdict "<failure message=\"the check missed upward includes of generated headers\"/>")
    endif()
    file(WRITE ${RESULTS}/include_rooms_test.xml
        "<testsuites><testsuite name=\"Structure\"><testcase name=\"GeneratedHeadersRunOneWay\" classname=\"Structure\">${verdict}</testcase></testsuite></testsuites>\n")
endif()
if(missing)
    list(JOIN missing "\n  " text)
    message(FATAL_ERROR "the check on fixture/ did not report:\n  ${text}\nIt said:\n${output}")
endif()
message("the check names every upward include of a generated header in fixture/")
