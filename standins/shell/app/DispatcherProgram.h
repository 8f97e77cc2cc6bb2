// The scenario's hold on the stand-in dispatcher program, for the commands
// that end, close and start it while the shell runs: the way a user meets a
// dispatcher restarted for an update or after a crash. The program is
// reached through the running object table and its control interface; the
// shell itself never talks to it otherwise.
#pragma once

#include <string>

class DispatcherProgram {
public:
    // Ends the running program the hard way (no close event); a copy with
    // its command line serves again ms later. Waits until the old one is gone.
    bool Restart(int ms, std::string &detail);
    // Closes it properly (its close event goes out) and waits until it is gone.
    bool Close(std::string &detail);
    // Starts it with the command line it had when closed (without one, as
    // registered) and waits until it serves.
    bool Start(std::string &detail);

private:
    std::wstring commandLine_;  // of the program last closed
};
