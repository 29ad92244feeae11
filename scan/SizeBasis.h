#pragma once
// Whether sizes are counted uncompressed or compressed. The main window provides it (its radio
// button); records read it at the moment they are measured and keep no setting of their own.

namespace zelk {

enum class SizeBasis { Size, Compressed };

class SizeBasisProvider {
  public:
    virtual ~SizeBasisProvider() = default;
    // True when sizes count compressed (on-disk) bytes.
    virtual bool CompressedBasis() const = 0;
};

// The provider in force; nullptr (the default) means uncompressed. Read on the user-interface
// thread, like the radio button behind it.
const SizeBasisProvider* InstalledSizeBasis();
void InstallSizeBasis(const SizeBasisProvider* provider);
// The installed provider's basis (Size when none is installed).
SizeBasis CurrentSizeBasis();

}  // namespace zelk
