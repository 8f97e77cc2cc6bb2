# Windows build (MinGW-w64 i686): plug-in DLL, stand-in programs, Wine tests.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
# SSE arithmetic: x87 precision differs between Wine's threads, which made
# doubles crossing processes differ by one ulp.
add_compile_options(-Wall -Wextra -Wno-unknown-pragmas -msse2 -mfpmath=sse)
# Only system DLLs are imported: the C and C++ runtimes are linked in.
add_link_options(-static -static-libgcc -static-libstdc++)

if(NOT KX_WIDL_ARCH)
    set(KX_WIDL_ARCH --win32)
endif()
set(KX_WINE_IDL_DIR ${CMAKE_SOURCE_DIR}/.deps/wine-include CACHE PATH "standard OLE IDL files")
set(KX_WINE_TLB_DIR /usr/lib/i386-linux-gnu/wine/i386-windows CACHE PATH "where stdole2.tlb lies")
set(KX_IDL_INCLUDE_DIRS ${CMAKE_SOURCE_DIR}/host ${CMAKE_SOURCE_DIR}/server ${CMAKE_SOURCE_DIR}/panel)

# Compiles IDL with widl into <name>.h, <name>_i.c and, when the IDL holds a
# library, <name>.tlb, all in the current binary dir. Sets <var>_HEADER,
# <var>_IID and <var>_TLB for the caller.
function(kx_idl var idl)
    cmake_parse_arguments(ARG "TYPELIB" "" "" ${ARGN})
    get_filename_component(name ${idl} NAME_WE)
    get_filename_component(idl_abs ${idl} ABSOLUTE)
    set(out_h ${CMAKE_CURRENT_BINARY_DIR}/${name}.h)
    set(out_i ${CMAKE_CURRENT_BINARY_DIR}/${name}_i.c)
    set(outputs ${out_h} ${out_i})
    set(flags -h -H ${out_h} -u -U ${out_i})
    if(ARG_TYPELIB)
        set(out_t ${CMAKE_CURRENT_BINARY_DIR}/${name}.tlb)
        list(APPEND outputs ${out_t})
        list(APPEND flags -t -T ${out_t})
        set(${var}_TLB ${out_t} PARENT_SCOPE)
    endif()
    set(includes)
    foreach(dir ${KX_IDL_INCLUDE_DIRS} ${KX_WINE_IDL_DIR})
        list(APPEND includes -I ${dir})
    endforeach()
    add_custom_command(
        OUTPUT ${outputs}
        COMMAND ${KX_WIDL} ${KX_WIDL_ARCH} ${includes} -L ${KX_WINE_TLB_DIR} ${flags} ${idl_abs}
        DEPENDS ${idl_abs}
        COMMENT "widl ${name}.idl"
        VERBATIM)
    set(${var}_HEADER ${out_h} PARENT_SCOPE)
    set(${var}_IID ${out_i} PARENT_SCOPE)
endfunction()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${KX_GOOGLETEST_DIR} googletest EXCLUDE_FROM_ALL)

# A test program run under Wine, registered with ctest as one test; its XML
# result feeds the closing count of scripts/test.sh.
function(kx_wine_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE gtest_main ole32 oleaut32 uuid)
    add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:Z:${CMAKE_BINARY_DIR}/test-results/${name}.xml)
endfunction()

# Programs, the plug-in and the tests land side by side, so that tests and
# the stand-in shell find the plug-in the way a user's installation does.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

include(${CMAKE_CURRENT_LIST_DIR}/icons.cmake)
