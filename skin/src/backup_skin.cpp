// The network backup window's data set: the main window (704 x 473) and the
// backup information dialog (500 x 380), with 50 bitmap resources 101-150.
#include "skin_table.h"

namespace skin {
namespace {

constexpr int kArrowLeft[5] = {230, 285, 339, 399, 455};

// Spin arrows 11-30: pair k (0-9) is 11 + 2k (up) above 12 + 2k (down).
constexpr Rect Arrow(int id) {
  int k = (id - 11) / 2;
  bool up = (id % 2) == 1;
  int top = (k < 5 ? 232 : 264) + (up ? 0 : 13);
  int left = kArrowLeft[k % 5];
  return {left, top, left + 12, top + 11};
}

// Date fields of the dialog: year, month, day, hour, minute columns.
constexpr int kDateLeft[5] = {178, 254, 308, 367, 422};
constexpr int kDateRight[5] = {229, 283, 337, 396, 451};
constexpr Rect DateField(int row, int col) {
  return {kDateLeft[col], row == 0 ? 233 : 265, kDateRight[col], row == 0 ? 256 : 288};
}

#define ARROW(id) {id, Arrow(id)}
constexpr RectEntry kRects[] = {
    {0, {0, 0, 704, 473}},
    {1, {0, 0, 500, 380}},
    {2, {578, 428, 692, 455}},
    {3, {61, 357, 175, 384}},
    {4, {182, 357, 296, 384}},
    {5, {61, 391, 175, 418}},
    {6, {182, 391, 296, 418}},
    {7, {559, 169, 673, 196}},
    {8, {132, 337, 246, 364}},
    {9, {254, 337, 368, 364}},
    {10, {419, 128, 482, 154}},
    ARROW(11), ARROW(12), ARROW(13), ARROW(14), ARROW(15), ARROW(16), ARROW(17),
    ARROW(18), ARROW(19), ARROW(20), ARROW(21), ARROW(22), ARROW(23), ARROW(24),
    ARROW(25), ARROW(26), ARROW(27), ARROW(28), ARROW(29), ARROW(30),
    {31, {450, 428, 564, 455}},
    // Fields of the main window.
    {0x1000, {501, 3, 689, 23}},
    {0x1001, {148, 96, 323, 122}},
    {0x1002, {148, 131, 236, 157}},
    {0x1003, {148, 166, 280, 192}},
    {0x1004, {148, 201, 279, 227}},
    {0x1005, {148, 236, 316, 262}},
    {0x1006, {148, 270, 316, 296}},
    {0x1007, {148, 303, 316, 329}},
    {0x1008, {508, 98, 676, 124}},
    {0x1009, {508, 131, 676, 157}},
    {0x100A, {469, 260, 676, 285}},
    {0x100B, {469, 342, 676, 367}},
    {0x100C, {469, 372, 676, 397}},
    {0x100D, {469, 288, 676, 313}},
    {0x100E, {469, 315, 676, 340}},
    // Fields of the dialog.
    {0x2000, {178, 61, 346, 87}},
    {0x2001, {178, 94, 346, 120}},
    {0x2002, {178, 129, 411, 154}},
    {0x2003, {178, 164, 271, 186}},
    {0x2004, DateField(0, 0)}, {0x2005, DateField(0, 1)}, {0x2006, DateField(0, 2)},
    {0x2007, DateField(0, 3)}, {0x2008, DateField(0, 4)},
    {0x2009, DateField(1, 0)}, {0x200A, DateField(1, 1)}, {0x200B, DateField(1, 2)},
    {0x200C, DateField(1, 3)}, {0x200D, DateField(1, 4)},
};
#undef ARROW

constexpr ResourceEntry kBitmaps[] = {{0, 101}, {1, 102}};

constexpr uint16_t kDownArrow = 131, kUpArrow = 135;
#define ARROWS(id) {id, (id) % 2 ? kUpArrow : kDownArrow}
constexpr ResourceEntry kFaces[] = {
    {2, 107},  {3, 111},  {4, 119},  {5, 123},  {6, 127},  {7, 139},  {8, 103},
    {9, 107},  {10, 115}, ARROWS(11), ARROWS(12), ARROWS(13), ARROWS(14), ARROWS(15),
    ARROWS(16), ARROWS(17), ARROWS(18), ARROWS(19), ARROWS(20), ARROWS(21), ARROWS(22),
    ARROWS(23), ARROWS(24), ARROWS(25), ARROWS(26), ARROWS(27), ARROWS(28), ARROWS(29),
    ARROWS(30), {31, 151},
};
#undef ARROWS

constexpr ResourceEntry kAltFaces[] = {{4, 147}, {6, 143}};

}  // namespace

const SkinTable kBackupSkin = {0x4B414C54, kRects, kBitmaps, kFaces, kAltFaces};

}  // namespace skin
