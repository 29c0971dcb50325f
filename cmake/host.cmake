# Host tree: the build tools, native unit tests under ASan/UBSan, and the
# bounded fuzz runs.
find_package(GTest REQUIRED)

# The build tools, into build/host/tools.
add_subdirectory(tools)

# Tests build their own sanitized copies of the sources under test.
set(QLX_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_executable(host_tests
    tests/host/cmdline_test.cpp
    tests/host/pathtext_test.cpp
    tests/host/rules_test.cpp
    tests/host/szdd_codec_test.cpp
    tests/host/szdd_optimal_test.cpp
    tests/host/tiling_test.cpp
    tests/host/version_rule_test.cpp
    tools/szdd/szdd_codec.cpp
    # The system-free product sources under test (the fuzz targets name theirs).
    base/cmdline.cpp
    base/pathtext.cpp
    base/rights.cpp
    location/rules.cpp
    payload/version_rule.cpp)
target_include_directories(host_tests PRIVATE ${CMAKE_SOURCE_DIR} tools/szdd)
target_compile_options(host_tests PRIVATE -Wall -Wextra -Werror -g ${QLX_SANITIZE})
target_link_options(host_tests PRIVATE ${QLX_SANITIZE})
target_link_libraries(host_tests PRIVATE GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(host_tests DISCOVERY_TIMEOUT 60)

# The szdd command line against an independent decoder (msexpand).
add_test(NAME szdd_tool_against_msexpand
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/host/szdd_tool_test.sh
            $<TARGET_FILE:szdd> ${CMAKE_BINARY_DIR}/szdd_tool_test)

add_test(NAME rig_loader_choice
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/host/rig_loader_test.sh ${CMAKE_SOURCE_DIR})
add_test(NAME license_text_format
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/host/license_text_test.sh
            ${CMAKE_SOURCE_DIR}/resources/payload/license.txt)

# Fuzzing with clang's libFuzzer, a few seconds per target from the seeds.
find_program(QLX_CLANGXX clang++)
if(QLX_CLANGXX)
    include(${CMAKE_SOURCE_DIR}/cmake/fuzz.cmake)
else()
    message(WARNING "clang++ not found: fuzz targets are not built")
endif()

# The product's folders include only from the floors below them.
add_test(NAME include_floors
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/static/check_layers.sh ${CMAKE_SOURCE_DIR})
