// The product's compiled-in names. Everything that names the product, its
// folder, its main executable or its vendor reads them from here.
#pragma once

inline constexpr char kProductName[] = "Quillarix";
inline constexpr char kProductNameUpper[] = "QUILLARIX";
inline constexpr char kProductFolder[] = "\\Quillarix";
inline constexpr char kMainExeName[] = "Quillarix.exe";
inline constexpr char kUninstallerName[] = "qlxuins1.exe";
inline constexpr char kStagingDataName[] = "data.tmp";
inline constexpr char kStagingImageName[] = "image.tmp";
