// Guards the window's comparison with an earlier scan, on two real tmpfs volumes (as root;
// skipped otherwise): a tree scanned, changed and scanned again shows, after every node text,
// the growth that sums of lstat give on either basis, whichever scanner wrote the baseline and
// from whichever drive; directories gone are rows after their living siblings; the growth sort
// orders every level; and a baseline that cannot be read leaves the window as it was.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <filesystem>
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

struct Sums {
    double size = 0;
    double compressed = 0;
};
// By path below the root ("" the root, names joined by '/').
using TreeSums = std::map<std::string, Sums>;

// What each directory holds, from lstat alone: a file's size, its allocation where that is
// smaller, each hard-linked file once.
TreeSums SumsOf(const std::string& root) {
    namespace fs = std::filesystem;
    TreeSums sums{{"", {}}};
    std::set<std::pair<dev_t, ino_t>> seen;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string path = fs::relative(entry.path(), root).string();
        struct stat info {};
        ::lstat(entry.path().c_str(), &info);
        if (S_ISDIR(info.st_mode)) {
            sums[path];
            continue;
        }
        if (!S_ISREG(info.st_mode) || !seen.insert({info.st_dev, info.st_ino}).second) {
            continue;
        }
        const double size = static_cast<double>(info.st_size);
        const double allocated = static_cast<double>(info.st_blocks) * 512;
        for (std::string up = path; !up.empty();) {
            const std::size_t slash = up.rfind('/');
            up = slash == std::string::npos ? "" : up.substr(0, slash);
            sums[up].size += size;
            sums[up].compressed += std::min(size, allocated);
        }
    }
    return sums;
}

std::string PathOf(const TFileAttr& record) {
    std::string path;
    for (const TFileAttr* at = &record; at->Parent != nullptr; at = at->Parent) {
        path = at->Name.Str() + (path.empty() ? "" : "/" + path);
    }
    return path;
}

// Whole bytes with a comma every three digits.
std::string Grouped(double value) {
    std::string digits = std::to_string(static_cast<long long>(value));
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

double On(const Sums& sums, bool compressed) {
    return compressed ? sums.compressed : sums.size;
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
        thenSums_ = SumsOf(then_.Path());
        ExportScan(baseline_, then_.Path(), nullptr);  // installs a volume table of its own
        WindowFixture::SetUp();
        ASSERT_EQ(Shell("cd '" + root_ + "' && " + kChanges), 0);
        nowSums_ = SumsOf(root_);
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
        TRadioButton* button =
            compressed ? form_->Controls().rbCompressedSize : form_->Controls().rbFileSize;
        button->setChecked(true);
        compressed ? form_->rbCompressedSizeClick() : form_->rbFileSizeClick();
        Settle();
    }

    // The sums now less those of the baseline; a new directory's whole sum.
    double Growth(const std::string& path, bool compressed) const {
        const auto then = thenSums_.find(path);
        return On(nowSums_.at(path), compressed) -
               (then == thenSums_.end() ? 0 : On(then->second, compressed));
    }

    // Every node against the sums: a living directory's text and its bracket, and a row for
    // each directory gone, after its parent's living children.
    void ExpectGrowthOfEveryNode(bool compressed) {
        TTreeView& tree = *form_->Controls().TreeView1;
        const TFileAttr& root = *form_->ShownTree();
        std::set<std::string> removedRows;
        for (int i = 0; i < tree.Count(); ++i) {
            const TTreeNode& node = *tree.Item(i);
            if (const TFileAttr* record = RecordOf(root, node)) {
                const std::string path = PathOf(*record);
                const double growth = Growth(path, compressed);
                const std::string bracket =
                    growth == 0 ? " [±0]"
                                : (growth > 0 ? " [+" : " [-") + Grouped(std::abs(growth)) + "]";
                EXPECT_EQ(node.Text(), NodeText(*record, root) +
                                           (thenSums_.contains(path) ? bracket : " [新規]"))
                    << path;
                continue;
            }
            const TFileAttr* parent = RecordOf(root, *node.Parent());
            ASSERT_NE(parent, nullptr) << node.Text();
            EXPECT_GE(static_cast<std::size_t>(node.Index()), parent->Children.size());
            const std::string name = node.Text().substr(0, node.Text().find(' '));
            const std::string path = PathOf(*parent) + (parent->Parent ? "/" : "") + name;
            EXPECT_TRUE(node.Text().ends_with(" [削除 -" +
                                              Grouped(On(thenSums_.at(path), compressed)) + "]"))
                << node.Text();
            removedRows.insert(path);
        }
        EXPECT_EQ(removedRows, (std::set<std::string>{"gone", "old"}));
    }

    test::TmpfsMount then_;
    test::TmpfsMount now_;
    TreeSums thenSums_;
    TreeSums nowSums_;
    const std::string baseline_ = dir_ + "/then.json";
};

TEST_F(CompareWindow, EveryNodeShowsTheGrowthThatLstatGivesOnEitherBasisAndSortsByIt) {
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
        std::vector<const TFileAttr*> stack{form_->ShownTree()};
        while (!stack.empty()) {
            const TFileAttr* record = stack.back();
            stack.pop_back();
            std::vector<double> keys;
            for (const auto& child : record->Children) {
                keys.push_back(Growth(PathOf(*child), compressed));
                stack.push_back(child.get());
            }
            EXPECT_TRUE(std::is_sorted(keys.rbegin(), keys.rend())) << PathOf(*record);
        }
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
