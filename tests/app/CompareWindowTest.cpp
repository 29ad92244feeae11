// Guards the window's comparison with an earlier scan, on two real tmpfs volumes (as root;
// skipped otherwise): a tree scanned, changed and scanned again shows, after every node text,
// its growth on either basis, whichever scanner wrote the baseline and from whichever drive;
// directories gone are rows after their living siblings; the growth sort orders the children;
// and a baseline that cannot be read leaves the window as it was.

#include <gtest/gtest.h>

#include <QPushButton>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "WindowFixture.h"
#include "app/CompareControl.h"
#include "app/ScanFileControl.h"
#include "app/TRadioButton.h"
#include "app/TTreeView.h"
#include "app/TreeListing.h"
#include "scan/ScanComparison.h"
#include "scanfile/ScanExport.h"
#include "support/TmpfsMount.h"

namespace zelk {
namespace {

using test::PumpUntil;
using test::Shell;

std::string PathOf(const TFileAttr& record) {
    std::string path;
    for (const TFileAttr* at = &record; at->Parent != nullptr; at = at->Parent) {
        path = at->Name.Str() + (path.empty() ? "" : "/" + path);
    }
    return path;
}

// The first state: a sparse file (so the bases differ), a directory to remove, one to rename.
const char* const kFirstState = R"sh(set -e; mkdir -p a/a1 b c/c1/c2 gone/g1 old/o1 'odd \ name'
head -c 5000 /dev/zero >a/f1; head -c 300 /dev/zero >a/a1/f2; head -c 20000 /dev/zero >b/big
truncate -s 1000000 c/sparse; head -c 8192 /dev/zero | dd of=c/sparse conv=notrunc status=none
head -c 7000 /dev/zero >gone/g1/f; head -c 3000 /dev/zero >old/o1/f; echo x >c/c1/c2/f
echo y >'odd \ name/f')sh";
// Grown and shrunk files, a directory added, one removed, one renamed, a hard link added, and
// a sparse file that holds more without growing.
const char* const kChanges = R"sh(set -e; head -c 9000 /dev/zero >a/f1; truncate -s 100 b/big
mkdir -p new/n1; head -c 4096 /dev/zero >new/n1/f; rm -r gone; mv old renamed
ln a/a1/f2 a/a1/f2.link; head -c 70000 /dev/zero >'odd \ name/f'
head -c 16384 /dev/zero | dd of=c/sparse conv=notrunc status=none)sh";
// The brackets the changes give, by path below the root ("" the root), on the file-size and the
// compressed basis (tmpfs allocates whole 4 KiB pages, a sparse file only those written, and a
// hard-linked file counts once). Removed directories show their whole sum.
// clang-format off
const std::map<std::string, std::pair<std::string, std::string>> kBrackets = {
    {"", {"+51,194", "+59,386"}}, {"a", {"+4,000", "+4,000"}}, {"b", {"-19,900", "-19,900"}},
    {"c", {"±0", "+8,192"}}, {"odd \\ name", {"+69,998", "+69,998"}},
    {"new", {"新規", "新規"}}, {"new/n1", {"新規", "新規"}}, {"renamed", {"新規", "新規"}},
    {"renamed/o1", {"新規", "新規"}}, {"gone", {"削除 -7,000", "削除 -7,000"}},
    {"old", {"削除 -3,000", "削除 -3,000"}}, {"a/a1", {"±0", "±0"}}, {"c/c1", {"±0", "±0"}},
    {"c/c1/c2", {"±0", "±0"}}};
// clang-format on
const std::vector<std::string> kBySize = {"odd \\ name", "new", "a", "renamed", "c", "b"};
const std::vector<std::string> kByCompressed = {"odd \\ name", "c", "new", "a", "renamed", "b"};

class CompareWindow : public test::WindowFixture {
  protected:
    CompareWindow() : WindowFixture('q'), then_(dir_ + "/then"), now_(root_) {}

    void SetUp() override {
        if (!then_.Mounted() || !now_.Mounted()) {
            GTEST_SKIP() << "mounting a tmpfs volume is refused here: skipped";
        }
        // The baseline is of another drive, which holds the first state too.
        for (const std::string& volume : {then_.Path(), now_.Path()}) {
            ASSERT_EQ(Shell("cd '" + volume + "' && " + kFirstState), 0);
        }
        ExportScan(baseline_, then_.Path(), nullptr);  // installs a volume table of its own
        WindowFixture::SetUp();
        ASSERT_EQ(Shell("cd '" + root_ + "' && " + kChanges), 0);
        form_->btnStartClick();
        Settle();
    }

