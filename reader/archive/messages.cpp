#include "reader/archive/messages.h"

#ifndef TARNWICK_WEBSITE
#error "TARNWICK_WEBSITE must be defined by the build"
#endif

namespace tarnwick::reader {

std::string invalid_archive_text() {
    return "We are sorry, but your installation / update did not complete due to unexpected download errors.\r\n"
           "Please download the whole Tarnwick program from " TARNWICK_WEBSITE;
}

}  // namespace tarnwick::reader
