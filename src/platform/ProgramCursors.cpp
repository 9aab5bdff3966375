#include "platform/ProgramCursors.h"

#include <array>
#include <cstring>

namespace orrivel::platform {
namespace {

constexpr int32_t kSize = 16;
constexpr uint32_t kOutline = 0xFF000000u;
constexpr uint32_t kFill = 0xFFFFFFFFu;

struct CursorArt {
  int32_t hotX;
  int32_t hotY;
  // '#' outline, '.' fill, ' ' clear.
  std::array<const char*, kSize> rows;
};

constexpr CursorArt kArts[] = {
    {5, 0, {"     ##         ",
            "    #..#        ",
            "    #..#        ",
            "    #..#        ",
            "    #..###      ",
            "    #..#..##    ",
            " ## #..#..#.##  ",
            "#..##..#..#..#  ",
            "#...#.........# ",
            " #............# ",
            "  #...........# ",
            "  #..........#  ",
            "   #.........#  ",
            "    #.......#   ",
            "    #.......#   ",
            "    #########   "}},
    {7, 7, {"################",
            "#..............#",
            " #............# ",
            "  #..........#  ",
            "   #........#   ",
            "    #......#    ",
            "     #....#     ",
            "      #..#      ",
            "      #..#      ",
            "     #....#     ",
            "    #......#    ",
            "   #........#   ",
            "  #..........#  ",
            " #............# ",
            "#..............#",
            "################"}},
    {7, 7, {"      ###       ",
            "      #.#       ",
            "      #.#       ",
            "      #.#       ",
            "      #.#       ",
            "      #.#       ",
            "#######.####### ",
            "#..............#",
            "#######.####### ",
            "      #.#       ",
            "      #.#       ",
            "      #.#       ",
            "      #.#       ",
            "      #.#       ",
            "      ###       ",
            "                "}},
    {7, 7, {"     ######     ",
            "   ##......##   ",
            "  #..........#  ",
            " #...##....#..# ",
            " #..#.##....#.# ",
            "#..#...##....#.#",
            "#..#....##...#.#",
            "#..#.....##..#.#",
            "#..#......##.#.#",
            "#..#.......###.#",
            " #..#.......#.# ",
            " #...#.....#..# ",
            "  #...#####..#  ",
            "   ##......##   ",
            "     ######     ",
            "                "}},
};

}  // namespace

std::optional<ProgramCursor> MakeProgramCursor(uint32_t resourceId) {
  if (resourceId < ProgramCursor::kFirstResource || resourceId > ProgramCursor::kLastResource) return std::nullopt;
  const CursorArt& art = kArts[resourceId - ProgramCursor::kFirstResource];
  ProgramCursor cursor;
  cursor.width = kSize;
  cursor.height = kSize;
  cursor.hotX = art.hotX;
  cursor.hotY = art.hotY;
  cursor.pixels.assign(size_t(kSize) * kSize, 0);
  for (int32_t y = 0; y < kSize; ++y) {
    const char* row = art.rows[size_t(y)];
    const int32_t length = int32_t(std::strlen(row));
    for (int32_t x = 0; x < kSize && x < length; ++x) {
      const char c = row[x];
      cursor.pixels[size_t(y) * kSize + size_t(x)] = c == '#' ? kOutline : c == '.' ? kFill : 0;
    }
  }
  return cursor;
}

}  // namespace orrivel::platform
