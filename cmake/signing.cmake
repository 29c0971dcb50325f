# Authenticode signing of the built programs. With QLX_SIGN_PFX (the
# absolute path of a PKCS#12 file: the key and its certificates) in the
# environment when the tree is configured, qlx_sign(TARGET) signs the
# target's file in place as soon as it is linked (cmake/sign.sh, which reads
# QLX_SIGN_PASSWORD at build time): the carried programs before they are
# compressed into the payload, the setup last. The signing time is the last
# commit's, or SOURCE_DATE_EPOCH where it is set, never the clock: the same
# key then signs the same program to the same bytes. QLX_SIGN_TIMESTAMP_URL
# adds an RFC 3161 timestamp from that server. Without QLX_SIGN_PFX nothing
# is signed and the programs are what the linker wrote.
set(QLX_SIGN_PFX "$ENV{QLX_SIGN_PFX}")
set(QLX_SIGN_TIMESTAMP_URL "$ENV{QLX_SIGN_TIMESTAMP_URL}")
# The signing as configured; every signed target links again when it changes
# (signed or not, another key, another time), so no tree keeps stale bytes.
set(QLX_SIGN_STAMP ${CMAKE_BINARY_DIR}/signing.txt)
if(QLX_SIGN_PFX)
    if(NOT IS_ABSOLUTE "${QLX_SIGN_PFX}" OR NOT EXISTS "${QLX_SIGN_PFX}")
        message(FATAL_ERROR "QLX_SIGN_PFX must name an existing PKCS#12 file by its absolute path")
    endif()
    if(NOT DEFINED ENV{QLX_SIGN_PASSWORD})
        message(FATAL_ERROR "QLX_SIGN_PFX is set: QLX_SIGN_PASSWORD must be set too")
    endif()
    find_program(QLX_OSSLSIGNCODE osslsigncode REQUIRED)
    if(DEFINED ENV{SOURCE_DATE_EPOCH})
        set(QLX_SIGN_TIME "$ENV{SOURCE_DATE_EPOCH}")
    else()
        execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct
            OUTPUT_VARIABLE QLX_SIGN_TIME OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
    if(NOT QLX_SIGN_TIME MATCHES "^[0-9]+$")
        message(FATAL_ERROR "signing needs a time: without git history, set SOURCE_DATE_EPOCH")
    endif()
    set(QLX_SIGNING "signed with ${QLX_SIGN_PFX} at ${QLX_SIGN_TIME}")
    if(QLX_SIGN_TIMESTAMP_URL)
        string(APPEND QLX_SIGNING ", timestamped by ${QLX_SIGN_TIMESTAMP_URL}")
    endif()
    message(STATUS "Programs ${QLX_SIGNING}")
else()
    set(QLX_SIGNING "unsigned")
endif()
file(CONFIGURE OUTPUT ${QLX_SIGN_STAMP} CONTENT "${QLX_SIGNING}\n" @ONLY)

function(qlx_sign target)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${QLX_SIGN_STAMP})
    if(QLX_SIGN_PFX)
        set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${QLX_SIGN_PFX})
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/sign.sh ${QLX_OSSLSIGNCODE}
                    $<TARGET_FILE:${target}> ${QLX_SIGN_PFX} ${QLX_SIGN_TIME} ${QLX_PRODUCT}
                    ${QLX_PRODUCT_URL} ${QLX_SIGN_TIMESTAMP_URL}
            VERBATIM)
    endif()
endfunction()