    void CompareWith(const std::string& file) {
        form_->CompareWithFile(file);
        Settle();
        PumpUntil([&] { return form_->ShownComparison() != nullptr || !boxes_.empty(); });
        Settle();
    }

    void UseBasis(bool compressed) {
        (compressed ? form_->Controls().rbCompressedSize : form_->Controls().rbFileSize)
            ->setChecked(true);
        compressed ? form_->rbCompressedSizeClick() : form_->rbFileSizeClick();
        Settle();
    }

    // Every node's bracket: a living directory's after its text, and a row for each
    // directory gone, after its parent's living children.
    void ExpectGrowthOfEveryNode(bool compressed) {
        TTreeView& tree = *form_->Controls().TreeView1;
        const TFileAttr& root = *form_->ShownTree();
        const auto bracket = [compressed](const std::string& path) {
            const auto& [size, allocated] = kBrackets.at(path);
            return " [" + (compressed ? allocated : size) + "]";
        };
        std::set<std::string> removedRows;
        for (int i = 0; i < tree.Count(); ++i) {
            const TTreeNode& node = *tree.Item(i);
            if (const TFileAttr* record = RecordOf(root, node)) {
                EXPECT_EQ(node.Text(), NodeText(*record, root) + bracket(PathOf(*record)));
                continue;
            }
            const TFileAttr* parent = RecordOf(root, *node.Parent());
            ASSERT_NE(parent, nullptr) << node.Text();
            EXPECT_GE(static_cast<std::size_t>(node.Index()), parent->Children.size());
            const std::string name = node.Text().substr(0, node.Text().find(' '));
            const std::string path = PathOf(*parent) + (parent->Parent ? "/" : "") + name;
            EXPECT_TRUE(node.Text().ends_with(bracket(path))) << node.Text();
            removedRows.insert(path);
        }
        EXPECT_EQ(removedRows, (std::set<std::string>{"gone", "old"}));
    }

    test::TmpfsMount then_;
    test::TmpfsMount now_;
    const std::string baseline_ = dir_ + "/then.json";
};

TEST_F(CompareWindow, EveryNodeShowsItsGrowthOnEitherBasisAndSortsByIt) {
    ASSERT_EQ(Shell("command -v ncdu >/dev/null"), 0) << "ncdu is not installed";
    const std::string byNcdu = dir_ + "/then.ncdu.json";
    ASSERT_EQ(Shell("ncdu -o '" + byNcdu + "' -x '" + then_.Path() + "' 2>/dev/null"), 0);
    QPushButton& sort = form_->Comparing().SortButton();
    for (const std::string& file : {baseline_, byNcdu}) {
        CompareWith(file);
        ASSERT_NE(form_->ShownComparison(), nullptr) << file;
        for (const bool compressed : {false, true, false}) {
            UseBasis(compressed);
            ExpectGrowthOfEveryNode(compressed);
        }
    }
    ASSERT_FALSE(sort.isHidden());
    EXPECT_EQ(sort.accessibleName(), sort.text());
    for (const bool compressed : {true, false}) {
        UseBasis(compressed);
        sort.click();
        Settle();
        ExpectGrowthOfEveryNode(compressed);
        std::vector<std::string> order;
        for (const auto& child : form_->ShownTree()->Children) {
            order.push_back(child->Name.Str());
        }
        // Only the root has more than one child; a new directory's key is its whole sum.
        EXPECT_EQ(order, compressed ? kByCompressed : kBySize);
    }
    form_->Comparing().ToggleClick();  // ends it: no brackets, no button
    Settle();
    EXPECT_TRUE(sort.isHidden());
    EXPECT_EQ(Texts().front(), NodeText(*form_->ShownTree(), *form_->ShownTree()));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(CompareWindow, ABaselineThatCannotBeReadIsRefusedAndTheComparisonShownStays) {
    CompareWith(baseline_);
    const std::vector<std::string> compared = Texts();
    CompareWith(dir_ + "/missing.json");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_NE(boxes_[0].find("missing.json"), std::string::npos) << boxes_[0];
    EXPECT_NE(form_->ShownComparison(), nullptr);
    EXPECT_EQ(Texts(), compared);
    EXPECT_EQ(form_->Comparing().ToggleAction().text().toStdString(), "比較を終了");
}

}  // namespace
}  // namespace zelk
