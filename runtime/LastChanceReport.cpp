#include "runtime/LastChanceReport.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "platform/SharedSetting.h"
#include "platform/Utf8Text.h"
#include "runtime/Exception.h"

namespace zelk {
namespace {

std::string_view BaseName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string ProgramFileName() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return "zelk";
    }
    return std::string(BaseName(std::string_view(path, static_cast<std::size_t>(length))));
}

// Must be called while the error is being handled, so that its type is the current one.
std::string ForeignClassName() {
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (type == nullptr) {
        return "Exception";
    }
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> readable(
        abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), &std::free);
    return status == 0 && readable != nullptr ? std::string(readable.get())
                                              : std::string(type->name());
}

SharedSetting<std::function<void(std::exception_ptr)>>& Hook() {
    static SharedSetting<std::function<void(std::exception_ptr)>> hook;
    return hook;
}

}  // namespace

void InstallLastChanceHook(std::function<void(std::exception_ptr)> hook) {
    Hook().Set(std::move(hook));
}

void EndWithLastChance(const std::exception_ptr& error, const void* address) {
    const std::function<void(std::exception_ptr)> hook = Hook().Get();
    try {
        if (hook) {
            hook(error);
        } else {
            const CodeLocation where = LocateCode(address);
            const std::string text = LastChanceText(error, where.moduleFile, where.relativeAddress);
            std::fprintf(stderr, "%s\n", text.c_str());
        }
    } catch (...) {
        // Nothing is left to report to; the process ends all the same.
    }
    std::fflush(nullptr);
    std::_Exit(1);
}

std::string LastChanceText(const std::exception_ptr& error, std::string_view moduleFile,
                           std::uintptr_t relativeAddress) {
    std::string className = "Exception";
    std::string message;
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const Exception& known) {
            className = known.ClassName();
            message = known.Message();
        } catch (...) {
            className = ForeignClassName();
        }
    }
    char address[2 * sizeof(std::uintptr_t) + 1];
    std::snprintf(address, sizeof address, "%08" PRIXPTR, relativeAddress);

    std::string text = className;
    text += "がﾓｼﾞｭｰﾙ ";
    text += moduleFile;
    text += " の ";
    text += address;
    text += " で発生しました。\n";
    text += message;
    if (!message.empty() && message.back() != '.') {
        text += '.';
    }
    text.resize(CutAtCharacter(text, kLastChanceTextLimit).size());
    return text;
}

CodeLocation LocateCode(const void* address) {
    const auto value = reinterpret_cast<std::uintptr_t>(address);
    Dl_info info{};
    if (dladdr(address, &info) != 0 && info.dli_fbase != nullptr) {
        const std::string_view file =
            info.dli_fname != nullptr ? BaseName(info.dli_fname) : std::string_view();
        return {file.empty() ? ProgramFileName() : std::string(file),
                value - reinterpret_cast<std::uintptr_t>(info.dli_fbase)};
    }
    return {ProgramFileName(), value - 0x1000};
}

}  // namespace zelk
