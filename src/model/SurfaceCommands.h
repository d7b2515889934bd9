#pragma once
// Command ids of the Surface menu and the document's file commands.

namespace doc {

enum SurfaceCommand : int {
    ID_FILTER_NONE = 214,
    ID_FILTER_MEAN3 = 215,
    ID_FILTER_MEAN5 = 216,
    ID_FILTER_MEAN7 = 217,
    ID_FILTER_MEAN_CUSTOM = 218,
    ID_FILTER_MEDIAN3 = 219,
    ID_FILTER_MEDIAN3H = 220,
    ID_FILTER_MEDIAN3V = 221,
    ID_FILTER_MEDIAN5 = 222,
    ID_FILTER_MEDIAN5H = 223,
    ID_FILTER_MEDIAN5V = 224,
    ID_FILTER_MEDIAN_CUSTOM = 225,
    ID_FILTER_LAPLACE3 = 226,
    ID_FILTER_LAPLACE5 = 227,
    ID_FILTER_GAUSS3 = 228,
    ID_FILTER_GAUSS5 = 229,
    ID_FILTER_HIPASS3 = 230,
    ID_FILTER_HIPASS5 = 231,
    ID_FILTER_LOWPASS3 = 232,
    ID_FILTER_LOWPASS5 = 233,
    ID_FILTER_SHARPEN = 234,
    ID_JUMPS = 235,
    ID_STATISTICS = 236,
    ID_PLANE_PLANE = 237,
    ID_PLANE_PARABOLA_X = 238,
    ID_PLANE_PARABOLA_Y = 239,
    ID_PLANE_PARABOLOID = 240,
    ID_PLANE_NONE = 241,
    ID_NORMALIZE = 242,
    ID_FLATTING_POPUP = 243,
    ID_FLAT_X = 245,
    ID_MORPH_NONE = 246,
    ID_MORPH_DILATE3 = 247,
    ID_MORPH_ERODE3 = 248,
    ID_MORPH_DILATE_CUSTOM = 249,
    ID_MORPH_ERODE_CUSTOM = 250,
    ID_FLAT_Y = 251,
    ID_FLAT_YX = 252,
    ID_FLAT_NONE = 253,
    ID_PLANE_POPUP = 32824,
    ID_FOURIER = 32847,
    ID_FILTER_POPUP = 32880,
    ID_MORPH_POPUP = 32882,
    ID_AUTOCORRELATION = 32896,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
};

// What an update handler says of a command before a menu or tool bar shows it.
struct CCmdState {
    bool enabled = true;
    bool checked = false; // a check mark
    bool radio = false;   // the mark is a radio dot rather than a check
};

} // namespace doc
