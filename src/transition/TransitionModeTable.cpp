#include "transition/TransitionModes.h"

namespace orrivel {
namespace {

constexpr TransitionMode kModes[kTransitionModeCount] = {
    {"mirror left-right", TransitionMirrorColumns},  // 0
    {"mirror upside down", TransitionMirrorRows},  // 1
    {"row stretch wave", TransitionStretchRows},  // 2
    {"column stretch wave", TransitionStretchColumns},  // 3
    {"row jitter", TransitionJitterRows},  // 4
    {"cell scramble", TransitionScrambleCells},  // 5
    {"random cell dissolve", TransitionDissolveCells},  // 6
    {"cell dissolve downwards", TransitionDissolveDown},  // 7
    {"cell dissolve upwards", TransitionDissolveUp},  // 8
    {"cell dissolve rightwards", TransitionDissolveRight},  // 9
    {"cell dissolve leftwards", TransitionDissolveLeft},  // 10
    {"box from the centre", TransitionBoxCentre},  // 11
    {"box from the top-left corner", TransitionBoxTopLeft},  // 12
    {"box from the top-right corner", TransitionBoxTopRight},  // 13
    {"box from the bottom-left corner", TransitionBoxBottomLeft},  // 14
    {"box from the bottom-right corner", TransitionBoxBottomRight},  // 15
    {"row comb", TransitionCombRows},  // 16
    {"column comb", TransitionCombColumns},  // 17
    {"four-phase row comb", TransitionCombRows4},  // 18
    {"four-phase column comb", TransitionCombColumns4},  // 19
    {"iris dissolve", TransitionIris},  // 20
    {"torn-edge wipe downwards", TransitionTornWipeDown},  // 21
    {"torn-edge wipe upwards", TransitionTornWipeUp},  // 22
    {"wave rows settling, period 512 rows", TransitionWaveRows},  // 23
    {"wave rows settling, period 512 rows, opposite phase", TransitionWaveRowsInverse},  // 24
    {"wave rows settling, period 64 rows", TransitionWaveRowsShort},  // 25
    {"wave rows settling, period 64 rows, opposite phase", TransitionWaveRowsShortInverse},  // 26
    {"half circle from the top edge", TransitionHalfCircleTop},  // 27
    {"half circle from the bottom edge", TransitionHalfCircleBottom},  // 28
    {"half circle from the left edge", TransitionHalfCircleLeft},  // 29
    {"half circle from the right edge", TransitionHalfCircleRight},  // 30
    {"circle from the centre", TransitionCircleCentre},  // 31
    {"growing squares in 4-pixel cells", TransitionSquares4},  // 32
    {"growing squares in 8-pixel cells", TransitionSquares8},  // 33
    {"growing squares in 16-pixel cells", TransitionSquares16},  // 34
    {"vertical blinds of 8 columns, left to right", TransitionBlindColumns8},  // 35
    {"vertical blinds of 8 columns, right to left", TransitionBlindColumns8Reverse},  // 36
    {"vertical blinds of 16 columns, left to right", TransitionBlindColumns16},  // 37
    {"vertical blinds of 16 columns, right to left", TransitionBlindColumns16Reverse},  // 38
    {"horizontal blinds of 8 rows, top down", TransitionBlindRows8},  // 39
    {"horizontal blinds of 8 rows, bottom up", TransitionBlindRows8Reverse},  // 40
    {"horizontal blinds of 16 rows, top down", TransitionBlindRows16},  // 41
    {"horizontal blinds of 16 rows, bottom up", TransitionBlindRows16Reverse},  // 42
    {"diagonal stripes, period 8", TransitionDiagonalStripes8},  // 43
    {"diagonal stripes, period 16", TransitionDiagonalStripes16},  // 44
    {"spiral-in cells of single pixels", TransitionSpiralInPixels},  // 45
    {"spiral-out cells of single pixels", TransitionSpiralOutPixels},  // 46
    {"spiral-in cells of 2-pixel blocks", TransitionSpiralIn2},  // 47
    {"spiral-out cells of 2-pixel blocks", TransitionSpiralOut2},  // 48
    {"spiral-in cells of 4-pixel blocks", TransitionSpiralIn4},  // 49
    {"spiral-out cells of 4-pixel blocks", TransitionSpiralOut4},  // 50
    {"spiral-in cells of 8-pixel blocks", TransitionSpiralIn8},  // 51
    {"spiral-out cells of 8-pixel blocks", TransitionSpiralOut8},  // 52
    {"cross-fade", TransitionCrossFade},  // 53
    {"scattered blocks gather (from below right)", TransitionScatterBlocks},  // 54
    {"blocks burst from the centre (4 x 2)", TransitionBurstBlocks},  // 55
    {"blocks burst from the centre (2 x 2)", TransitionBurstBlocksFine},  // 56
    {"whirling burst of blocks", TransitionWhirlBlocks},  // 57
    {"orbiting blocks", TransitionOrbitBlocks},  // 58
    {"warped blocks about the centre", TransitionWarpBlocks},  // 59
    {"blocks turn about the centre (2 x 2)", TransitionRotateBlocks2},  // 60
    {"blocks turn about the centre (4 x 4)", TransitionRotateBlocks4},  // 61
    {"blocks turn about the centre (8 x 8)", TransitionRotateBlocks8},  // 62
    {"turning and whirling blocks", TransitionRotateWhirlBlocks},  // 63
    {"cells drop in (8 x 8)", TransitionDropCells8},  // 64
    {"cells drop in (16 x 16)", TransitionDropCells16},  // 65
    {"jittering blocks settle", TransitionJitterBlocks},  // 66
    {"blocks rise into place", TransitionSettleBlocks},  // 67
    {"mosaic clears (centred grid)", TransitionMosaicCentred},  // 68
    {"mosaic clears (corner grid)", TransitionMosaicCorner},  // 69
    {"negative flash", TransitionNegativeFlash},  // 70
    {"staggered column bands, rightward, 16", TransitionBandsRightward16},  // 71
    {"staggered column bands, leftward, 16", TransitionBandsLeftward16},  // 72
    {"staggered column bands, rightward, 8", TransitionBandsRightward8},  // 73
    {"staggered column bands, leftward, 8", TransitionBandsLeftward8},  // 74
    {"staggered row bands, downward, 16", TransitionBandsDownward16},  // 75
    {"staggered row bands, upward, 16", TransitionBandsUpward16},  // 76
    {"staggered row bands, downward, 8", TransitionBandsDownward8},  // 77
    {"staggered row bands, upward, 8", TransitionBandsUpward8},  // 78
    {"stretch reveal from the right edge", TransitionStretchRevealLeftward},  // 79
    {"stretch reveal from the left edge", TransitionStretchRevealRightward},  // 80
    {"stretch reveal from the bottom edge", TransitionStretchRevealUpward},  // 81
    {"stretch reveal from the top edge", TransitionStretchRevealDownward},  // 82
    {"windmill, clockwise", TransitionWindmillClockwise},  // 83
    {"windmill, counter-clockwise", TransitionWindmillCounterClockwise},  // 84
    {"halves slide in from the sides", TransitionSlideHalvesSideways},  // 85
    {"halves slide in from top and bottom", TransitionSlideHalvesVertical},  // 86
};

}  // namespace

const TransitionMode& GetTransitionMode(uint32_t mode) { return kModes[mode]; }

}  // namespace orrivel
