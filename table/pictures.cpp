#include "table/pictures.h"

#include "media/resources.h"

#include <QLabel>

namespace vexal {

int tableButtonPicture(int entry, bool largeSet) {
    if (largeSet || entry < 2)
        return kTableButtonLarge + entry;
    return kTableButtonSmallFrom + entry;
}

QPixmap tablePicture(int number) {
    QPixmap p;
    if (!LoadGifResource(number, kGifResourceType, p))
        return {};
    return p;
}

bool loadPicture(QLabel* target, int number) { return LoadGifResource(number, kGifResourceType, target); }

}  // namespace vexal
