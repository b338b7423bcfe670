// libhoravia.so: the timetable plug-in. The entries never let an exception reach the host.
#include "HoraviaCommand.h"
#include "PluginAbi.h"

extern "C" {
VELTRA_EXPORT int PluginCommand(int argc, char** argv) {
    try {
        return RunHoraviaCommand(argc, argv);
    } catch (...) {
        return 1;
    }
}
}
