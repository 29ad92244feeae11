#include "app/TreeListing.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "app/GrowthText.h"
#include "app/TTreeView.h"
#include "platform/Utf8Text.h"
#include "runtime/CheckedMath.h"
#include "runtime/DateTimeText.h"
#include "runtime/FormatText.h"
#include "runtime/LocaleFormats.h"

namespace zelk {
namespace {

constexpr std::size_t kSizeTextChars = 100;
// A few milliseconds of adding nodes on our machines.
constexpr int kNodesPerStep = 16384;

// A share of an empty total is 0: an empty drive must list, not raise.
long double Percent(long double part, long double whole) {
    if (whole == 0) {
        return 0;
    }
    return CheckedDivide(part, whole) * 100;
}

// The rows of the directories the baseline's counterpart of record had and record lacks: each
// its node text then, under the baseline's root, and what it held.
void AddRemovedRows(TreeNodeModel& model, const ScanComparison& comparison, const TFileAttr& record,
                    TTreeNode* node, SizeBasis basis) {
    const TFileAttr& rootThen = comparison.Baseline();
    for (const TFileAttr* gone : comparison.Removed(record)) {
        TTreeNode* row = model.Add(
            node, NodeText(*gone, rootThen) + RemovedBracket(ScanComparison::SizeOn(*gone, basis)));
        row->ImageIndex = kClosedFolderImage;
        row->SelectedIndex = kOpenFolderImage;
    }
}

}  // namespace

std::string FormatSize(long double value) {
    const std::string text = FormatText("%0.0m", {value});
    // From 10^18 on the text takes the general form, which has no sign to drop.
    const std::string& sign = CurrentLocaleFormats()->CurrencySymbol;
    const std::size_t start = !sign.empty() && text.starts_with(sign) ? CharLengthAt(text, 0) : 0;
    std::size_t end = start;
    for (std::size_t chars = 0; chars < kSizeTextChars && end < text.size(); ++chars) {
        end += CharLengthAt(text, end);
    }
    return text.substr(start, end - start);
}

std::string NodeText(const TFileAttr& record, const TFileAttr& root) {
    return NodeText({record.Name, record.Size, record.CompressedSize, record.LastWrite}, root.Size,
                    root.CompressedSize);
}

std::string NodeText(const TTreeNode::Figures& record, long double rootSize,
                     long double rootCompressed) {
    const long double size = record.Size;
    const long double compressed = record.CompressedSize;
    const std::string sizeText = FormatSize(size);
    std::string compText;
    if (size == compressed) {
        compText = "-";
    } else if (size == 0) {
        // No ratio of nothing: the compressed size alone (the scan does not produce this).
        compText = FormatSize(compressed);
    } else {
        const long double ratio = (1 - CheckedDivide(compressed, size)) * 100;
        compText = FormatText("%s %0.0f%%", {FormatSize(compressed), ratio});
    }
    const long double share = Percent(size, rootSize);
    const long double compShare = Percent(compressed, rootCompressed);
    std::string text = FormatText("%s %0.0f%%:%0.0f%% (%s)(%s)",
                                  {record.Name.View(), share, compShare, sizeText, compText});
    // An unknown date is not shown as one.
    if (record.LastWrite != 0) {
        text += ' ';
        text += DateTimeText(record.LastWrite);
    }
    return text;
}

void AddNodes(TTreeView& tree, const TFileAttr& record, const TFileAttr& root, TTreeNode* parent,
              const ScanComparison* comparison) {
    TreeNodeModel& model = tree.Model();
    const long double rootSize = root.Size;
    const long double rootCompressed = root.CompressedSize;
    const bool compared = comparison != nullptr;
    model.SetTextMaker([rootSize, rootCompressed, compared](const TTreeNode::Figures& figures) {
        std::string text = NodeText(figures, rootSize, rootCompressed);
        if (compared) {
            text += GrowthBracket(figures.Growth);
        }
        return text;
    });
    const SizeBasis basis = CurrentSizeBasis();
    // Depth first with an explicit stack, children pushed last-first so they come off in
    // Children order: the same order as adding each node and then recursing into its children.
    // Done in steps of a bounded number of nodes, from where the last step stopped. A compared
    // record's removed children come after its children's subtrees, so their rows follow the
    // living siblings.
    struct Pending {
        const TFileAttr* record;
        TTreeNode* under;
        bool removedRows;
    };
    auto pending = std::make_shared<std::vector<Pending>>();
    pending->push_back({&record, parent, false});
    model.Defer([&model, pending, comparison, basis] {
        for (int budget = kNodesPerStep; budget > 0 && !pending->empty(); --budget) {
            const Pending next = pending->back();
            pending->pop_back();
            if (next.removedRows) {
                AddRemovedRows(model, *comparison, *next.record, next.under, basis);
                continue;
            }
            TTreeNode::Figures figures{next.record->Name, next.record->Size,
                                       next.record->CompressedSize, next.record->LastWrite};
            if (comparison != nullptr) {
                figures.Growth = comparison->Growth(*next.record, basis).value_or(kNewDirectory);
            }
            const auto& children = next.record->Children;
            TTreeNode* node = model.AddListed(next.under, std::move(figures), children.size());
            node->Unreadable = next.record->Unreadable;
            node->ImageIndex =
                next.record->Unreadable ? kUnreadableFolderImage : kClosedFolderImage;
            node->SelectedIndex =
                next.record->Unreadable ? kUnreadableFolderImage : kOpenFolderImage;
            if (comparison != nullptr && !comparison->Removed(*next.record).empty()) {
                pending->push_back({next.record, node, true});
            }
            for (auto child = children.rbegin(); child != children.rend(); ++child) {
                pending->push_back({child->get(), node, false});
            }
        }
        return pending->empty();
    });
}

std::size_t ChildIndex(const TFileAttr& record) {
    if (record.Parent == nullptr) {
        return 0;
    }
    const auto& siblings = record.Parent->Children;
    const auto at = std::find_if(siblings.begin(), siblings.end(),
                                 [&record](const auto& child) { return child.get() == &record; });
    return static_cast<std::size_t>(at - siblings.begin());
}

TTreeNode* NodeOf(TTreeView& tree, const TFileAttr& root, const TFileAttr& record) {
    std::vector<std::size_t> places;
    const TFileAttr* up = &record;
    for (; up != nullptr && up != &root; up = up->Parent) {
        places.push_back(ChildIndex(*up));
    }
    if (up == nullptr || tree.Model().TopCount() == 0) {
        return nullptr;
    }
    TTreeNode* node = tree.Item(0);
    for (auto place = places.rbegin(); place != places.rend(); ++place) {
        if (*place >= static_cast<std::size_t>(node->Count())) {
            return nullptr;
        }
        node = node->Item(static_cast<int>(*place));
    }
    return node;
}

const TFileAttr* RecordOf(const TFileAttr& root, const TTreeNode& node) {
    std::vector<int> places;
    const TTreeNode* up = &node;
    for (; up->Parent() != nullptr; up = up->Parent()) {
        places.push_back(up->Index());
    }
    if (up->Index() != 0) {
        return nullptr;
    }
    const TFileAttr* record = &root;
    for (auto place = places.rbegin(); place != places.rend(); ++place) {
        if (static_cast<std::size_t>(*place) >= record->Children.size()) {
            return nullptr;
        }
        record = record->Children[static_cast<std::size_t>(*place)].get();
    }
    return record;
}

void ClearNodes(TTreeView& tree) {
    tree.Model().Clear();  // drops a listing still being added, and frees the nodes elsewhere
    while (tree.Count() > 0) {
        tree.Delete(tree.Item(0));
    }
}

}  // namespace zelk
