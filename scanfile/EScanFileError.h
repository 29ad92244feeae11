#pragma once
// A scan file that cannot be read or written: the message names the file and the reason.

#include <string>

#include "runtime/Exception.h"

namespace zelk {

class EScanFileError : public Exception {
  public:
    // A reason alone, before the file is known; Named gives it the file's name.
    explicit EScanFileError(std::string reason) : Exception(reason), reason_(std::move(reason)) {}
    EScanFileError(bool writing, const std::string& file, std::string reason)
        : Exception((writing ? "ファイル「" + file + "」に保存できません: "
                             : "ファイル「" + file + "」を読めません: ") +
                    reason),
          reason_(std::move(reason)) {}

    const std::string& Reason() const { return reason_; }
    const char* ClassName() const noexcept override { return "EScanFileError"; }

  private:
    std::string reason_;
};

}  // namespace zelk
