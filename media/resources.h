// The numbered GIF pictures compiled into the program: loading, extracting and decoding them.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <vector>

class QLabel;

namespace vexal {

// The only resource type the table uses.
inline const QString kGifResourceType = QStringLiteral("GIF");

// Pictures whose numbers the documents leave to the artwork; the table looks them up here.
namespace picture {
inline constexpr int kTableBackground = 130;     // green felt, 1024 × 768
inline constexpr int kTableBackgroundAlt = 131;  // the second background the settings window swaps to
inline constexpr int kWindowSkin = 132;          // 46 × 220, the nine-slice source of the window frame
inline constexpr int kCloseNormal = 133;         // close image: normal, hover, pressed
inline constexpr int kCloseHover = 134;
inline constexpr int kClosePressed = 135;
inline constexpr int kMinimiseNormal = 136;  // minimise image: normal, hover, pressed
inline constexpr int kMinimiseHover = 137;
inline constexpr int kMinimisePressed = 138;
inline constexpr int kWindowIcon = 139;       // 32 × 32
inline constexpr int kMultiplierIcon = 140;   // `img_currBeishu`, 105 × 30
inline constexpr int kTablePointsIcon = 141;  // `img_benlunFenshu`, 105 × 30
inline constexpr int kPointsTakenIcon = 142;  // `img_currDefen`, 105 × 30
inline constexpr int kWealthIcon = 143;       // `Imgwealth`, 30 × 30
inline constexpr int kBankerMarker = 144;     // `img_zhuang`, 68 × 68
inline constexpr int kPartnerMarker = 145;    // `img_zhuangFriend`, 68 × 68
inline constexpr int kCalledCardFrame = 146;  // `img_lpKuang`, 84 × 146
inline constexpr int kSeatChange = 147;       // `ImgShuffle`, 240 × 160
inline constexpr int kTopStrip = 148;         // `imgDinglan`, 1024 × 20
inline constexpr int kBottomStrip = 149;      // `imgDilan`, 1024 × 20
inline constexpr int kDialogOk = 170;         // 确定 normal / hover (171), 72 × 28
inline constexpr int kDialogCancel = 172;     // 取消 normal / hover (173)
inline constexpr int kCheckOn = 174;          // check pictures of the settings window, 20 × 20
inline constexpr int kCheckOff = 175;
inline constexpr int kDialogClose = 176;   // close image of the secondary windows / hover (177)
inline constexpr int kClock = 193;         // `Time_Img`, animated, 64 × 64
inline constexpr int kWin = 194;           // animated
inline constexpr int kLose = 195;          // animated
inline constexpr int kRoarMarker = 196;    // `UcDiZhu`, animated, 68 × 68
inline constexpr int kRoarConfirm = 198;   // the roar confirmation's picture, 280 × 130
inline constexpr int kDialogPanel = 199;   // plain dialog panel, 320 × 180
inline constexpr int kRoar = 200;          // animated
inline constexpr int kSpeechBubble = 212;  // + relative seat: `imgSpeakBox` 0..3, 200 × 84
inline constexpr int kAwayTag = 216;       // "托管中"
inline constexpr int kGoneTag = 217;       // "已离开"
inline constexpr int kBomb = 218;          // + N (0..2), animated
inline constexpr int kDeck = 516;          // `imgFaPai`, 100 × 140
inline constexpr int kOwnPile = 517;       // `imgMyPaiBei`, 207 × 200
inline constexpr int kChestClosed = 518;   // fallback chest pictures when the plug-in gives none
inline constexpr int kChestOpen = 519;
}  // namespace picture

// Every number present, ascending.
std::vector<int> gifResourceNumbers();
bool hasGifResource(int number);
// The GIF file's bytes; empty when the number is absent.
QByteArray gifResourceBytes(int number);

// The first frame of a GIF, transparent where the GIF is; a null image when the bytes are no GIF.
QImage decodeGifPicture(const QByteArray& bytes);

// Starts decoding picture `number` on a thread of its own, so that it is ready, or nearly, when
// the table first asks for it; the table's felt is a large picture needed before the first paint,
// and the program has other work to do until then. Does nothing when the number is absent or
// already under way.
void prefetchGifPicture(int number);

// Puts picture `number` into `image` (or `picture`). Any failure (type other than "GIF", absent
// number, unreadable data) returns false and leaves the target as it was.
bool LoadGifResource(int number, const QString& type, QLabel* image);
bool LoadGifResource(int number, const QString& type, QPixmap& picture);

// Writes the resource's bytes unchanged to `path`; false on any failure, and then no partial
// file is left behind.
bool ExtractGifResource(int number, const QString& type, const QString& path);

// The scratch file the round flow extracts animations to before handing them to the animated
// GIF control: "tmp.GIF" in a private temporary directory removed at exit.
QString gifScratchPath();

}  // namespace vexal
