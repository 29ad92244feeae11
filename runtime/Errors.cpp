#include "runtime/Errors.h"

#include <cinttypes>
#include <cstdio>

namespace zelk {
namespace {

// A pointer is written as the address width's upper-case hexadecimal digits.
std::string PointerText(std::uintptr_t p) {
    char buf[2 * sizeof p + 1];
    std::snprintf(buf, sizeof buf, "%0*" PRIXPTR, static_cast<int>(2 * sizeof p), p);
    return buf;
}

std::string AccessViolationText(std::uintptr_t fault, const std::string& module, bool write,
                                std::uintptr_t accessed) {
    const std::string kind = write ? "書き込み" : "読み込み";
    if (!module.empty()) {
        return "ﾓｼﾞｭｰﾙ '" + module + "' のｱﾄﾞﾚｽ " + PointerText(fault) + " でｱﾄﾞﾚｽ " +
               PointerText(accessed) + " に対する" + kind + "違反がおきました。";
    }
    return "ｱﾄﾞﾚｽ " + PointerText(fault) + " でｱﾄﾞﾚｽ " + PointerText(accessed) + " に対する" +
           kind + "違反がおきました。";
}

std::string ExternalText(std::uint32_t code) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%" PRIX32, code);
    return std::string("外部例外 ") + buf;
}

}  // namespace

EAccessViolation::EAccessViolation(std::uintptr_t faultAddress, const std::string& module,
                                   bool write, std::uintptr_t accessedAddress)
    : Exception(AccessViolationText(faultAddress, module, write, accessedAddress)) {}

EExternalException::EExternalException(std::uint32_t code) : Exception(ExternalText(code)) {}

}  // namespace zelk
