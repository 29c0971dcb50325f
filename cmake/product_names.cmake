# The product's names as base/product.h spells them, for CMake scripts:
# QLX_PRODUCT, QLX_VENDOR, QLX_COPYRIGHT, QLX_VERSION (the text form) and
# QLX_DISPLAY_NAME (the Uninstall entry's DisplayName). Needs SOURCE.
file(STRINGS ${SOURCE}/base/product.h defines REGEX "^#define QLX_[A-Z_]+ \"[^\"]*\"$")
foreach(line ${defines})
    string(REGEX REPLACE "^#define (QLX_[A-Z_]+) \"(.*)\"$" "\\1;\\2" pair "${line}")
    list(GET pair 0 name)
    list(GET pair 1 value)
    set(${name} "${value}")
endforeach()
set(QLX_VERSION ${QLX_VERSION_TEXT})
file(STRINGS ${SOURCE}/base/product.h display REGEX "kUninstallDisplayName\\[\\] = QLX_PRODUCT \"")
string(REGEX REPLACE ".*= QLX_PRODUCT \"([^\"]*)\".*" "${QLX_PRODUCT}\\1" QLX_DISPLAY_NAME "${display}")
if(NOT QLX_PRODUCT OR NOT QLX_VENDOR OR NOT QLX_VERSION OR NOT QLX_DISPLAY_NAME)
    message(FATAL_ERROR "product names not found in ${SOURCE}/base/product.h")
endif()
