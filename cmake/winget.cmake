# Writes the winget manifest of the built setup (run by the build once the
# setup is linked): the templates in packaging/winget filled with the
# product's names and version from cmake/product_names.cmake and the setup's
# SHA-256.
#   cmake -DSETUP=EXE -DSOURCE=DIR -DOUT=DIR -DRELEASE_URL=URL -P winget.cmake
cmake_policy(VERSION 3.20)
file(SHA256 ${SETUP} QLX_SETUP_SHA256)
string(TOUPPER ${QLX_SETUP_SHA256} QLX_SETUP_SHA256)
include(${SOURCE}/cmake/product_names.cmake)
set(QLX_RELEASE_URL ${RELEASE_URL})
file(GLOB templates ${SOURCE}/packaging/winget/*.yaml.in)
foreach(template ${templates})
    get_filename_component(name ${template} NAME)
    string(REGEX REPLACE "\\.in$" "" name ${name})
    configure_file(${template} ${OUT}/${name} @ONLY)
endforeach()
