#pragma once
// The report of an error that nothing else caught: the error's class, the module and relative
// address of the code that was running, and the error's message. The frame writes it to standard
// error; the application shows the same text in its box.

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace zelk {

// The longest report, in bytes; a longer one is cut without splitting a character.
constexpr std::size_t kLastChanceTextLimit = 1024;

// relativeAddress is written as at least eight upper-case hexadecimal digits.
std::string LastChanceText(const std::exception_ptr& error, std::string_view moduleFile,
                           std::uintptr_t relativeAddress);

struct CodeLocation {
    std::string moduleFile;  // without its directory
    std::uintptr_t relativeAddress = 0;
};

// Where EndWithLastChance sends the error instead of standard error; an empty hook restores
// standard error.
void InstallLastChanceHook(std::function<void(std::exception_ptr)> hook);
// Reports the error through the hook, or writes its report for the code at address to standard
// error, and ends the process with exit code 1.
[[noreturn]] void EndWithLastChance(const std::exception_ptr& error, const void* address);

// The loaded module that holds address and the address less that module's base; for an
// address outside every module, the program's own file and the address less 0x1000.
CodeLocation LocateCode(const void* address);

}  // namespace zelk
