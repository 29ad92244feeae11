// Comparing a tree with an earlier one: directories pair up by their path of names below the
// root, byte for byte, whatever the roots are called and whatever order the children are in;
// what the baseline lacks is new, what the tree lacks is removed under its parent only.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "scan/ScanComparison.h"

namespace zelk {
namespace {

struct Dir {
    std::string path;  // names below the root, joined by '/'; "" is the root
    double size = 0;
    double compressed = 0;
};

TFileAttr& ChildNamed(TFileAttr& parent, std::string_view name) {
    for (auto& child : parent.Children) {
        if (child->Name == name) {
            return *child;
        }
    }
    auto& child = parent.Children.emplace_back(std::make_unique<TFileAttr>());
    child->Parent = &parent;
    child->Name = FileName(name);
    return *child;
}

std::unique_ptr<TFileAttr> Tree(const std::string& rootName, const std::vector<Dir>& dirs) {
    auto root = std::make_unique<TFileAttr>();
    root->Name = FileName(rootName);
    for (const Dir& dir : dirs) {
        TFileAttr* at = root.get();
        std::istringstream names(dir.path);
        for (std::string name; std::getline(names, name, '/');) {
            at = &ChildNamed(*at, name);
        }
        at->Size = dir.size;
        at->CompressedSize = dir.compressed;
    }
    return root;
}

std::string Signed(double value) {
    std::ostringstream text;
    text << (value > 0 ? "+" : "") << value;
    return text.str();
}

// One line per shown directory, "path size/compressed growth" or "path new", then its removed
// children as "path/name gone size/compressed".
std::string Describe(const ScanComparison& comparison, const TFileAttr& record,
                     const std::string& path = "") {
    const auto size = comparison.Growth(record, SizeBasis::Size);
    const auto compressed = comparison.Growth(record, SizeBasis::Compressed);
    std::string out = (path.empty() ? "." : path) + " " +
                      (size ? Signed(*size) + "/" + Signed(*compressed) : "new") + "\n";
    const std::string below = path.empty() ? "" : path + "/";
    for (const TFileAttr* gone : comparison.Removed(record)) {
        out += below + gone->Name.Str() + " gone " + Signed(gone->Size) + "/" +
               Signed(gone->CompressedSize) + "\n";
    }
    for (const auto& child : record.Children) {
        out += Describe(comparison, *child, below + child->Name.Str());
    }
    return out;
}

const std::string kNonUtf8 = "\xff\xfe";
const std::string kWithNul = std::string("a\0b", 3);

TEST(ScanComparisonTest, PairsDirectoriesByTheirPathBelowTheRoot) {
    const struct {
        const char* what;
        std::vector<Dir> then;
        std::vector<Dir> now;
        std::string expected;
    } rows[] = {
        {"names match byte for byte: no case folding, no prefixes, any byte",
         {{"A", 1, 1}, {"ab", 2, 2}, {kNonUtf8, 3, 3}, {kWithNul, 4, 4}, {"c\\d", 5, 5}},
         {{"a", 1, 1}, {"a", 1, 1}, {kNonUtf8, 13, 3}, {kWithNul, 14, 4}, {"c\\d", 15, 5}},
         ". 0/0\nA gone +1/+1\nab gone +2/+2\na new\n" + kNonUtf8 + " +10/0\n" + kWithNul +
             " +10/0\nc\\d +10/0\n"},
        {"children pair up whatever their order in either tree; below a new one all is new",
         {{"e", 5, 5}, {"d", 4, 4}, {"c", 3, 3}, {"b", 2, 2}, {"a", 1, 1}, {"x", 1, 1}},
         {{"c", 30, 3}, {"a", 10, 1}, {"e", 50, 5}, {"d", 40, 4}, {"b", 20, 2}, {"n/x", 1, 1}},
         ". 0/0\nx gone +1/+1\nc +27/0\na +9/0\ne +45/0\nd +36/0\nb +18/0\nn new\nn/x new\n"},
    };
    for (const auto& row : rows) {
        // Roots of different names: a baseline of another drive matches by paths below it.
        for (std::size_t budget : {std::size_t{1}, std::size_t{3}, SIZE_MAX}) {
            auto now = Tree("/mnt/now", row.now);
            ScanComparison comparison(*now, Tree("/srv/then", row.then));
            while (!comparison.Step(budget)) {
            }
            EXPECT_EQ(Describe(comparison, *now), row.expected)
                << row.what << ", budget " << budget;
        }
    }
}

TEST(ScanComparisonTest, AnotherComparisonOfTheSameTreeForgetsTheEarlierPairs) {
    auto now = Tree("", {{"a/b", 2, 2}, {"c", 1, 1}});
    ScanComparison first(*now, Tree("", {{"a/b", 1, 1}, {"c", 1, 1}}));
    first.Step(SIZE_MAX);
    ScanComparison second(*now, Tree("", {{"c", 3, 3}}));
    second.Step(SIZE_MAX);
    EXPECT_EQ(Describe(second, *now), ". 0/0\na new\na/b new\nc -2/-2\n");
}

TEST(ScanComparisonTest, RematchPairsARebuiltSubtreeAndItsLosses) {
    auto now = Tree("", {{"a/b", 2, 2}, {"a/c", 1, 1}});
    ScanComparison comparison(*now, Tree("", {{"a/b", 1, 1}, {"a/c", 1, 1}, {"a/d", 4, 4}}));
    comparison.Step(SIZE_MAX);
    // The subtree of a is walked again: c has gone, b came back as a new record.
    TFileAttr& a = *now->Children[0];
    a.Children.clear();
    ChildNamed(a, "b").Size = 5;
    comparison.Rematch(a);
    EXPECT_EQ(Describe(comparison, *now),
              ". 0/0\na 0/0\na/c gone +1/+1\na/d gone +4/+4\na/b +4/-1\n");
}

}  // namespace
}  // namespace zelk
