# libFuzzer targets, built with clang++ beside the g++ host build. Each runs
# for a bounded time from its committed seed corpus as a CTest test.
set(QLX_FUZZ_FLAGS -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined
    -fno-sanitize-recover=all -I${CMAKE_SOURCE_DIR} -I${CMAKE_BINARY_DIR}/generated
    -I${CMAKE_SOURCE_DIR}/tools/szdd)

function(qlx_fuzz_target name)
    set(out ${CMAKE_BINARY_DIR}/fuzz/${name})
    set(srcs ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}.cpp)
    foreach(src ${ARGN})
        list(APPEND srcs ${CMAKE_SOURCE_DIR}/${src})
    endforeach()
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/fuzz
        COMMAND ${QLX_CLANGXX} ${QLX_FUZZ_FLAGS} ${srcs} -o ${out}
        DEPENDS ${srcs}
        IMPLICIT_DEPENDS CXX ${srcs}
        COMMENT "Building fuzz target ${name}")
    add_custom_target(${name} ALL DEPENDS ${out})
    set(corpus ${CMAKE_BINARY_DIR}/fuzz/${name}.corpus)
    add_test(NAME ${name}
        COMMAND sh -c "rm -rf '${corpus}' && mkdir -p '${corpus}' && cp '${CMAKE_SOURCE_DIR}/tests/fuzz/seeds/${name}/'* '${corpus}/' && '${out}' -artifact_prefix='${CMAKE_BINARY_DIR}/fuzz/' -max_total_time=5 -rss_limit_mb=1024 -print_final_stats=1 '${corpus}'")
    set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 120)
endfunction()

qlx_fuzz_target(fuzz_szdd_expand tools/szdd/szdd_codec.cpp)
qlx_fuzz_target(fuzz_szdd_roundtrip tools/szdd/szdd_codec.cpp)
qlx_fuzz_target(fuzz_pathtext base/pathtext.cpp base/rights.cpp location/rules.cpp)
qlx_fuzz_target(fuzz_registry_text base/regtext.cpp)
qlx_fuzz_target(fuzz_version_rule payload/version_rule.cpp)
qlx_fuzz_target(fuzz_tiling)
qlx_fuzz_target(fuzz_cmdline base/cmdline.cpp base/pathtext.cpp)
