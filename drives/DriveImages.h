#pragma once
// The five drive pictures of the chooser, 16 x 11 pixels. The top and bottom rows are pure blue,
// the transparent key.

namespace zelk {

enum class DriveImage { Floppy, Hard, Network, CdRom, Ram };

inline constexpr int kDriveImageCount = 5;

// XPM text of the picture, for QImage's XPM constructor.
const char* const* DriveImageXpm(DriveImage image);

}  // namespace zelk
