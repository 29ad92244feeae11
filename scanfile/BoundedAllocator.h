#pragma once
// The allocator of the JSON parser's stack (the text being read and the nesting), with a
// ceiling for one text, and drawing on the read's budget: past either the read is refused
// instead of growing with a hostile file.

#include <cstdlib>
#include <new>

#include "scan/ReadBudget.h"
#include "scanfile/EScanFileError.h"

namespace zelk {

struct BoundedAllocator {
    static const bool kNeedFree = true;
    // Per thread, since the parser makes its own allocator when it copies one.
    static inline thread_local std::size_t ceiling = 64u << 20;
    static inline thread_local ReadBudget* budget = nullptr;
    void* Malloc(std::size_t size) { return Realloc(nullptr, 0, size); }
    void* Realloc(void* block, std::size_t old, std::size_t size) {
        if (size > ceiling) {
            throw EScanFileError("名前などの文字列が長すぎるか、入れ子が深すぎます");
        }
        if (budget != nullptr && size > old) {
            budget->Spend(size - old);
        }
        if (size == 0) {
            std::free(block);
            return nullptr;
        }
        void* grown = std::realloc(block, size);
        if (grown == nullptr) {
            throw std::bad_alloc();
        }
        return grown;
    }
    static void Free(void* block) { std::free(block); }
};

}  // namespace zelk
