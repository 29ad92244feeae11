#include "app/Pictures.h"

#include <QPainter>
#include <QPixmap>

namespace zelk {
namespace {

// clang-format off
const char* const kClosedFolderXpm[] = {
    "16 16 5 1",
    ". c None",
    "g c #808080",
    "k c #000000",
    "s c #C0C0C0",
    "y c #FFFF00",
    "................",
    "..ggggg.........",
    ".g.....g........",
    "gggggggggggggg..",
    "g............gk.",
    "g.sysysysysysgk.",
    "g.ysysysysysygk.",
    "g.sysysysysysgk.",
    "g.ysysysysysygk.",
    "g.sysysysysysgk.",
    "g.ysysysysysygk.",
    "g.sysysysysysgk.",
    "ggggggggggggggk.",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................"
};
const char* const kOpenFolderXpm[] = {
    "16 16 5 1",
    ". c None",
    "g c #808080",
    "k c #000000",
    "s c #C0C0C0",
    "y c #FFFF00",
    "................",
    "...ggggg........",
    "..g.....g.......",
    ".gggggggggggggg.",
    ".g............gk",
    ".g.ysysysysysygk",
    "gggggggggggggsgk",
    "g...........gygk",
    "g.ysysysysysgsgk",
    ".g.ysysysysysggk",
    ".g.sysysysysyggk",
    ".g.ysysysysysggk",
    "..gggggggggggggk",
    "...kkkkkkkkkkkkk",
    "................",
    "................"
};
// Drawn over the closed folder's lower right corner.
const char* const kUnreadableMarkXpm[] = {
    "6 6 3 1",
    ". c None",
    "r c #FF0000",
    "w c #FFFFFF",
    ".rrrr.",
    "rrrrrr",
    "rwwwwr",
    "rwwwwr",
    "rrrrrr",
    ".rrrr."
};
const char* const kAppIconXpm[] = {
    "32 32 9 1",
    ". c None",
    "b c #0000FF",
    "g c #808080",
    "k c #000000",
    "n c #000080",
    "r c #FF0000",
    "s c #C0C0C0",
    "w c #FFFFFF",
    "y c #FFFF00",
    "..............nbnb..............",
    "..........bnbnbnbnbnbn..........",
    "........nbnbnbnbnbnbnbnb........",
    ".......nbnbnbnbnbnbnbnbnbwr.....",
    ".....bnbnbnbnbnbnbnbnbnbwrrr....",
    "....bnbnbnbnbnbnbnbnbnbwrryrr...",
    "....nbnbnbnbnbnbnbnbnbwrrrrrw...",
    "...nbnbnbnbnbnbnbnbnbwrryrrwb...",
    "..nbnbnbnbnbnbnbnbnbwrryrrwbnb..",
    "..bnbnbnbnbnbnbnbnbkgryrrwbnbn..",
    ".bnbnbnbnbnbnbnbnbkggwrrwbnbnbn.",
    ".nbnbnbnbnbnbnbnbkggwsswbnbnbnb.",
    ".bnbnbnbnbnbnbnbkggwsskbnbnbnbn.",
    ".nbnbnbnbnbnbnbkggwsskbnbnbnbnb.",
    "nbnbnbnbnbnbnbkggwsskbnbnbnbnbnb",
    "bnbnbnbnbnbnbkggwsskbnbnbnbnbnbn",
    "nbnbnbnbnbnbkggwsskbnbnbnbnbnbnb",
    "bnbnbnbnbnbkggwsskbnbnbnbnbnbnbn",
    ".bnbnbnbnbkggwsskbnbnbnbnbnbnbn.",
    ".nbnbnbnbkggwsskbnbnbnbnbnbnbnb.",
    ".bnbnbnbkggwsskbnbnbnbnbnbnbnbn.",
    ".nbnbnbkggwsskbnbnbnbnbnbnbnbnb.",
    "..nbnbkggwsskbnbnbnbnbnbnbnbnb..",
    "..bnbkggwsskbnbnbnbnbnbnbnbnbn..",
    "...bkggwsskbnbnbnbnbnbnbnbnbn...",
    "...kggwsskbnbnbnbnbnbnbnbnbn....",
    "..kggwsskbnbnbnbnbnbnbnbnbnb....",
    ".kggwsskbnbnbnbnbnbnbnbnbnb.....",
    "kggwsskbnbnbnbnbnbnbnbnbn.......",
    "ggwssk..bnbnbnbnbnbnbnbn........",
    ".wssk.....nbnbnbnbnbnb..........",
    "..sk..........bnbn.............."
};
// clang-format on

}  // namespace

QPixmap AppIconPicture() {
    return QPixmap(kAppIconXpm);
}
QPixmap ClosedFolderPicture() {
    return QPixmap(kClosedFolderXpm);
}
QPixmap OpenFolderPicture() {
    return QPixmap(kOpenFolderXpm);
}
QPixmap UnreadableFolderPicture() {
    QPixmap picture(kClosedFolderXpm);
    QPainter painter(&picture);
    painter.drawPixmap(10, 9, QPixmap(kUnreadableMarkXpm));
    return picture;
}

}  // namespace zelk
