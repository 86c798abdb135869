#include "installation.h"

int RunInstallation(const std::string&) {
    return 0;
}
