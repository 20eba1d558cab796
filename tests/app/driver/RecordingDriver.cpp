// A shared library that looks like an ODBC driver to a data link naming it with "DRIVER=":
// loading it is all it does, and it records that in the file named by
// GW_RECORDING_DRIVER_MARK. The tests use it to show that nothing a project names selects a
// library to load.

#include <cstdio>
#include <cstdlib>

namespace {

__attribute__((constructor)) void RecordLoad()
{
    const char* mark = std::getenv("GW_RECORDING_DRIVER_MARK");
    if (mark == nullptr || *mark == '\0') return;
    if (std::FILE* f = std::fopen(mark, "w")) {
        std::fputs("loaded\n", f);
        std::fclose(f);
    }
}

}  // namespace
