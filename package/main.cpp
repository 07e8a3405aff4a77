// kxpsui-package: the driver package of the kxpsui plug-in for a set of PPDs.
#include <stdio.h>

#include <string>
#include <vector>

#include "package/package_command.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    KxSetBinaryStdout();
    return RunPackageCommand(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc), stdout, stderr);
}
