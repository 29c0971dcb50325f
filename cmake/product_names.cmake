# The product's names and version, written once here. The build generates
# base/product_names.h from them (cmake/product_names.h.in) for the C++
# sources and resource scripts, and the CMake scripts (the winget manifest)
# include this file: QLX_PRODUCT, QLX_VENDOR, QLX_COPYRIGHT, QLX_VERSION
# (the text form), its four fields, QLX_DISPLAY_NAME (the Uninstall
# entry's DisplayName) and QLX_PRODUCT_URL (the product's web page, named in
# the programs' signatures).
set(QLX_PRODUCT "Quillarix")
set(QLX_VENDOR "Orvanta")
set(QLX_PRODUCT_URL "https://www.orvanta.example/quillarix/")
set(QLX_VERSION_MAJOR 1)
set(QLX_VERSION_MINOR 0)
set(QLX_VERSION_PATCH 0)
set(QLX_VERSION_BUILD 0)
set(QLX_COPYRIGHT "Copyright (c) Orvanta Software. All rights reserved.")
set(QLX_UNINSTALLER_EXE "qlxuins1.exe")
string(TOUPPER "${QLX_PRODUCT}" QLX_PRODUCT_UPPER)
set(QLX_VERSION "${QLX_VERSION_MAJOR}.${QLX_VERSION_MINOR}.${QLX_VERSION_PATCH}.${QLX_VERSION_BUILD}")
set(QLX_DISPLAY_NAME "${QLX_PRODUCT} Version ${QLX_VERSION_MAJOR}.${QLX_VERSION_MINOR}   (Remove Only)")
