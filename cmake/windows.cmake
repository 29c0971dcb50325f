# Windows trees (i686: the product; x86_64: the same sources under wine64).
enable_language(RC)

if(NOT QLX_HOST_TOOLS)
    message(FATAL_ERROR "QLX_HOST_TOOLS must name build/host/tools (the szdd compressor)")
endif()
set(QLX_SZDD ${QLX_HOST_TOOLS}/szdd)

set(QLX_WARNINGS -Wall -Wextra -Werror)
set(QLX_PRODUCT_FLAGS ${QLX_WARNINGS} -fno-exceptions -fno-rtti -ffunction-sections
    -fdata-sections -fno-asynchronous-unwind-tables -fno-unwind-tables)
set(QLX_PRODUCT_LINK -static -static-libgcc -static-libstdc++ -Wl,--gc-sections -s)

# Everything of the setup but its entry point, for the executable and tests.
add_library(qlx_core STATIC
    ${QLX_PURE_SOURCES}
    setup/syscalls.cpp
    setup/state.cpp
    setup/report.cpp
    setup/sequence.cpp
    location/validate.cpp
    location/discover.cpp
    payload/store.cpp
    payload/manifest.cpp
    payload/mainexe.cpp
    registration/registry.cpp
    registration/apppaths.cpp
    registration/shortcuts.cpp
    ui/backdrop.cpp
    ui/dialogs.cpp)
target_include_directories(qlx_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(qlx_core PRIVATE ${QLX_PRODUCT_FLAGS})
target_link_libraries(qlx_core PUBLIC kernel32 user32 gdi32 advapi32 shell32 lz32 version)

include(${CMAKE_SOURCE_DIR}/cmake/payload.cmake)

add_executable(QuillarixSetup WIN32 setup/main.cpp resources/setup.rc)
target_compile_options(QuillarixSetup PRIVATE ${QLX_PRODUCT_FLAGS})
target_link_options(QuillarixSetup PRIVATE ${QLX_PRODUCT_LINK})
target_link_libraries(QuillarixSetup PRIVATE qlx_core)
target_include_directories(QuillarixSetup PRIVATE ${CMAKE_BINARY_DIR}/payload-rc ${QLX_ICON_DIR})
set_target_properties(QuillarixSetup PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(QuillarixSetup payload)
set_source_files_properties(resources/setup.rc PROPERTIES
    OBJECT_DEPENDS "${QLX_PAYLOAD_STORED}")

# Static checks of the built executable.
add_test(NAME setup_exe_imports
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/static/check_imports.sh ${QLX_OBJDUMP}
            $<TARGET_FILE:QuillarixSetup>)

add_test(NAME setup_exe_payload
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/static/check_payload.sh $<TARGET_FILE:QuillarixSetup>
            ${CMAKE_SOURCE_DIR}/resources/payload ${QLX_GEN_DIR} ${QLX_SZDD})

option(QLX_WINE_TESTS "Build the Windows unit tests (run under wine64)" OFF)
if(QLX_WINE_TESTS)
    include(${CMAKE_SOURCE_DIR}/cmake/wintests.cmake)
endif()
