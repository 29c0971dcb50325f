# Windows unit tests: GoogleTest cross-built from the Debian sources, run by
# CTest through scripts/wine-run.sh (wine64 in the rig's prefix, as the rig's
# unprivileged user).
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(QLX_TEST_PAYLOAD ${CMAKE_BINARY_DIR}/test-payload)
file(MAKE_DIRECTORY ${QLX_TEST_PAYLOAD})
# Test payloads: each source both plain and SZDD-compressed by tools/szdd.
set(QLX_TEST_PAYLOAD_FILES)
foreach(name text.txt binary.bin empty.bin one.bin seventeen.bin blanks.txt long.bin runs.bin)
    set(src ${CMAKE_SOURCE_DIR}/tests/win/data/${name})
    add_custom_command(OUTPUT ${QLX_TEST_PAYLOAD}/${name}.szdd
        COMMAND ${QLX_SZDD} compress ${src} ${QLX_TEST_PAYLOAD}/${name}.szdd
        DEPENDS ${src} ${QLX_SZDD})
    list(APPEND QLX_TEST_PAYLOAD_FILES ${QLX_TEST_PAYLOAD}/${name}.szdd)
endforeach()

add_executable(wintests
    tests/win/main.cpp
    tests/win/winhelpers.cpp
    tests/win/rig_test.cpp
    tests/win/syscalls_test.cpp
    tests/win/store_test.cpp
    tests/win/report_test.cpp
    tests/win/sequence_test.cpp
    tests/win/testres.rc)
target_include_directories(wintests PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests/win
    ${QLX_TEST_PAYLOAD} ${CMAKE_SOURCE_DIR}/tests/win/data)
target_compile_options(wintests PRIVATE ${QLX_WARNINGS})
target_link_options(wintests PRIVATE -static)
target_link_libraries(wintests PRIVATE qlx_core gtest)
set_source_files_properties(tests/win/testres.rc PROPERTIES
    OBJECT_DEPENDS "${QLX_TEST_PAYLOAD_FILES}")
set_target_properties(wintests PROPERTIES CROSSCOMPILING_EMULATOR
    ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)

include(GoogleTest)
gtest_add_tests(TARGET wintests TEST_LIST QLX_WINTESTS)
set_tests_properties(${QLX_WINTESTS} PROPERTIES LABELS wine TIMEOUT 120)
