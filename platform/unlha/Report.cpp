#include "platform/unlha/Report.h"

#include <cinttypes>
#include <cstdio>

#include "platform/unlha/LzhArchive.h"

namespace tqen::unlha {

std::string reportLine(const std::string &name, std::uint64_t original, std::uint64_t packed, std::string_view method) {
    char buf[96];
    const double ratio = original ? 100.0 * static_cast<double>(packed) / static_cast<double>(original) : 100.0;
    std::snprintf(buf, sizeof buf, "  %10" PRIu64 " -> %10" PRIu64 " %5.1f%% ", original, packed, ratio);
    return printable(name) + buf + printable(std::string(method.substr(0, 5))) + "\n";
}

std::string failureLine(const Status &status) { return "Error: " + printable(status.message) + "\n"; }

}  // namespace tqen::unlha
