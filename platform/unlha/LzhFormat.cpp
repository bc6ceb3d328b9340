#include "platform/unlha/LzhFormat.h"

namespace tqen::unlha {

std::string_view methodId(Method m) {
    switch (m) {
    case Method::Stored: return "-lh0-";
    case Method::Lh5: return "-lh5-";
    case Method::Lh6: return "-lh6-";
    case Method::Lh7: return "-lh7-";
    case Method::Directory: return "-lhd-";
    }
    return "-lh0-";
}

bool methodFromId(std::string_view id, Method &m) {
    if (id == "-lh0-" || id == "-lz4-") m = Method::Stored;
    else if (id == "-lh5-") m = Method::Lh5;
    else if (id == "-lh6-") m = Method::Lh6;
    else if (id == "-lh7-") m = Method::Lh7;
    else if (id == "-lhd-") m = Method::Directory;
    else return false;
    return true;
}

StreamParams streamParams(Method m) {
    switch (m) {
    case Method::Lh6: return {15, 16, 5};
    case Method::Lh7: return {16, 17, 5};
    default: return {13, 14, 4};
    }
}

}  // namespace tqen::unlha
