# The generated icons and image lists. icongen is a host program: in the
# Windows tree it is built with the host compiler as an external project
# (scripts/build.sh may pass a ready one as KX_ICONGEN).
set(KX_ICONGEN "" CACHE FILEPATH "host-built icongen executable")
if(NOT KX_ICONGEN OR NOT EXISTS "${KX_ICONGEN}")
    include(ExternalProject)
    ExternalProject_Add(icongen_host
        SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/icongen
        BINARY_DIR ${CMAKE_BINARY_DIR}/icongen-host
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${CMAKE_BINARY_DIR}/icongen-host/icongen)
    set(KX_ICONGEN_PROGRAM ${CMAKE_BINARY_DIR}/icongen-host/icongen)
    set(KX_ICONGEN_DEPENDS icongen_host)
else()
    set(KX_ICONGEN_PROGRAM ${KX_ICONGEN})
    set(KX_ICONGEN_DEPENDS ${KX_ICONGEN})
endif()

set(KX_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
add_custom_command(
    OUTPUT ${KX_ICON_DIR}/icons.rc ${KX_ICON_DIR}/icon_names.h
    COMMAND ${KX_ICONGEN_PROGRAM} ${KX_ICON_DIR}
    DEPENDS ${KX_ICONGEN_DEPENDS}
    COMMENT "Drawing the icons and image lists")
add_custom_target(kxicons DEPENDS ${KX_ICON_DIR}/icons.rc ${KX_ICON_DIR}/icon_names.h)
