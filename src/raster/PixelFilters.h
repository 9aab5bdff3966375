#pragma once

// In-place colour and neighbourhood filters over a rectangle of 32-bit
// 0xAARRGGBB pixels, and the horizontal box-blur draws.
//
// Arguments: the first (top-left) pixel, the row skip in bytes (pitch minus
// four times the width; ScaleBrightness32 and the BlendToColor32 pair take
// the pitch instead), the width and the height (both at least 1), then the
// filter's own arguments. Colours are 0x00RRGGBB. Keyed members leave every
// pixel equal to the key (whole word, alpha included) alone. Unless a filter
// says otherwise the alpha byte is kept. The ...Mmx members are the packed
// twins that callers choose through MmxFlag(); they give the same results.

#include <cstdint>

namespace orrivel {

// channel := ProductTable[level][channel].
void ScaleBrightness32(void* bits, int pitch, int width, int height, uint8_t level);

// Tint toward a colour by level / 255:
// channel := ProductTable[255 - level][c] + ProductTable[level][k].
void BlendToColor32(void* bits, int pitch, int width, int height, uint8_t level, uint8_t red,
                    uint8_t green, uint8_t blue);
void BlendToColorKeyed32(void* bits, int pitch, int width, int height, uint8_t level, uint8_t red,
                         uint8_t green, uint8_t blue, uint32_t key);

// Saturating add and subtract of a colour, per colour channel.
void AddColorSat32(void* bits, int skip, int width, int height, uint32_t color);
void AddColorSatKeyed32(void* bits, int skip, int width, int height, uint32_t color, uint32_t key);
void AddColorSat32Mmx(void* bits, int skip, int width, int height, uint32_t color);
void AddColorSatKeyed32Mmx(void* bits, int skip, int width, int height, uint32_t color,
                           uint32_t key);
void SubColorSat32(void* bits, int skip, int width, int height, uint32_t color);
void SubColorSatKeyed32(void* bits, int skip, int width, int height, uint32_t color, uint32_t key);
void SubColorSat32Mmx(void* bits, int skip, int width, int height, uint32_t color);
void SubColorSatKeyed32Mmx(void* bits, int skip, int width, int height, uint32_t color,
                           uint32_t key);

// All three colour channels := (77 * R + 150 * G + 29 * B) >> 8.
void Grayscale32(void* bits, int skip, int width, int height);
void GrayscaleKeyed32(void* bits, int skip, int width, int height, uint32_t key);
void Grayscale32Mmx(void* bits, int skip, int width, int height);

// Tone: channel := Clamp(((c * scale) >> 7) + offset); scales 0..256 (128
// keeps the channel), offsets -255..255. Values outside are held to them.
void ColorBalance32(void* bits, int skip, int width, int height, int scaleRed, int scaleGreen,
                    int scaleBlue, int offsetRed, int offsetGreen, int offsetBlue);
void ColorBalanceKeyed32(void* bits, int skip, int width, int height, int scaleRed, int scaleGreen,
                         int scaleBlue, int offsetRed, int offsetGreen, int offsetBlue,
                         uint32_t key);
void ColorBalance32Mmx(void* bits, int skip, int width, int height, int scaleRed, int scaleGreen,
                       int scaleBlue, int offsetRed, int offsetGreen, int offsetBlue);

// Mode 0 inverts the colour, 1 colour and alpha, any other the alpha only.
void Invert32(void* bits, int skip, int width, int height, uint8_t mode);
void InvertKeyed32(void* bits, int skip, int width, int height, uint8_t mode, uint32_t key);
void Invert32Mmx(void* bits, int skip, int width, int height, uint8_t mode);

// Four-neighbour blur in place, every output from the unblurred pixels.
// Mode 2 and up: truncated exact averages; mode 0 drops the low three bits
// of every term first, mode 1 does so and adds 7 to each channel. Alpha
// becomes 0. Returns 0; 1 (nothing changed) when the rectangle is narrower
// or lower than 4 or the skip or pitch is not a multiple of 4; 2 when the
// row buffer cannot be had.
int Blur4Neighbour32(void* bits, int skip, int pitch, int width, int height, uint8_t mode);

// Mosaic in place with square blocks of blockSize; anchor 1 to 4 starts the
// grid at the top-left, top-right, bottom-left or bottom-right corner, any
// other value centres it. Nothing happens for a width or height below 3 or
// a block below 2.
void Mosaic32(void* bits, int skip, int pitch, int width, int height, int blockSize,
              uint8_t anchor);

// Horizontal box blur of radius 0..127 (larger radii are held to 127) from a
// source row block into a destination. The source row of each output row
// holds leftCount pixels left of the first source pixel and rightCount right
// of it; beyond those the row's end pixels repeat. Every channel, alpha
// included, is the rounded window mean.
void BoxBlurDraw32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                   int leftCount, int rightCount, int radius);
// Blends the blurred pixel into the destination at an opacity, destination
// alpha kept.
void BoxBlurDraw32Alt(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                      int leftCount, int rightCount, int radius, uint8_t opacity);
// Blends by levelMap[blurred alpha], destination alpha kept.
void BoxBlurAlphaDraw32(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                        int height, int leftCount, int rightCount, int radius,
                        const uint8_t* levelMap);

}  // namespace orrivel
