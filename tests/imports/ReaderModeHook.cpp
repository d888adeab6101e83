// This test program reads .xls files through a reader process, which is this program again.
#include "TestRegistry.h"
#include "imports/ReaderProcess.h"

namespace {
const bool hooked = (
    testing_support::childMode() =
        [](int argc, char** argv) {
            return imports::ReaderProcess::requested(argc, argv) ? imports::ReaderProcess::run(argc, argv)
                                                                 : -1;
        },
    true);
}
