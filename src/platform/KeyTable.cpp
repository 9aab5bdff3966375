#include "platform/KeyTable.h"

#include <array>

namespace orrivel::platform {
namespace {

constexpr std::array<KeyTableRow, 104> kRows{{
    {"NoConvert", 123, 29},     {"Convert", 121, 28},       {"LeftWindows", 219, 91},
    {"RightWindows", 220, 92},  {"Applications", 221, 93},  {"Up", 200, 38},
    {"Down", 208, 40},          {"Left", 203, 37},          {"Right", 205, 39},
    {"Numpad0", 82, 96},        {"Numpad1", 79, 97},        {"Numpad2", 80, 98},
    {"Numpad3", 81, 99},        {"Numpad4", 75, 100},       {"Numpad5", 76, 101},
    {"Numpad6", 77, 102},       {"Numpad7", 71, 103},       {"Numpad8", 72, 104},
    {"Numpad9", 73, 105},       {"NumpadEnter", 156, 13},   {"NumpadPlus", 78, 107},
    {"NumpadMinus", 74, 109},   {"NumpadMultiply", 55, 106}, {"NumpadDivide", 181, 111},
    {"NumpadDecimal", 83, 110}, {"NumLock", 69, 144},       {"PrintScreen", 183, 44},
    {"ScrollLock", 70, 145},    {"Pause", 197, 19},         {"Insert", 210, 45},
    {"Delete", 211, 46},        {"Home", 199, 36},          {"End", 207, 35},
    {"PageUp", 201, 33},        {"PageDown", 209, 34},      {"Escape", 1, 27},
    {"F1", 59, 112},            {"F2", 60, 113},            {"F3", 61, 114},
    {"F4", 62, 115},            {"F5", 63, 116},            {"F6", 64, 117},
    {"F7", 65, 118},            {"F8", 66, 119},            {"F9", 67, 120},
    {"F10", 68, 121},           {"F11", 87, 122},           {"F12", 88, 123},
    {"1", 2, 49},               {"2", 3, 50},               {"3", 4, 51},
    {"4", 5, 52},               {"5", 6, 53},               {"6", 7, 54},
    {"7", 8, 55},               {"8", 9, 56},               {"9", 10, 57},
    {"0", 11, 48},              {"Minus", 12, 189},         {"Q", 16, 81},
    {"W", 17, 87},              {"E", 18, 69},              {"R", 19, 82},
    {"T", 20, 84},              {"Y", 21, 89},              {"U", 22, 85},
    {"I", 23, 73},              {"O", 24, 79},              {"P", 25, 80},
    {"LeftBracket", 26, 219},   {"A", 30, 65},              {"S", 31, 83},
    {"D", 32, 68},              {"F", 33, 70},              {"G", 34, 71},
    {"H", 35, 72},              {"J", 36, 74},              {"K", 37, 75},
    {"L", 38, 76},              {"Semicolon", 39, 187},     {"RightBracket", 27, 221},
    {"Z", 44, 90},              {"X", 45, 88},              {"C", 46, 67},
    {"V", 47, 86},              {"B", 48, 66},              {"N", 49, 78},
    {"M", 50, 77},              {"Comma", 51, 188},         {"Period", 52, 190},
    {"Slash", 53, 191},         {"Backslash", 43, 226},     {"Backspace", 14, 8},
    {"Enter", 28, 13},          {"RightShift", 54, 16},     {"LeftShift", 42, 16},
    {"RightCtrl", 157, 17},     {"LeftCtrl", 29, 17},       {"RightAlt", 184, 18},
    {"LeftAlt", 56, 18},        {"Tab", 15, 9},             {"Space", 57, 32},
    {"Kanji", 148, 25},         {"CapsLock", 58, 20},
}};

constexpr std::array<uint8_t, 47> kShortList{
    200, 208, 203, 205,                              // arrows
    82, 79, 80, 81, 75, 76, 77, 71, 72, 73,          // Numpad0-9
    156, 210, 211, 199, 207, 201, 209, 1,            // NumpadEnter .. Escape
    59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 87, 88,  // F1-F12
    44, 45, 46, 14, 28, 54, 42, 157, 29, 184, 56, 15, 57,
};

}  // namespace

std::span<const KeyTableRow> KeyTable() { return kRows; }

std::span<const uint8_t> ShortKeyList() { return kShortList; }

const KeyTableRow* FindKeyRow(uint8_t code) {
  for (const KeyTableRow& row : kRows) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

}  // namespace orrivel::platform
