#pragma once
// The report text of the archiver, one line a member and one for a failure:
// what the command entry prints and what the backup shows the user.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/unlha/LzhFormat.h"

namespace tqen::unlha {

// "name  original -> packed ratio% method", the name made printable.
std::string reportLine(const std::string &name, std::uint64_t original, std::uint64_t packed, std::string_view method);

// "Error: " and the reason, made printable.
std::string failureLine(const Status &status);

}  // namespace tqen::unlha
