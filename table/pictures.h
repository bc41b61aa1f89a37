// Numbered artwork for the table window's own controls.
#pragma once

#include <QPixmap>

class QLabel;

namespace vexal {

// Picture numbers of the table window itself (the round's pictures are the round's business).
constexpr int kPortraitPicture = 240;   // + portrait index 0..19
constexpr int kReadyMarkPicture = 280;  // + coin level 0..2
constexpr int kTableButtonLarge = 150;  // + entry 0..19
constexpr int kTableButtonSmallFrom = 281;  // + entry, for entries 2 and up on a scaled-down table

// The number of table-button entry i (0..19) for the table's scale.
int tableButtonPicture(int entry, bool largeSet);

// The picture of a number, or a null pixmap when the artwork lacks it (the caller then keeps
// what it shows, as a failed load does).
QPixmap tablePicture(int number);
bool loadPicture(QLabel* target, int number);

}  // namespace vexal
