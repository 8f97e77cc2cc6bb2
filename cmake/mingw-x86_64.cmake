# 64-bit Windows, for hosts that run 64-bit code only: the tests and stand-ins
# are built for it there (scripts/env.sh).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KX_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
set(KX_WIDL_ARCH --win64)
set(KX_WINE_TLB_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH "where stdole2.tlb lies")
