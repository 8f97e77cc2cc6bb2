# Native build: the portable code under AddressSanitizer and UBSan.
option(KX_SANITIZE "Build the native tree with ASan and UBSan" ON)
add_compile_options(-Wall -Wextra)
if(KX_SANITIZE)
    set(KX_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${KX_GOOGLETEST_DIR} googletest EXCLUDE_FROM_ALL)

# A portable test executable, sanitized, registered with ctest as one test.
function(kx_native_test name)
    add_executable(${name} ${ARGN})
    target_compile_options(${name} PRIVATE ${KX_SANITIZER_FLAGS})
    target_link_options(${name} PRIVATE ${KX_SANITIZER_FLAGS})
    target_link_libraries(${name} PRIVATE gtest_main)
    add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${CMAKE_BINARY_DIR}/test-results/${name}.xml)
endfunction()
