// Guards sorting: by size on either basis with basis changes re-sorting once a key is chosen, by
// date, the stable sort against the exchange loop with equal keys in their earlier order, and
// nothing sorted or rebuilt before a key is chosen, during a scan or after an interrupted one.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <map>
#include <random>
#include <vector>

#include "app/RecordSorter.h"
#include "app/RecordTrees.h"
#include "app/TRadioButton.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "runtime/LocaleTestSupport.h"
#include "scan/SizeBasis.h"

namespace zelk {
namespace {

class SortingTest : public JapaneseDesktopTest {
  protected:
    SortingTest() {
        form_.RootAttr = MakeRoot(60, 60, 5);
        TFileAttr& root = *form_.RootAttr;
        TFileAttr& a = AddRecord(root, "a", 10, 30, 3);
        AddRecord(a, "x", 1, 1, 1);
        AddRecord(a, "y", 9, 29, 3);
        AddRecord(root, "b", 20, 10, 5);
        AddRecord(root, "c", 30, 20, 4);
    }
    // The names below the root as listed, depth first; empty while nothing is listed.
    std::string Listed() const {
        std::string names;
        for (int i = 1; i < form_.TreeView1->Count(); ++i) {
            names += form_.TreeView1->Item(i)->Text().substr(0, 1);
        }
        return names;
    }
    TfrmMain form_{0};
};

TEST_F(SortingTest, BySizeFollowsTheBasisAndASwitchResortsAtOnceOnceAKeyIsChosen) {
    form_.rbCompressedSize->setChecked(true);
    form_.rbCompressedSizeClick();
    EXPECT_EQ(Listed(), "") << "no key yet: nothing sorted or listed";
    form_.btnSortBySizeClick();
    EXPECT_EQ(Listed(), "ayxcb");
    form_.rbFileSize->setChecked(true);
    form_.rbFileSizeClick();
    EXPECT_EQ(Listed(), "cbayx");
}

TEST_F(SortingTest, ByDatePutsTheNewestFileBelowFirst) {
    form_.btnSortByDateClick();
    EXPECT_EQ(Listed(), "bcayx");
}

TEST_F(SortingTest, NothingHappensDuringOrAfterAnInterruptedScanAndTheKeyStays) {
    form_.RootAttr->Searched = false;
    form_.btnSortBySizeClick();
    EXPECT_EQ(form_.RootAttr->Children[0]->Name.Str(), "a");
    EXPECT_EQ(Listed(), "");
    form_.RootAttr->Searched = true;
    form_.rbFileSizeClick();
    EXPECT_EQ(Listed(), "cbayx");
    form_.RootAttr.reset();
    EXPECT_NO_THROW(form_.btnSortByDateClick());
}

// The exchange loop written out plainly: the order the sort had before it became stable.
std::vector<double> ExchangeKeys(std::vector<double> keys) {
    for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
        for (std::size_t j = i + 1; j < keys.size(); ++j) {
            if (keys[i] < keys[j]) {
                std::swap(keys[i], keys[j]);
            }
        }
    }
    return keys;
}

struct FixedBasis : SizeBasisProvider {
    bool compressed = false;
    bool CompressedBasis() const override { return compressed; }
};

TEST(Sorting, StableSortAgreesWithTheExchangeSortAndKeepsEqualKeysInTheirEarlierOrder) {
    FixedBasis basis;
    InstallSizeBasis(&basis);
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
        // Three levels of lists of up to 30 children, each key one of four values.
        auto root = MakeRoot(0, 0);
        std::vector<TFileAttr*> lists{root.get()};
        for (std::size_t at = 0; at < lists.size() && lists.size() < 400; ++at) {
            for (auto n = random() % 30; n > 0; --n) {
                lists.push_back(
                    &AddRecord(*lists[at], "", random() % 4, random() % 4, random() % 4));
            }
        }
        for (const char* key : {"Size", "Size", "Date"}) {
            basis.compressed = !basis.compressed;
            std::map<const TFileAttr*, std::size_t> earlier;  // a child's place before
            for (const TFileAttr* list : lists) {
                for (std::size_t i = 0; i < list->Children.size(); ++i) {
                    earlier[list->Children[i].get()] = i;
                }
            }
            SortAttr(key, *root);
            for (const TFileAttr* list : lists) {
                std::vector<double> keys;
                for (std::size_t i = 0; i < list->Children.size(); ++i) {
                    const TFileAttr* child = list->Children[i].get();
                    keys.push_back(std::string(key) == "Date" ? child->LastWrite
                                                              : child->GetSize());
                    if (i > 0 && keys[i] == keys[i - 1]) {
                        ASSERT_LT(earlier[list->Children[i - 1].get()], earlier[child])
                            << "round " << round << " " << key;
                    }
                }
                ASSERT_EQ(keys, ExchangeKeys(keys)) << "round " << round << " " << key;
            }
        }
    }
    InstallSizeBasis(nullptr);
}

TEST_F(SortingTest, ALargeTreeIsSortedInStepsThenListed) {
    form_.RootAttr = MakeRoot(0, 0);
    for (int list = 0; list < 3; ++list) {
        TFileAttr& wide = AddRecord(*form_.RootAttr, std::to_string(list), list, list);
        for (int i = 0; i < 60000; ++i) {
            AddRecord(wide, "", i % 7, 0);
        }
    }
    form_.btnSortBySizeClick();
    ASSERT_TRUE(form_.SortPending());
    EXPECT_EQ(form_.TreeView1->Count(), 0);
    while (form_.SortPending()) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(form_.RootAttr->Children[0]->Name.Str(), "2");
    EXPECT_EQ(form_.RootAttr->Children[2]->Name.Str(), "0");
    EXPECT_EQ(form_.RootAttr->Children[1]->Children.front()->Size, 6);
    EXPECT_EQ(form_.TreeView1->Count(), 1 + 3 + 3 * 60000);
}

}  // namespace
}  // namespace zelk
