#include "drives/DriveImages.h"

namespace zelk {
namespace {

// . blue key, # black, g dark grey, l light grey, w white.
const char* const kFloppy[] = {
    "16 11 5 1",        ". c #0000FF",      "# c #000000",      "g c #808080",
    "l c #C0C0C0",      "w c #FFFFFF",      "................", "################",
    "#wwwwwwwwwwwwwg#", "#wllllllllll#lg#", "#wllll####llllg#", "#wl##########lg#",
    "#wllll####llllg#", "#wllllllllllllg#", "#wggggggggggggg#", "################",
    "................",
};

const char* const kHard[] = {
    "16 11 5 1",        ". c #0000FF",      "# c #000000",      "g c #808080",
    "l c #C0C0C0",      "w c #FFFFFF",      "................", "################",
    "#wwwwwwwwwwwwwg#", "#wl##########lg#", "#wllllllllllllg#", "#wl##########lg#",
    "#wllllllllllllg#", "#wl##lllllllllg#", "#wggggggggggggg#", "################",
    "................",
};

const char* const kNetwork[] = {
    "16 11 5 1",        ". c #0000FF",      "# c #000000",      "g c #808080",
    "l c #C0C0C0",      "w c #FFFFFF",      "................", "################",
    "#wwwwwwwwwwwwwg#", "#wllllllllllllg#", "#w############g#", "#wlllll##lllllg#",
    "#wlllll##lllllg#", "#wllll####llllg#", "#wggggggggggggg#", "################",
    "................",
};

const char* const kCdRom[] = {
    "16 11 5 1",        ". c #0000FF",      "# c #000000",      "g c #808080",
    "l c #C0C0C0",      "w c #FFFFFF",      "................", "################",
    "#wwwwwwwwwwwwwg#", "#wl####ww####lg#", "#wl##wwwwww##lg#", "#wl####ww####lg#",
    "#wllllllllllllg#", "#wlllllllll##lg#", "#wggggggggggggg#", "################",
    "................",
};

const char* const kRam[] = {
    "16 11 5 1",        ". c #0000FF",      "# c #000000",      "g c #808080",
    "l c #C0C0C0",      "w c #FFFFFF",      "................", "################",
    "#wwwwwwwwwwwwwg#", "#wl#l#l#l#l#llg#", "#wl##########lg#", "#wl##w#w#w#w#lg#",
    "#wl##########lg#", "#wl#l#l#l#l#llg#", "#wggggggggggggg#", "################",
    "................",
};

}  // namespace

const char* const* DriveImageXpm(DriveImage image) {
    switch (image) {
        case DriveImage::Floppy:
            return kFloppy;
        case DriveImage::Hard:
            return kHard;
        case DriveImage::Network:
            return kNetwork;
        case DriveImage::CdRom:
            return kCdRom;
        case DriveImage::Ram:
            return kRam;
    }
    return kHard;
}

}  // namespace zelk
