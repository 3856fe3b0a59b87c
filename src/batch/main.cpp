// tarnel-batch: the editor's image operations on files from the command line.

#include <iostream>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "core/version.h"
#include "io/os_files.h"

int main(int argc, char** argv) {
    using namespace tarnel::batch;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParseResult parsed = parseArguments(args);
    if (parsed.help) {
        std::cout << usageText();
        return kExitOk;
    }
    if (parsed.version) {
        std::cout << "tarnel-batch " << tarnel::kVersion << "\n";
        return kExitOk;
    }
    if (parsed.compare) return runCompare(*parsed.compare, std::cout, std::cerr);
    if (!parsed.job) {
        std::cerr << "tarnel-batch: " << parsed.error << "\n";
        return kExitUsage;
    }
    // An interrupted run leaves no temporary file beside the output.
    tarnel::os::removeTemporaryOnSignals();
    return runJob(*parsed.job, std::cout, std::cerr);
}
