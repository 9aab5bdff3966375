#pragma once
// The 87 numbered transition modes. Each mode is the shared routine
// skeleton (RunTransitionRoutine) around the partial frame declared here:
// the picture at a progress from 1 to 255, drawn fragment by fragment through
// frame.draw. A partial frame that has nothing to draw leaves the
// destination as it is and returns 0.
#include <cstdint>

#include "raster/Image.h"
#include "raster/Rect.h"
#include "transition/FragmentDrawer.h"

namespace orrivel {

class Surface;
class TransitionScreen;

// What every partial frame gets: the call, the source size and the back end.
struct TransitionFrame {
  Image* destination = nullptr;  // null when a screen is given
  Image* source = nullptr;
  int32_t progress = 0;  // 1 to 255 in a partial frame
  int32_t x = 0;  // destination point of the source's top-left corner
  int32_t y = 0;
  int32_t backend = BackendCopy;
  TransitionScreen* screen = nullptr;
  int32_t width = 0;  // W and H: the source's size
  int32_t height = 0;
  // Every fragment goes through here (a NullFragmentDrawer for unknown back ends).
  FragmentDrawer* draw = nullptr;
  // A watcher (a tap) sees the fragments: each goes on as the mode cut it,
  // never joined with its neighbours.
  bool watched = false;
  // Back ends 0 and 1: the two surfaces.
  Surface* destinationSurface = nullptr;
  Surface* sourceSurface = nullptr;
  // Back end 2: the target blit surface with its clip rectangle, the
  // source's blit surface and colour key (-1 for none).
  platform::SoftSurface* target = nullptr;
  Rect clip;
  platform::SoftSurface* sourceBlit = nullptr;
  int32_t colorKey = -1;
};

using PartialFrame = int (*)(const TransitionFrame& frame);

struct TransitionMode {
  const char* shortName;
  PartialFrame partialFrame;
};

inline constexpr uint32_t kTransitionModeCount = 87;

// The mode table, indexed by mode (0 to 86).
const TransitionMode& GetTransitionMode(uint32_t mode);

// Mirrors and stretch waves (MirrorStretchModes.cpp).
int TransitionMirrorColumns(const TransitionFrame& frame);  // 0
int TransitionMirrorRows(const TransitionFrame& frame);  // 1
int TransitionStretchRows(const TransitionFrame& frame);  // 2
int TransitionStretchColumns(const TransitionFrame& frame);  // 3

// Random cells: each row or cell decided by a fresh draw of TransitionRandom (RandomCellModes.cpp).
int TransitionJitterRows(const TransitionFrame& frame);  // 4
int TransitionScrambleCells(const TransitionFrame& frame);  // 5
int TransitionDissolveCells(const TransitionFrame& frame);  // 6
int TransitionDissolveDown(const TransitionFrame& frame);  // 7
int TransitionDissolveUp(const TransitionFrame& frame);  // 8
int TransitionDissolveRight(const TransitionFrame& frame);  // 9
int TransitionDissolveLeft(const TransitionFrame& frame);  // 10
int TransitionIris(const TransitionFrame& frame);  // 20

// Growing boxes and combs (BoxCombModes.cpp).
int TransitionBoxCentre(const TransitionFrame& frame);  // 11
int TransitionBoxTopLeft(const TransitionFrame& frame);  // 12
int TransitionBoxTopRight(const TransitionFrame& frame);  // 13
int TransitionBoxBottomLeft(const TransitionFrame& frame);  // 14
int TransitionBoxBottomRight(const TransitionFrame& frame);  // 15
int TransitionCombRows(const TransitionFrame& frame);  // 16
int TransitionCombColumns(const TransitionFrame& frame);  // 17
int TransitionCombRows4(const TransitionFrame& frame);  // 18
int TransitionCombColumns4(const TransitionFrame& frame);  // 19

// Torn-edge wipes and settling wave rows (TornWaveModes.cpp).
int TransitionTornWipeDown(const TransitionFrame& frame);  // 21
int TransitionTornWipeUp(const TransitionFrame& frame);  // 22
int TransitionWaveRows(const TransitionFrame& frame);  // 23
int TransitionWaveRowsInverse(const TransitionFrame& frame);  // 24
int TransitionWaveRowsShort(const TransitionFrame& frame);  // 25
int TransitionWaveRowsShortInverse(const TransitionFrame& frame);  // 26

// Circle wipes (CircleModes.cpp).
int TransitionHalfCircleTop(const TransitionFrame& frame);  // 27
int TransitionHalfCircleBottom(const TransitionFrame& frame);  // 28
int TransitionHalfCircleLeft(const TransitionFrame& frame);  // 29
int TransitionHalfCircleRight(const TransitionFrame& frame);  // 30
int TransitionCircleCentre(const TransitionFrame& frame);  // 31

// Growing squares and blinds (SquareBlindModes.cpp).
int TransitionSquares4(const TransitionFrame& frame);  // 32
int TransitionSquares8(const TransitionFrame& frame);  // 33
int TransitionSquares16(const TransitionFrame& frame);  // 34
int TransitionBlindColumns8(const TransitionFrame& frame);  // 35
int TransitionBlindColumns8Reverse(const TransitionFrame& frame);  // 36
int TransitionBlindColumns16(const TransitionFrame& frame);  // 37
int TransitionBlindColumns16Reverse(const TransitionFrame& frame);  // 38
int TransitionBlindRows8(const TransitionFrame& frame);  // 39
int TransitionBlindRows8Reverse(const TransitionFrame& frame);  // 40
int TransitionBlindRows16(const TransitionFrame& frame);  // 41
int TransitionBlindRows16Reverse(const TransitionFrame& frame);  // 42

// Diagonal stripes and spiral cells (StripeSpiralModes.cpp).
int TransitionDiagonalStripes8(const TransitionFrame& frame);  // 43
int TransitionDiagonalStripes16(const TransitionFrame& frame);  // 44
int TransitionSpiralInPixels(const TransitionFrame& frame);  // 45
int TransitionSpiralOutPixels(const TransitionFrame& frame);  // 46
int TransitionSpiralIn2(const TransitionFrame& frame);  // 47
int TransitionSpiralOut2(const TransitionFrame& frame);  // 48
int TransitionSpiralIn4(const TransitionFrame& frame);  // 49
int TransitionSpiralOut4(const TransitionFrame& frame);  // 50
int TransitionSpiralIn8(const TransitionFrame& frame);  // 51
int TransitionSpiralOut8(const TransitionFrame& frame);  // 52

// Whole-picture modes: a blend, a mosaic, a negative; they return the result of their last operation (WholePictureModes.cpp).
int TransitionCrossFade(const TransitionFrame& frame);  // 53
int TransitionMosaicCentred(const TransitionFrame& frame);  // 68
int TransitionMosaicCorner(const TransitionFrame& frame);  // 69
int TransitionNegativeFlash(const TransitionFrame& frame);  // 70

// Block displacement: blocks drawn displaced, converging on their places (BlockModes.cpp).
int TransitionScatterBlocks(const TransitionFrame& frame);  // 54
int TransitionBurstBlocks(const TransitionFrame& frame);  // 55
int TransitionBurstBlocksFine(const TransitionFrame& frame);  // 56
int TransitionWhirlBlocks(const TransitionFrame& frame);  // 57
int TransitionOrbitBlocks(const TransitionFrame& frame);  // 58
int TransitionWarpBlocks(const TransitionFrame& frame);  // 59
int TransitionRotateBlocks2(const TransitionFrame& frame);  // 60
int TransitionRotateBlocks4(const TransitionFrame& frame);  // 61
int TransitionRotateBlocks8(const TransitionFrame& frame);  // 62
int TransitionRotateWhirlBlocks(const TransitionFrame& frame);  // 63
int TransitionDropCells8(const TransitionFrame& frame);  // 64
int TransitionDropCells16(const TransitionFrame& frame);  // 65
int TransitionJitterBlocks(const TransitionFrame& frame);  // 66
int TransitionSettleBlocks(const TransitionFrame& frame);  // 67

// Band, stretch and sliding wipes from an edge (EdgeWipeModes.cpp).
int TransitionBandsRightward16(const TransitionFrame& frame);  // 71
int TransitionBandsLeftward16(const TransitionFrame& frame);  // 72
int TransitionBandsRightward8(const TransitionFrame& frame);  // 73
int TransitionBandsLeftward8(const TransitionFrame& frame);  // 74
int TransitionBandsDownward16(const TransitionFrame& frame);  // 75
int TransitionBandsUpward16(const TransitionFrame& frame);  // 76
int TransitionBandsDownward8(const TransitionFrame& frame);  // 77
int TransitionBandsUpward8(const TransitionFrame& frame);  // 78
int TransitionStretchRevealLeftward(const TransitionFrame& frame);  // 79
int TransitionStretchRevealRightward(const TransitionFrame& frame);  // 80
int TransitionStretchRevealUpward(const TransitionFrame& frame);  // 81
int TransitionStretchRevealDownward(const TransitionFrame& frame);  // 82
int TransitionSlideHalvesSideways(const TransitionFrame& frame);  // 85
int TransitionSlideHalvesVertical(const TransitionFrame& frame);  // 86

// Windmill wipes (WindmillModes.cpp).
int TransitionWindmillClockwise(const TransitionFrame& frame);  // 83
int TransitionWindmillCounterClockwise(const TransitionFrame& frame);  // 84

}  // namespace orrivel
