// Guards sorting: by size on either basis with basis changes re-sorting once a key is chosen, by
// date, ties ordered exactly as the exchange loop orders them, and nothing sorted or rebuilt
// before a key is chosen, during a scan or after an interrupted one.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "app/RecordSorter.h"
#include "app/RecordTrees.h"
#include "app/TRadioButton.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "runtime/LocaleTestSupport.h"

namespace zelk {
namespace {

std::string Names(const TFileAttr& record) {
    std::string names;
    for (const auto& child : record.Children) {
        names += child->Name;
    }
    return names;
}

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
    std::string TopNodeNames() const {
        std::string names;
        const TTreeNode* top = form_.TreeView1->Item(0);
        for (int i = 0; i < top->Count(); ++i) {
            names += top->Item(i)->Text().substr(0, 1);
        }
        return names;
    }
    TfrmMain form_{0};
};

TEST_F(SortingTest, BySizeFollowsTheBasisAndASwitchResortsAtOnceOnceAKeyIsChosen) {
    form_.rbCompressedSize->setChecked(true);
    form_.rbCompressedSizeClick();
    EXPECT_EQ(Names(*form_.RootAttr), "abc");
    EXPECT_EQ(form_.TreeView1->Count(), 0);  // no key yet: nothing rebuilt

    form_.btnSortBySizeClick();
    EXPECT_EQ(Names(*form_.RootAttr), "acb");
    EXPECT_EQ(Names(*form_.RootAttr->Children[0]), "yx");
    EXPECT_EQ(TopNodeNames(), "acb");

    form_.rbFileSize->setChecked(true);
    form_.rbFileSizeClick();
    EXPECT_EQ(Names(*form_.RootAttr), "cba");
    EXPECT_EQ(TopNodeNames(), "cba");
    form_.btnSortBySizeClick();
    EXPECT_EQ(Names(*form_.RootAttr), "cba");
}

TEST_F(SortingTest, ByDatePutsTheNewestFileBelowFirst) {
    form_.btnSortByDateClick();
    EXPECT_EQ(form_.SortKey, "Date");
    EXPECT_EQ(Names(*form_.RootAttr), "bca");
    EXPECT_EQ(Names(*form_.RootAttr->Children[2]), "yx");
    EXPECT_EQ(TopNodeNames(), "bca");
}

TEST_F(SortingTest, NothingHappensDuringOrAfterAnInterruptedScanAndTheKeyStays) {
    form_.RootAttr->Searched = false;
    form_.btnSortBySizeClick();
    EXPECT_EQ(form_.SortKey, "Size");
    EXPECT_EQ(Names(*form_.RootAttr), "abc");
    EXPECT_EQ(form_.TreeView1->Count(), 0);
    form_.RootAttr->Searched = true;
    form_.rbFileSizeClick();
    EXPECT_EQ(Names(*form_.RootAttr), "cba");
    form_.RootAttr.reset();
    EXPECT_NO_THROW(form_.btnSortByDateClick());
}

// The exchange loop written out plainly over keys.
std::vector<int> ExchangeOrder(std::vector<int> keys, std::vector<int> ids) {
    for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
        for (std::size_t j = i + 1; j < keys.size(); ++j) {
            if (keys[i] < keys[j]) {
                std::swap(keys[i], keys[j]);
                std::swap(ids[i], ids[j]);
            }
        }
    }
    return ids;
}

TEST(Sorting, TiesComeOutExactlyAsTheExchangeLoopOrdersThemAndAgainTheSame) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const auto n = static_cast<int>(random() % 40);
        auto root = MakeRoot(0, 0);
        std::vector<int> keys;
        std::vector<int> ids;
        for (int i = 0; i < n; ++i) {
            keys.push_back(static_cast<int>(random() % 4));
            ids.push_back(i);
            AddRecord(*root, std::to_string(i), 0, 0, keys.back());
        }
        SortAttr("Date", *root);
        std::vector<int> sorted;
        for (const auto& child : root->Children) {
            sorted.push_back(std::stoi(child->Name));
        }
        ASSERT_EQ(sorted, ExchangeOrder(keys, ids)) << "round " << round;
        const std::string once = Names(*root);
        SortAttr("Date", *root);
        ASSERT_EQ(Names(*root), once);
        SortAttr("", *root);  // an unknown key moves nothing
        ASSERT_EQ(Names(*root), once);
    }
}

TEST(Sorting, TenThousandLevelsSortWithoutRecursion) {
    auto root = MakeRoot(0, 0);
    TFileAttr* deepest = root.get();
    for (int level = 0; level < 10000; ++level) {
        AddRecord(*deepest, "s", 1, 1);
        deepest = &AddRecord(*deepest, "b", 2, 2);
    }
    SortAttr("Size", *root);
    EXPECT_EQ(Names(*root), "bs");
    EXPECT_EQ(Names(*deepest->Parent), "bs");
}

}  // namespace
}  // namespace zelk
