// Guards the record's size basis: GetSize follows the installed basis at each call, for every
// record at once, without the records changing.

#include <gtest/gtest.h>

#include "scan/SizeBasis.h"
#include "scan/TFileAttr.h"

namespace zelk {
namespace {

class SwitchableBasis : public SizeBasisProvider {
  public:
    bool CompressedBasis() const override { return compressed; }
    bool compressed = false;
};

TEST(TFileAttr, GetSizeFollowsTheInstalledBasisAtEachCall) {
    TFileAttr record;
    record.Size = 1000;
    record.CompressedSize = 400;
    EXPECT_EQ(record.GetSize(), 1000);  // no provider: uncompressed

    SwitchableBasis basis;
    InstallSizeBasis(&basis);
    EXPECT_EQ(record.GetSize(), 1000);
    basis.compressed = true;
    EXPECT_EQ(record.GetSize(), 400);
    InstallSizeBasis(nullptr);
    EXPECT_EQ(record.GetSize(), 1000);
}

}  // namespace
}  // namespace zelk
