// The 29 manifest rows, in the order in which they are written. Free of the
// system: the uninstaller reads the same list to know what to remove.
#include "payload/manifest.h"

#include "resources/resource.h"

constexpr InstallMethod E = InstallMethod::kExpand;
constexpr InstallMethod W = InstallMethod::kWriteRaw;

const ManifestRow kManifest[29] = {
    {IDF_SAMPLE, "Sample.scp", E, false},
    {IDF_SAMPLE_3CAM, "Sample3Cam.scp", E, false},
    {IDF_SAMPLE_TAPE_LIVE, "SampleTapeLive.scp", E, false},
    {IDF_REGISTER, "register.txt", E, false},
    {IDF_VENDOR, "vendor.txt", E, false},
    {IDF_LICENSE, "license.txt", W, false},
    {IDF_MAIN_DCT, "main.dct", E, false},
    {IDF_BUCKET, "bucket.bin", E, false},
    {IDF_TABLE1, "table1.bin", E, false},
    {IDF_TABLE2, "table2.bin", E, false},
    {IDF_HELP, "Quillarix.hlp", E, false},
    {IDF_THESAURUS, "thes.bin", W, false},
    {IDF_SCHEME_BLACK_WHITE, "BlackWhite.scm", W, true},
    {IDF_SCHEME_BLUE, "Blue.scm", W, true},
    {IDF_SCHEME_BROWN, "Brown.scm", W, true},
    {IDF_SCHEME_GREEN, "Green.scm", W, true},
    {IDF_SCHEME_PURPLE, "Purple.scm", W, true},
    {IDF_SCHEME_WHITE, "White.scm", W, true},
    {IDF_STYLE_FEATURE_LOOSE, "Feature_Loose.stp", W, true},
    {IDF_STYLE_FEATURE, "Feature.stp", W, true},
    {IDF_STYLE_FEATURE_TIGHT, "Feature_Tight.stp", W, true},
    {IDF_STYLE_PLAY_ALTERNATE, "Play_Alternate.stp", W, true},
    {IDF_STYLE_PLAY, "Play.stp", W, true},
    {IDF_STYLE_PROOF_DBLSPC, "Proof_DblSpc.stp", W, true},
    {IDF_STYLE_PROOF_LEFT, "Proof_Left.stp", W, true},
    {IDF_STYLE_PROOF_RIGHT, "Proof_Right.stp", W, true},
    {IDF_STYLE_TV_TAPE_LIVE, "TV-TapeLive.stp", W, true},
    {IDF_STYLE_TV_THREE_CAMERA2, "TV-ThreeCamera2.stp", W, true},
    {IDF_STYLE_TV_THREE_CAMERA, "TV-ThreeCamera.stp", W, true},
};

