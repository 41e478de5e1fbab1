#pragma once

namespace quillet::card {

// A core dump writes the process's memory to disk, remembered PINs included. While any code is
// held in memory the process is therefore made non-dumpable (which also keeps other processes of
// the user from reading its memory), and it gets back its former state when the last code is wiped.
// SecretString reports every code it starts and stops holding.
class CoreDumpGuard {
public:
    static void CodeHeld();
    static void CodeWiped();
    // Whether the system would write a core dump of this process now.
    static bool DumpsAllowed();
};

}  // namespace quillet::card
