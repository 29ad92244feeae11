#pragma once
// Changes to a finished record tree in place that keep every ancestor's totals: a directory's
// records taken over from a fresh walk, a directory taken out, one added under another, and
// moved records put where their placeholder stood.

#include <memory>

#include "scan/TFileAttr.h"

namespace zelk {

class RecordSplice {
  public:
    // record takes fresh's children, totals, date, depth and state; fresh is left with record's
    // old children, which no longer reach the tree.
    static void Replace(TFileAttr& record, TFileAttr& fresh);
    // record out of its parent's children.
    static std::unique_ptr<TFileAttr> Detach(TFileAttr& record);
    // moved takes placeholder's place, name and depth (and its date where newer); the
    // placeholder is handed back.
    static std::unique_ptr<TFileAttr> PutInPlace(std::unique_ptr<TFileAttr> moved,
                                                 TFileAttr& placeholder);
    static void Append(TFileAttr& under, std::unique_ptr<TFileAttr> child);
};

}  // namespace zelk
