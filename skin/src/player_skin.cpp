// Lumora's player data set: the player window (980 x 712), its image edit
// panel and its AVI save panel. Panel coordinates are the player window's;
// the buttons of the two panels are placed in their panel's own coordinates.
#include "skin_table.h"

namespace skin {
namespace {

// Resource numbers: single bitmap of id at 1000 + id; face set of id at
// 2000 + 8 * id, its alternate set right behind it.
constexpr uint16_t Bitmap(uint16_t id) { return 1000 + id; }
constexpr uint16_t Faces(uint16_t id) { return 2000 + 8 * id; }
constexpr uint16_t AltFaces(uint16_t id) { return Faces(id) + 4; }

// Buttons in rows: width w, height h, starting at x with gap between them.
constexpr Rect Cell(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }
constexpr int kTransportX = 24, kTransportStep = 66;
constexpr Rect Transport(int i) { return Cell(kTransportX + i * kTransportStep, 624, 60, 44); }
constexpr Rect ModeLamp(int i) { return Cell(kTransportX + i * kTransportStep, 674, 60, 12); }
constexpr Rect Camera(int i) { return Cell(736 + i * 60, 380, 52, 36); }
constexpr Rect EditButton(int row, int col) { return Cell(120 + col * 97, 8 + row * 40, 92, 34); }
constexpr Rect InfoLine(int group, int line) { return Cell(748, 146 + group * 64 + line * 18, 208, 16); }
// Clock composition: glyph positions inside the 84 x 12 clock bitmap.
constexpr Rect Glyph(int x, int w) { return {x, 0, x + w, 12}; }

constexpr RectEntry kRects[] = {
    {0, {0, 0, 980, 712}},
    // Right column: file and export toggles.
    {1, Cell(736, 92, 112, 32)},   // AVI SAVE
    {2, Cell(856, 92, 112, 32)},   // IMAGE EDIT
    {3, Cell(736, 52, 112, 32)},   // FILE OPEN
    {4, Cell(856, 52, 112, 32)},   // EXIT
    // Transport row under the slider, with a mode lamp under each button.
    {5, Transport(0)},   // FIRST POSITION
    {6, Transport(1)},   // REWIND
    {7, Transport(2)},   // REVERSE PLAY
    {8, Transport(3)},   // PAUSE
    {9, Transport(4)},   // PLAY
    {11, Transport(5)},  // FAST FORWARD
    {12, Transport(6)},  // LAST POSITION
    {13, Camera(0)},
    {14, Camera(1)},
    {15, Camera(2)},
    {16, Camera(3)},
    {29, Cell(736, 444, 112, 32)},  // DIVISION 01
    {30, Cell(856, 444, 112, 32)},  // DIVISION 04
    {33, Cell(816, 504, 40, 32)},   // DELAY UP
    {34, Cell(736, 504, 40, 32)},   // DELAY DOWN
    {35, Cell(928, 504, 40, 32)},   // SPEED UP
    {36, Cell(872, 504, 40, 32)},   // SPEED DOWN
    // Slider: thumb, track, bar (holds the thumb's whole travel) and fill groove.
    {37, {16, 584, 32, 608}},
    {38, {16, 584, 712, 608}},
    {39, {12, 584, 716, 608}},
    {40, {16, 592, 712, 600}},
    {41, ModeLamp(0)},
    {42, ModeLamp(1)},
    {43, ModeLamp(2)},
    {44, ModeLamp(3)},
    {45, ModeLamp(4)},
    {46, ModeLamp(5)},
    {47, ModeLamp(6)},
    // Clock: hh:mm:ss glyph positions, the spare 18-wide position, placement.
    {49, Glyph(0, 9)},
    {50, Glyph(9, 9)},
    {51, Glyph(18, 6)},
    {52, Glyph(24, 9)},
    {53, Glyph(33, 9)},
    {54, Glyph(42, 6)},
    {55, Glyph(48, 9)},
    {56, Glyph(57, 9)},
    {57, Glyph(66, 18)},
    {58, Cell(872, 16, 84, 12)},
    {59, {560, 12, 716, 34}},   // version text
    {60, {12, 48, 716, 576}},   // video area, 704 x 528 (4:3)
    {61, Cell(782, 512, 28, 16)},  // delay value
    {63, {736, 136, 968, 352}},    // information area
    {64, InfoLine(0, 0)},
    {65, InfoLine(0, 1)},
    {66, InfoLine(0, 2)},
    {67, InfoLine(1, 0)},
    {68, InfoLine(1, 1)},
    {69, InfoLine(1, 2)},
    {73, InfoLine(2, 0)},
    {74, InfoLine(2, 1)},
    {75, InfoLine(2, 2)},
    // Image edit panel over the transport row, and its buttons.
    {256, {12, 616, 716, 704}},
    {257, EditButton(0, 5)},  // BLUR
    {258, EditButton(0, 0)},  // BRIGHTNESS
    {259, EditButton(0, 1)},  // DARK
    {260, EditButton(0, 2)},  // CONTRAST UP
    {261, EditButton(0, 3)},  // CONTRAST DOWN
    {262, EditButton(1, 2)},  // LEFT
    {263, EditButton(1, 3)},  // RIGHT
    {264, EditButton(0, 4)},  // SHARPNESS
    {265, EditButton(1, 1)},  // REDO
    {266, EditButton(1, 0)},  // UNDO
    {267, EditButton(1, 4)},  // SAVE
    {268, EditButton(1, 5)},  // PRINT
    // AVI save panel in the same place: two buttons and three lists.
    {512, {12, 616, 716, 704}},
    {513, Cell(468, 30, 112, 34)},  // OPTION START
    {514, Cell(588, 30, 112, 34)},  // OPTION STOP
    {516, Cell(128, 42, 84, 22)},   // camera list
    {517, Cell(232, 42, 84, 22)},   // frame rate list
    {518, Cell(336, 42, 100, 22)},  // size list
    {519, Cell(736, 552, 112, 20)},  // "Audio On"
};

constexpr ResourceEntry kBitmaps[] = {
    {0, Bitmap(0)},   {39, Bitmap(39)},   {40, Bitmap(40)},
    {48, Bitmap(48)}, {256, Bitmap(256)}, {512, Bitmap(512)},
};

#define FACES(id) {id, Faces(id)}
constexpr ResourceEntry kFaces[] = {
    FACES(1),   FACES(2),   FACES(3),   FACES(4),   FACES(5),   FACES(6),   FACES(7),
    FACES(8),   FACES(9),   FACES(11),  FACES(12),  FACES(13),  FACES(14),  FACES(15),
    FACES(16),  FACES(29),  FACES(30),  FACES(33),  FACES(34),  FACES(35),  FACES(36),
    FACES(37),  FACES(41),  FACES(42),  FACES(43),  FACES(44),  FACES(45),  FACES(46),
    FACES(47),  FACES(257), FACES(258), FACES(259), FACES(260), FACES(261), FACES(262),
    FACES(263), FACES(264), FACES(265), FACES(266), FACES(267), FACES(268), FACES(513),
    FACES(514),
};
#undef FACES

#define ALT(id) {id, AltFaces(id)}
constexpr ResourceEntry kAltFaces[] = {
    ALT(1),  ALT(2),  ALT(13), ALT(14), ALT(15), ALT(16), ALT(41),
    ALT(42), ALT(43), ALT(44), ALT(45), ALT(46), ALT(47),
};
#undef ALT

}  // namespace

const SkinTable kPlayerSkin = {0x4B414C54, kRects, kBitmaps, kFaces, kAltFaces};

}  // namespace skin
