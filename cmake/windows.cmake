# Windows trees (i686: the product; x86_64: the same sources).
enable_language(RC)

# The host tools, built natively by this tree itself: it runs them to make
# its payload.
include(ExternalProject)
set(QLX_HOST_TOOLS ${CMAKE_BINARY_DIR}/host-tools)
set(QLX_SZDD ${QLX_HOST_TOOLS}/szdd)
ExternalProject_Add(host_tools
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools
    BINARY_DIR ${QLX_HOST_TOOLS}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${QLX_SZDD} ${QLX_HOST_TOOLS}/mktables ${QLX_HOST_TOOLS}/mkicon
                     ${QLX_HOST_TOOLS}/mktestdata)

set(QLX_WARNINGS -Wall -Wextra -Werror)
# No -fdata-sections: on PE it would put zero-initialised globals (the setup
# state) into .data, stored in the file, instead of .bss.
set(QLX_PRODUCT_FLAGS ${QLX_WARNINGS} -fno-exceptions -fno-rtti -ffunction-sections -fno-ident
    -fno-asynchronous-unwind-tables -fno-unwind-tables)
# Builds are reproducible: no build path in the objects, no time stamp in
# the PE header (and so the same checksum).
set(QLX_PRODUCT_FLAGS ${QLX_PRODUCT_FLAGS} -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
    -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
# Terminal-Server aware: on a Remote Desktop Session Host, Windows gives a program without the
# flag a private Windows folder for each user (the lock and the uninstaller would go there).
set(QLX_PRODUCT_LINK -static -static-libgcc -static-libstdc++ -Wl,--gc-sections -s
    -Wl,--no-insert-timestamp -Wl,--tsaware)

# One library per floor, each built from every source in its folder and
# linked only to the floors below it: base at the bottom, what both programs
# share and the one floor that the uninstaller links; install, the setup's
# own call table, plan and reporting; registration, location, payload and
# ui above it, in that order; the setup sequence on top. The setup's entry
# point and the uninstaller are programs of their own.
set(QLX_FLOORS base install registration location payload ui setup)
set(QLX_FLOOR_LIBRARIES "")
foreach(floor ${QLX_FLOORS})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${floor}/*.cpp)
    list(REMOVE_ITEM sources ${CMAKE_SOURCE_DIR}/setup/main.cpp)
    add_library(qlx_${floor} STATIC ${sources})
    target_include_directories(qlx_${floor} PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(qlx_${floor} PRIVATE ${QLX_PRODUCT_FLAGS})
    target_link_libraries(qlx_${floor} PUBLIC ${QLX_FLOOR_LIBRARIES})
    list(PREPEND QLX_FLOOR_LIBRARIES qlx_${floor})
endforeach()
# Only the known system libraries are imported (the LZ expansion comes from
# KERNEL32); VERSION, BCRYPT, OLE32 and OLEAUT32 are loaded at run time
# from the system folder by their full paths.
target_link_libraries(qlx_base PUBLIC kernel32 user32 gdi32 advapi32 shell32)

include(${CMAKE_SOURCE_DIR}/cmake/signing.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/payload.cmake)

# The resource script (templates, icon, payload), compiled once for the
# setup and the Windows tests.
add_library(qlx_resources OBJECT resources/setup.rc)
target_include_directories(qlx_resources PRIVATE ${CMAKE_SOURCE_DIR}
    ${CMAKE_BINARY_DIR}/payload-rc ${QLX_ICON_DIR})
add_dependencies(qlx_resources payload)
set_source_files_properties(resources/setup.rc PROPERTIES
    OBJECT_DEPENDS "${QLX_PAYLOAD_STORED};${QLX_ICON};${CMAKE_BINARY_DIR}/payload-rc/payload.rc;${CMAKE_SOURCE_DIR}/resources/program.manifest;${CMAKE_SOURCE_DIR}/resources/versioninfo.rc")

add_executable(QuillarixSetup WIN32 setup/main.cpp $<TARGET_OBJECTS:qlx_resources>)
# The setup enters at SetupEntry, without the C runtime's start-up files.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(QLX_ENTRY _SetupEntry@0)
else()
    set(QLX_ENTRY SetupEntry)
endif()
target_link_options(QuillarixSetup PRIVATE -nostartfiles -Wl,-e,${QLX_ENTRY})
target_compile_options(QuillarixSetup PRIVATE ${QLX_PRODUCT_FLAGS})
target_link_options(QuillarixSetup PRIVATE ${QLX_PRODUCT_LINK}
    -Wl,-Map=${CMAKE_BINARY_DIR}/QuillarixSetup.map)
target_link_libraries(QuillarixSetup PRIVATE qlx_setup)
set_target_properties(QuillarixSetup PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# Signed last: the programs it carries were signed before they were packed.
qlx_sign(QuillarixSetup)

# The rig runs this at its start to learn whether the machine runs 32-bit
# Windows programs: it exits with its pointer width in bits.
add_executable(bitness tests/win/bitness.cpp)
target_link_options(bitness PRIVATE -static)
set_target_properties(bitness PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# Static checks of the built executable. Text meets the display and the
# shell in UTF-16 only: no 8-bit dialog, message box or shell path. The
# setup starts no program itself but its own elevated copy (ShellExecuteExW
# with "runas", which names its file in full): Quillarix is started by the
# desktop's shell or not at all.
set(QLX_NO_8BIT_TEXT DialogBoxParamA CreateDialogParamA MessageBoxA SHBrowseForFolderA
    SHGetPathFromIDListA GetModuleFileNameA GetCommandLineA GetTempPathA GetDlgItemTextA
    SetDlgItemTextA SetWindowTextA SHGetFolderPathA FormatMessageA)
add_test(NAME QuillarixSetup_imports
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/static/check_imports.sh ${QLX_OBJDUMP}
            $<TARGET_FILE:QuillarixSetup> ${QLX_NO_8BIT_TEXT} ShellExecuteA ShellExecuteW ShellExecuteExA
            "CreateProcess*"
            "WinExec")
add_test(NAME uninstaller_app_imports
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/static/check_imports.sh ${QLX_OBJDUMP}
            $<TARGET_FILE:uninstaller_app> ${QLX_NO_8BIT_TEXT})
# The check itself refuses an import that Windows forwards out of the known
# libraries: a program that calls RtlGenRandom through advapi32 fails it.
add_executable(forwarded_import WIN32 tests/static/forwarded_import.cpp)
target_link_libraries(forwarded_import PRIVATE advapi32)
add_test(NAME imports_check_refuses_forwarder
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/static/check_imports.sh ${QLX_OBJDUMP}
            $<TARGET_FILE:forwarded_import>)
set_tests_properties(imports_check_refuses_forwarder PROPERTIES
    PASS_REGULAR_EXPRESSION "FORBIDDEN function: ADVAPI32.dll:SystemFunction036")

# What each program links, read from its linker map: the setup takes objects
# of every floor, each using only its own floor and those below it; the
# uninstaller takes only base's. (The includes are checked by the host tree.)
string(JOIN " " QLX_FLOOR_ORDER ${QLX_FLOORS})
add_test(NAME setup_links_floors
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/static/check_links.sh ${CMAKE_NM}
            ${CMAKE_BINARY_DIR}/QuillarixSetup.map "${QLX_FLOOR_ORDER}"
            $<TARGET_OBJECTS:QuillarixSetup>)
add_test(NAME uninstaller_links_floors
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/static/check_links.sh ${CMAKE_NM}
            ${QLX_UNINSTALLER_MAP} "base uninstaller"
            $<TARGET_OBJECTS:uninstaller_app>)

add_test(NAME setup_exe_payload
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/static/check_payload.sh $<TARGET_FILE:QuillarixSetup>
            ${QLX_PAYLOAD_TABLE} ${QLX_SZDD})

add_test(NAME setup_exe_manifests
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/static/check_manifests.sh $<TARGET_FILE:QuillarixSetup>
            ${QLX_SZDD} ${CMAKE_SOURCE_DIR}/resources/program.manifest
            ${CMAKE_SOURCE_DIR}/quillarix/app.manifest ${QLX_ID_OF_IDF_UNINSTALLER}
            ${QLX_ID_OF_IDF_MAIN_EXE})

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_test(NAME setup_exe_footprint
        COMMAND sh ${CMAKE_SOURCE_DIR}/tests/static/check_footprint.sh ${QLX_OBJDUMP}
                $<TARGET_FILE:QuillarixSetup> 90112)
endif()
# The winget manifest of the product (the i686 setup), written next to it
# once it is linked, and checked against it.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(QLX_RELEASE_URL "https://downloads.orvanta.example/quillarix/QuillarixSetup.exe"
        CACHE STRING "Where users download the released setup (the winget manifest's InstallerUrl)")
    set(QLX_WINGET_DIR ${CMAKE_BINARY_DIR}/packaging/winget)
    file(GLOB QLX_WINGET_TEMPLATES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/packaging/winget/*.yaml.in)
    set(QLX_WINGET_FILES "")
    foreach(template ${QLX_WINGET_TEMPLATES})
        get_filename_component(name ${template} NAME)
        string(REGEX REPLACE "\\.in$" "" name ${name})
        list(APPEND QLX_WINGET_FILES ${QLX_WINGET_DIR}/${name})
    endforeach()
    add_custom_command(OUTPUT ${QLX_WINGET_FILES}
        COMMAND ${CMAKE_COMMAND} -DSETUP=$<TARGET_FILE:QuillarixSetup> -DSOURCE=${CMAKE_SOURCE_DIR}
                -DOUT=${QLX_WINGET_DIR} -DRELEASE_URL=${QLX_RELEASE_URL}
                -P ${CMAKE_SOURCE_DIR}/cmake/winget.cmake
        DEPENDS QuillarixSetup ${QLX_WINGET_TEMPLATES} ${CMAKE_SOURCE_DIR}/cmake/winget.cmake
                ${CMAKE_SOURCE_DIR}/cmake/product_names.cmake
        COMMENT "Writing the winget manifest")
    add_custom_target(winget_manifest ALL DEPENDS ${QLX_WINGET_FILES})
    add_test(NAME setup_winget_manifest
        COMMAND ${CMAKE_COMMAND} -DMANIFEST=${QLX_WINGET_DIR} -DSETUP=$<TARGET_FILE:QuillarixSetup>
                -DSOURCE=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/tests/static/check_winget.cmake)
endif()

# The product is built reproducibly: built again in another folder, it is
# the same to the byte (a signed build too: the same key, the same time).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_test(NAME setup_exe_reproducible
        COMMAND sh ${CMAKE_SOURCE_DIR}/tests/static/check_reproducible.sh ${CMAKE_SOURCE_DIR}
                win32 $<TARGET_FILE:QuillarixSetup> ${QLX_SIGN_TIME})
    set_tests_properties(setup_exe_reproducible PROPERTIES TIMEOUT 1800)
    # A build signed with a throwaway certificate, in a tree of its own; one
    # end-to-end scenario runs its setup too (cmake/wintests.cmake).
    set(QLX_SIGNED_TREE ${CMAKE_BINARY_DIR}/signed)
    add_test(NAME setup_exe_signed
        COMMAND sh ${CMAKE_SOURCE_DIR}/tests/static/check_signed.sh ${CMAKE_SOURCE_DIR}
                ${QLX_SIGNED_TREE} ${QLX_OBJDUMP})
    set_tests_properties(setup_exe_signed PROPERTIES TIMEOUT 1800 FIXTURES_SETUP signed_setup)
endif()
get_property(QLX_STATIC_TESTS DIRECTORY PROPERTY TESTS)
set_tests_properties(${QLX_STATIC_TESTS} PROPERTIES LABELS static)

option(QLX_WINE_TESTS "Build the Windows unit and end-to-end tests (run under Wine)" OFF)
if(QLX_WINE_TESTS)
    include(${CMAKE_SOURCE_DIR}/cmake/wintests.cmake)
endif()
