#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Paths.h"

#include <cstdio>
#include <exception>

int main()
{
    try {
        rtl::FormatSettings() = rtl::TFormatSettings::FromLocale();
        const std::string appDir = rtl::AppDir();
        std::printf("Gridweaver: program folder %s\n", appDir.c_str());
        std::puts("Gridweaver: the main window is not built yet; the program folder is ready.");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Gridweaver: %s\n", e.what());
        return 1;
    }
}
